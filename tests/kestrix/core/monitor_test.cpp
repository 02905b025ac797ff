// The status monitor on the fake clock: each step of time is taken by the
// test, and the monitor has done its sampling before the step returns.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <dirent.h>
#include <functional>
#include <mutex>
#include <thread>

#include "core_fixture.h"
#include "hardware/port_lock.h"

namespace kestrix::test {
namespace {

using namespace kestrix::opos;
using Events = std::vector<int32_t>;

// Threads of this process, as the system counts them.
size_t ThreadsOfThisProcess() {
    size_t n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (const dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

// Polls (real time, bounded) until `done` holds.
bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 1000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

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

// A handler run while a method dispatches messages (its monitor stop, or a
// box of the interactive check) closes the device: the method finishes, but
// starts no monitor for the closed device. For the stop, the monitor is held
// inside the event call until the application has handled the event, as a
// control object does; so the stop has to dispatch.
TEST_F(MonitorTest, MethodsThatDispatchStartNoMonitorForADeviceClosedMeanwhile) {
    struct Case {
        const char* name;
        std::function<int32_t(kestrix::CCashDrawer_SOCore&)> method;
        enum { InStop, InFirstBox, InOkBox } where;
    } cases[] = {
        {"OpenDrawer", [](auto& c) { return c.OpenDrawer(); }, Case::InStop},
        {"external check",
         [](auto& c) {
             int32_t rc = -1;
             c.CheckHealth(kHealthExternal, &rc);
             return rc;
         },
         Case::InStop},
        {"interactive check, first box",
         [](auto& c) {
             int32_t rc = -1;
             c.CheckHealth(kHealthInteractive, &rc);
             return rc;
         },
         Case::InFirstBox},
        {"interactive check, OK box",
         [](auto& c) {
             int32_t rc = -1;
             c.CheckHealth(kHealthInteractive, &rc);
             return rc;
         },
         Case::InOkBox},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core.reset();
        machine->close_drawer(0);
        std::atomic<bool> inside{false}, handled{false};
        control.onInvoke = [&](int32_t) {
            inside = true;
            while (!handled) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        OpenRow9();
        auto close = [&] { EXPECT_EQ(Core().CloseService(), kSuccess); };
        op.answers = {true};
        op.onAsk = c.where == Case::InFirstBox ? std::function<void()>(close) : nullptr;
        op.onOk = [&] {
            machine->close_drawer(0);
            if (c.where == Case::InOkBox) close();
        };
        if (c.where == Case::InStop) {
            machine->open_by_hand(0);
            clock.Sleep(300);  // the monitor sees the change and calls the control object
            ASSERT_TRUE(WaitUntil([&] { return inside.load(); }));
            clock.DispatchOnce([&] {
                handled = true;  // the application handles the event...
                close();         // ...and closes the device
            });
        } else {
            handled = true;
        }
        EXPECT_EQ(c.method(Core()), kSuccess);
        EXPECT_FALSE(Core().HasMonitorThread());
        EXPECT_EQ(Number(kPidxState), kStateClosed);
        EXPECT_FALSE(clock.TakeDispatch()) << "the handler ran";
        control.onInvoke = nullptr;
    }
}

// A control object that runs the application's handler on the monitor
// thread, and the handler releases the object: the object is destroyed on
// that thread, which then ends without touching it (ASan watches) and
// without std::terminate.
TEST_F(MonitorTest, DestroyedInsideTheEventCallTheMonitorEndsWithoutTouchingIt) {
    OpenRow9();
    const size_t threads = ThreadsOfThisProcess();
    std::mutex m;
    std::condition_variable cv;
    bool destroyed = false;
    control.onInvoke = [&](int32_t) {
        std::lock_guard<std::mutex> lock(m);
        if (!core) return;
        EXPECT_TRUE(core->OnMonitorThread());
        core.reset();
        destroyed = true;
        cv.notify_all();
    };
    machine->open_by_hand(0);
    clock.Sleep(300);  // wakes the monitor without waiting for it
    {
        std::unique_lock<std::mutex> lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return destroyed; }));
    }
    EXPECT_TRUE(WaitUntil([&] { return ThreadsOfThisProcess() == threads - 1; })) << "the monitor ended";
    clock.NowMs();  // the monitor's last use of the clock happened before this
    EXPECT_EQ(control.Statuses(), Events{1});
}

TEST_F(MonitorTest, StopWakesTheMonitorAtOnce) {
    Device(9);
    keys.SetNumber(kDevicePath, u"CheckStatusPeriod", -1);  // waits without time limit
    ASSERT_EQ(OpenClaimEnable(&control), kSuccess);
    EXPECT_EQ(Core().CloseService(), kSuccess);
    EXPECT_FALSE(Core().HasMonitorThread());
}

}  // namespace
}  // namespace kestrix::test
