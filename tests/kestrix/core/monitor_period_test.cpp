// The sampling period of the status monitor, floored: 0 would spin on the
// port lock, a negative value would never sample.
#include <gtest/gtest.h>

#include <climits>

#include "core_fixture.h"

namespace kestrix::test {
namespace {

using namespace kestrix::opos;
using Events = std::vector<int32_t>;

class MonitorPeriodTest : public CoreTest {};

TEST_F(MonitorPeriodTest, PeriodsBelowTheFloorSampleAtTheFloor) {
    struct Case {
        int32_t entry;  // CheckStatusPeriod of the device entry
        uint32_t wait;  // the period the monitor samples at
    } cases[] = {{0, 10}, {-1, 10}, {INT32_MIN, 10}, {9, 10}, {10, 10}, {11, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        machine->close_drawer(0);
        FakeControlObject events;
        Device(9);
        keys.SetNumber(kDevicePath, u"CheckStatusPeriod", static_cast<uint32_t>(c.entry));
        ASSERT_EQ(OpenClaimEnable(&events), kSuccess);
        ASSERT_TRUE(clock.WaitForTimedWaiters(1));
        machine->open_by_hand(0);
        ASSERT_TRUE(clock.Advance(c.wait - 1));
        EXPECT_EQ(events.Statuses(), Events{});
        ASSERT_TRUE(clock.Advance(1));
        EXPECT_EQ(events.Statuses(), Events{1});
        core.reset();
    }
}

}  // namespace
}  // namespace kestrix::test
