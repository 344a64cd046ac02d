// The Radial Error View from the component's side: opening, refreshing after a run, and every
// way of closing it, on a window host without a display.

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>

#include "platform/ui/headless_host.h"
#include "src/viewer/viewer_thread.h"
#include "src/viewer/viewer_window.h"
#include "tests/component/component_fixture.h"

namespace ombrixdc {

namespace {

using Clock = std::chrono::steady_clock;

bool WaitFor(const std::function<bool()>& condition) {
  const auto end = Clock::now() + std::chrono::seconds(10);
  while (!condition() && Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return condition();
}

LONG GraphicsClosed(CircleDCComponent& c) {
  LONG closed = -1;
  EXPECT_EQ(c.GetGraphicsClosed(&closed), S_OK);
  return closed;
}

class GraphicsTest : public ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    ombrixdc::SetViewerHostFactory(
        [](std::string*) { return std::make_unique<ui::HeadlessHost>(); });
  }
  void TearDown() override {
    ComponentTest::TearDown();
    // Every viewer a test opened was closed by its component's destruction.
    EXPECT_FALSE(ombrixdc::ViewerRunning());
    ombrixdc::SetViewerHostFactory(nullptr);
  }
  static ui::HeadlessHost* Host() {
    host_ = ombrixdc::ProcessViewerState().LiveHost();
    return dynamic_cast<ui::HeadlessHost*>(host_.get());
  }
  void Open(CircleDCComponent& c) {
    ASSERT_EQ(c.ShowGraphics(0, 0, 0, 0, std::nullopt), S_OK);
    ASSERT_EQ(GraphicsClosed(c), 0);
    ASSERT_NE(Host(), nullptr);
  }
  static inline std::shared_ptr<ui::WindowHost> host_;
};

TEST_F(GraphicsTest, Open_MakesTheWindowBeforeReturning_AndAFinishedRunRefreshesIt) {
  PrepareRun();
  EXPECT_EQ(GraphicsClosed(*component), 1);
  Open(*component);
  EXPECT_EQ(component->WindowHandle.Get(), ui::HeadlessHost::kNativeId);
  EXPECT_TRUE(Host()->GetState().visible);
  ASSERT_TRUE(WaitFor([] { return Host()->PaintCount() >= 1; }));
  // A second call while open updates the same window; 0, 0, 0, 0 keeps its place.
  const ui::Rect frame = Host()->GetState().frame;
  EXPECT_EQ(component->ShowGraphics(0, 0, 0, 0, std::nullopt), S_OK);
  EXPECT_EQ(Host()->GetState().frame, frame);
  EXPECT_EQ(component->WindowRectChanged.Get(), 0);
  EXPECT_EQ(component->ShowGraphics(0, 0, 0, 0, ""), S_OK);  // nor an empty name: no reload
  EXPECT_EQ(Host()->GetState().broughtToFront, 0);
  // A finished run repaints it with the run's data sets and brings it to the front.
  const int32_t paintsBefore = Host()->PaintCount();
  ASSERT_EQ(component->PerformCircle(), S_OK);
  component->WaitForRuns();
  EXPECT_TRUE(WaitFor([&] { return Host()->PaintCount() > paintsBefore; }));
  EXPECT_GE(Host()->GetState().broughtToFront, 1);
  const ombrixdc::PaintInput input = ombrixdc::TakePaintSnapshot(ombrixdc::ProcessViewerState());
  EXPECT_EQ(input.data.sets[2].radii, component->Results()->dataSets[2].radii.Values());
  EXPECT_EQ(input.ShowReference, 1);  // a learning run
  EXPECT_NE(input.RingIndex, -1);
  // A rectangle moves it, and WindowVisible 0 hides it.
  component->WindowVisible.Set(0);
  EXPECT_EQ(component->ShowGraphics(30, 40, 800, 600, std::nullopt), S_OK);
  EXPECT_EQ(component->WindowRectChanged.Get(), 1);
  EXPECT_EQ(Host()->GetState().frame, (ui::Rect{30, 40, 830, 640}));
  EXPECT_FALSE(Host()->GetState().visible);
}

// Closed by the client, or by destroying the component: one event, from the viewer's thread.
TEST_F(GraphicsTest, CloseByClientOrDestruction_FiresOnGraphicsClosedOnce) {
  Open(*component);
  EXPECT_EQ(component->ShowGraphicsComplete(), S_OK);
  EXPECT_EQ(sink->Texts(), Texts{"graphics closed"});
  EXPECT_NE(sink->Threads()[0], std::this_thread::get_id());
  EXPECT_EQ(GraphicsClosed(*component), 1);
  EXPECT_FALSE(ombrixdc::ViewerRunning());
  Open(*component);
  component.reset();
  EXPECT_EQ(sink->Texts(), (Texts{"graphics closed", "graphics closed"}));
}

// A sink whose OnGraphicsClosed handler takes the client's lock, as a client's handler that
// shares the client's state does; `entered` once the handler has started.
struct LockingSink : RecordingSink {
  std::mutex clientLock;
  std::atomic<bool> entered{false};
  void OnGraphicsClosed() override {
    entered = true;
    std::lock_guard lock(clientLock);
    RecordingSink::OnGraphicsClosed();
  }
};

// A client that closes, and reopens, while holding a lock its OnGraphicsClosed handler takes
// too is not kept waiting for ever: the close returns, the reopening is refused until the
// event has followed, once the lock is let go.
TEST_F(GraphicsTest, CloseAndReopenUnderTheClientsLock_ReturnAndTheEventFollows) {
  auto locking = std::make_shared<LockingSink>();
  component->Sinks.Connect(locking);
  Open(*component);
  std::future<Texts> closing = std::async(std::launch::async, [&] {
    std::lock_guard lock(locking->clientLock);
    EXPECT_EQ(component->ShowGraphicsComplete(), S_OK);
    EXPECT_EQ(GraphicsClosed(*component), 1);
    EXPECT_EQ(component->ShowGraphics(0, 0, 0, 0, std::nullopt), S_FALSE);
    EXPECT_EQ(GraphicsClosed(*component), 1);
    return locking->Texts();
  });
  if (closing.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "the close or the reopening waited for a handler that waits for the lock";
    std::abort();  // the two threads wait for each other for ever
  }
  EXPECT_EQ(closing.get(), Texts{});
  EXPECT_TRUE(WaitFor([&] { return locking->Texts() == Texts{"graphics closed"}; }));
  EXPECT_EQ(component->ShowGraphics(0, 0, 0, 0, std::nullopt), S_OK);
}

// The owner lets go while holding that lock and the handler waits for it: the release returns,
// and the component ends once the handler has run, on a thread the module may wait for.
TEST_F(GraphicsTest, ReleaseUnderTheClientsLock_ReturnsAndTheComponentEndsAfterTheHandler) {
  auto locking = std::make_shared<LockingSink>();
  component->Sinks.Connect(locking);
  Open(*component);
  const auto destroyed = std::make_shared<std::atomic<bool>>(false);
  std::unique_lock clientLock(locking->clientLock);
  Host()->InjectCloseBox();
  ASSERT_TRUE(WaitFor([&] { return locking->entered.load(); }));
  CircleDCComponent* owned = component.release();
  std::future<void> releasing = std::async(std::launch::async, [&] {
    owned->DestroyWhenIdle([owned, destroyed] {
      delete owned;
      *destroyed = true;
    });
  });
  if (releasing.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "the release waited for a handler that waits for the client's lock";
    std::abort();  // the two threads wait for each other for ever
  }
  EXPECT_FALSE(*destroyed);
  clientLock.unlock();
  EXPECT_TRUE(WaitFor([&] { return destroyed->load(); }));
  EXPECT_TRUE(WaitFor([] { return ProcessOrphanedComponents().AllEnded(); }));
  EXPECT_EQ(locking->Texts(), Texts{"graphics closed"});
  EXPECT_TRUE(WaitFor([] { return !ombrixdc::ViewerRunning(); }));
}

TEST_F(GraphicsTest, CloseByUser_FiresOnce_AndShowGraphicsCompleteDoesNotWait) {
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox);
    NewSink();
    Open(*component);
    closeBox ? Host()->InjectCloseBox() : Host()->InjectCommand(32769);  // 32769: File > Exit
    // GraphicsOpen is cleared before the event goes out, so a sink may ask for it.
    ASSERT_TRUE(WaitFor([&] { return !sink->Texts().empty(); }));
    EXPECT_EQ(GraphicsClosed(*component), 1);
    EXPECT_EQ(component->ShowGraphicsComplete(), S_FALSE);  // returns: nothing left to wait for
    EXPECT_EQ(sink->Texts(), Texts{"graphics closed"});
  }
}

// A host that refuses (as the window server does on no display): no phantom window, and no
// event for it (the window's state the client then reads is checked without a display in the
// client suite).
TEST_F(GraphicsTest, WindowThatCannotBeMade_EndsTheViewerWithoutLeavingItOpen) {
  ombrixdc::SetViewerHostFactory([](std::string* whyNot) {
    *whyNot = "refused";
    return std::unique_ptr<ui::WindowHost>();
  });
  EXPECT_EQ(component->ShowGraphics(0, 0, 0, 0, std::nullopt), S_FALSE);
  EXPECT_TRUE(sink->Texts().empty()) << "no window, so no OnGraphicsClosed";
}

}  // namespace

}  // namespace ombrixdc
