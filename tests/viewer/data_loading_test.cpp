// Loading the viewer from a component's run and from data sets files.
#include "src/viewer/data_loading.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>

#include "platform/ui/headless_host.h"
#include "src/viewer/viewer_client.h"
#include "src/viewer/viewer_state.h"
#include "src/viewer/viewer_thread.h"
#include "src/viewer/viewer_window.h"
#include "tests/support/temp_folder.h"
#include "tests/support/viewer_data_sets_text.h"

namespace ombrixdc {
namespace {

// A component as the viewer sees it, with fields a test sets directly; one thread only.
class FakeViewerClient final : public ViewerClient {
 public:
  ui::Rect WindowRect() const override { return {100, 100, 868, 677}; }
  bool WindowRectChanged() const override { return false; }
  bool WindowVisible() const override { return true; }
  std::optional<std::string> Language() const override { return std::nullopt; }
  std::optional<ViewerSettings> Settings() const override { return std::nullopt; }
  ComPtr<IVexa_error> NewErrorObject() const override { return nullptr; }
  std::optional<std::string> WorkingFolder() const override { return "Default"; }
  std::optional<std::string> GraphicsFilename() const override { return fileName; }
  bool GraphicsOpen() const override { return graphicsOpen; }
  ClientRunData RunData() const override { return run; }
  void SetGraphicsOpen(bool open) override { graphicsOpen = open; }
  void SetWindowHandle(int32_t) override {}
  void FireOnGraphicsClosed() override {}

  // Every set a circle of `radius` sampled at `count` angles.
  void SetCircles(double radius, size_t count) {
    for (DataSet& set : run.DataSets) {
      set = {};
      for (size_t i = 0; i < count; ++i) {
        set.radii.Add(radius);
        set.angles.Add(2.0 * M_PI * static_cast<double>(i) / static_cast<double>(count));
      }
    }
  }

  std::optional<std::string> fileName;
  ClientRunData run;
  bool graphicsOpen = false;
};

class DataLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ViewerState& s = state();
    std::scoped_lock lock(s.dataMutex, s.sessionMutex);
    s.Data = {};
    s.ShownComponent = nullptr;
    s.ViewerDirectory = folder.Path().string();
    s.SlowSpeedRepeatability = 0.0;
    s.ShowReference = 1;
    s.RingIndex = -1;
  }
  void TearDown() override {
    ForgetViewerClient(client);
    // No load may move the process's current directory: the host application relies on it.
    EXPECT_EQ(std::filesystem::current_path(), startDirectory);
  }
  static ViewerState& state() { return ProcessViewerState(); }

  TempFolder folder;
  FakeViewerClient client;
  std::filesystem::path startDirectory = std::filesystem::current_path();
};

// A compensated run's reference comes from a stored map: hidden when the centres lie apart
// (the distance rule itself is the data sets reader's). A learning run scanned its own and
// always shows it, as the component's graphics test sees.
TEST_F(DataLoadingTest, RunReferenceVisibility_OfACompensatedRunFollowsTheCentres) {
  client.SetCircles(8.0, 16);
  client.run.Learning = 0;
  client.run.SlowCentre = {1.0, 1.0, 0.0};
  client.run.FastCentre = {1.001, 1.0, 0.0};
  UpdateFromComponent(client);
  EXPECT_EQ(state().ShowReference, 0);
  std::lock_guard lock(state().dataMutex);
  EXPECT_EQ(state().ShownComponent, &client);
}

TEST_F(DataLoadingTest, PaintReadsTheShownComponentsArraysAtPaintTime_UntilItIsForgotten) {
  client.SetCircles(8.0, 16);
  UpdateFromComponent(client);
  client.SetCircles(9.0, 5);  // a later run of the same component, not yet handed over
  PaintInput input = TakePaintSnapshot(state());
  EXPECT_EQ(input.data.sets[2].radii, std::vector<double>(5, 9.0));
  ForgetViewerClient(client);  // the component is destroyed
  input = TakePaintSnapshot(state());
  EXPECT_EQ(input.data.sets[2].radii, std::vector<double>(16, 8.0));
}

// A data sets file the client names is left to the viewer thread while the client has no
// window yet; the window shows it, and titles it with the file's bare name.
TEST_F(DataLoadingTest, NamedFileIsShownOnceTheWindowIsOpen) {
  client.SetCircles(8.0, 16);
  folder.Write("named.dat", ::DataSetsFileText({0, 0, 0}, {0, 0, 0}, 7.0));
  client.fileName = "named.dat";
  UpdateFromComponent(client);
  EXPECT_EQ(state().RingIndex, -1);  // neither the run nor the file yet
  client.graphicsOpen = true;
  UpdateFromComponent(client);
  EXPECT_EQ(state().RingIndex, 7);  // form 7 mm: the coarsest scale
  EXPECT_EQ(FileNamePart("C:\\Runs/Default\\a.dat"), "a.dat");
}

// A damaged file keeps what was read in the picture; the status bar says where it is damaged.
TEST_F(DataLoadingTest, DamagedFileFromTheDialog_SaysWhereInTheStatusBar) {
  const std::string text = ::DataSetsFileText({0, 0, 0}, {0, 0, 0}, 7.0);
  const auto cut = folder.Write("cut.dat", text.substr(0, text.rfind("Form:")));
  ui::HeadlessHost host;
  ASSERT_TRUE(host.Create({}));
  host.SetNextOpenFileResult(cut.string());
  OpenDataSetsFileFromDialog(host);
  EXPECT_TRUE(host.GetState().statusText.starts_with("Damaged data sets file (data set 6 of 6"))
      << host.GetState().statusText;
  EXPECT_NE(host.GetState().statusText.find("cut.dat"), std::string::npos);
}

}  // namespace
}  // namespace ombrixdc
