// Events across the binary boundary: a client's sinks connected through the connection point
// hear a whole run's events, late bound, in connection order; a sink without a dispatch
// interface is passed over.
#include "tests/client/client_support.h"

namespace {

TEST_F(OfflineClientRun, EventsReachTheDispatchSinksInConnectionOrder) {
  const std::vector<std::pair<DISPID, LONG>> expected = {
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_INITIALISED},
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_LEARNING_SLOW_SCAN},
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_LEARNING_FAST_SCAN},
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_FINISHED},
      {DISPID_PerformCircleComplete, 1}};
  for (RecordingSink* sink : {first.Get(), second.Get()}) {
    const auto [events, problems] = sink->EventsAndProblems();
    std::vector<std::pair<DISPID, LONG>> seen;
    for (const auto& e : events) {
      seen.emplace_back(e.dispid, e.argument);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(problems, std::vector<std::string>{});
  }
  EXPECT_EQ(silent->calls, 0);
  ASSERT_EQ(point->Unadvise(cookies[1]), S_OK);
  EXPECT_EQ(point->Unadvise(cookies[1]), CONNECT_E_NOCONNECTION);
}

}  // namespace
