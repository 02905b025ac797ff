// The status monitor on the fake clock: each step of time is taken by the
// test, and the monitor has done its sampling before the step returns.
#include <gtest/gtest.h>

#include <thread>

#include "core_fixture.h"
#include "hardware/port_lock.h"

namespace kestrix_test {
namespace {

using namespace kestrix::opos;
using Events = std::vector<int32_t>;

class MonitorTest : public CoreTest {
protected:
    // Row 9 (sensor high when open, OpenStatusPhase 1), period 300 ms, the
    // monitor waiting for its first period.
    void OpenRow9() {
        Device(9);
        ASSERT_EQ(OpenClaimEnable(&control), kSuccess);
        ASSERT_TRUE(clock.WaitForTimedWaiters(1));
    }
    void Step(uint32_t ms = 300) { ASSERT_TRUE(clock.Advance(ms)); }
};

TEST_F(MonitorTest, ReportsEachChangeOnceWithinOnePeriod) {
    OpenRow9();
    Step();
    EXPECT_EQ(control.Statuses(), Events{});
    machine->open_by_hand(0);
    Step(299);
    EXPECT_EQ(control.Statuses(), Events{});
    Step(1);
    EXPECT_EQ(control.Statuses(), Events{1});
    Step();
    machine->close_drawer(0);
    Step();
    EXPECT_EQ(control.Statuses(), (Events{1, 0}));
    EXPECT_EQ(control.Lookups(), 2) << "looked up at every change";
}

TEST_F(MonitorTest, UsesThePeriodOfTheDeviceEntry) {
    Device(9);
    keys.SetNumber(kDevicePath, u"CheckStatusPeriod", 1000);
    ASSERT_EQ(OpenClaimEnable(&control), kSuccess);
    ASSERT_TRUE(clock.WaitForTimedWaiters(1));
    machine->open_by_hand(0);
    Step(999);
    EXPECT_EQ(control.Statuses(), Events{});
    Step(1);
    EXPECT_EQ(control.Statuses(), Events{1});
}

TEST_F(MonitorTest, FrozenChangesAreDroppedNotQueued) {
    OpenRow9();
    Core().COFreezeEvents(-1);
    machine->open_by_hand(0);
    Step();
    machine->close_drawer(0);
    Step();
    EXPECT_EQ(control.Statuses(), Events{});
    EXPECT_EQ(control.Lookups(), 2);
    Core().SetPropertyNumber(kPidxFreezeEvents, 0);
    Step();
    EXPECT_EQ(control.Statuses(), Events{});
    machine->open_by_hand(0);
    Step();
    EXPECT_EQ(control.Statuses(), Events{1});
}

TEST_F(MonitorTest, FailedLookupLeavesTheMonitorDeadUntilStopAndStart) {
    OpenRow9();
    control.FailLookup(true);
    machine->open_by_hand(0);
    Step();
    EXPECT_EQ(control.Lookups(), 1);
    EXPECT_TRUE(clock.WaitForTimedWaiters(0));
    EXPECT_TRUE(Core().HasMonitorThread());
    control.FailLookup(false);
    Core().StartStatusThread();
    machine->close_drawer(0);
    Step();
    EXPECT_EQ(control.Lookups(), 1) << "dead: StartStatusThread did nothing";
    Core().StopStatusThread();
    EXPECT_FALSE(Core().HasMonitorThread());
    Core().StartStatusThread();
    ASSERT_TRUE(clock.WaitForTimedWaiters(1));
    machine->open_by_hand(0);
    Step();
    EXPECT_EQ(control.Statuses(), Events{1});
}

TEST_F(MonitorTest, NullControlObjectEndsTheMonitorAtOnceWithoutSampling) {
    Device(9);
    machine->clear_trace();
    ASSERT_EQ(Core().OpenService(u"NVCD1", nullptr), kSuccess);
    EXPECT_TRUE(Core().HasMonitorThread());
    Core().StopStatusThread();
    EXPECT_TRUE(machine->trace().empty());
}

TEST_F(MonitorTest, OpeningByOpenDrawerIsNotReportedButTheClosingIs) {
    OpenRow9();
    ASSERT_EQ(Core().OpenDrawer(), kSuccess);
    ASSERT_TRUE(clock.WaitForTimedWaiters(1));
    Step();
    EXPECT_EQ(control.Statuses(), Events{});
    machine->close_drawer(0);
    Step();
    EXPECT_EQ(control.Statuses(), Events{0});
}

TEST_F(MonitorTest, NeverTwoMonitorThreads) {
    OpenRow9();
    Core().StartStatusThread();
    Core().StartStatusThread();
    Step();
    EXPECT_EQ(clock.TimedWaiters(), 1u);
    machine->open_by_hand(0);
    Step();
    EXPECT_EQ(control.Statuses(), Events{1});
}

TEST_F(MonitorTest, EventCallHoldsNoLockAndStopWaitsForItToEnd) {
    OpenRow9();
    bool lockFree = false;
    control.onInvoke = [&](int32_t) {
        lockFree = kestrix::g_csPortAccess.try_lock();
        if (lockFree) kestrix::g_csPortAccess.unlock();
    };
    control.SetSlowMs(300);
    machine->open_by_hand(0);
    clock.Sleep(300);  // wakes the monitor without waiting for it
    ASSERT_TRUE(control.WaitForEvents(1));
    Core().StopStatusThread();  // returns only after the slow call
    EXPECT_FALSE(Core().HasMonitorThread());
    EXPECT_TRUE(lockFree);
}

TEST_F(MonitorTest, DestroyingTheObjectInsideTheEventCallWaitsForTheThread) {
    OpenRow9();
    control.SetSlowMs(200);
    machine->open_by_hand(0);
    clock.Sleep(300);
    ASSERT_TRUE(control.WaitForEvents(1));
    core.reset();
    EXPECT_EQ(clock.TimedWaiters(), 0u);
}

TEST_F(MonitorTest, StopWakesTheMonitorAtOnce) {
    Device(9);
    keys.SetNumber(kDevicePath, u"CheckStatusPeriod", -1);  // waits without time limit
    ASSERT_EQ(OpenClaimEnable(&control), kSuccess);
    EXPECT_EQ(Core().CloseService(), kSuccess);
    EXPECT_FALSE(Core().HasMonitorThread());
}

}  // namespace
}  // namespace kestrix_test
