// Start, stop and destroy storms of the status monitor in real time, with a
// slow control object, a failing one, a drawer that keeps moving and events
// frozen and thawed meanwhile. Meant for the ThreadSanitizer tree as much as
// for the others: it asserts little beyond "no race, no crash, no hang".
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core_fixture.h"

namespace kestrix::test {
namespace {

using namespace kestrix::opos;

class MonitorStorm : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        machine->use_manual_clock(false);
        Device(9);
        keys.SetNumber(kDevicePath, u"CheckStatusPeriod", 1);
        keys.SetNumber(kDevicePath, u"PulseOnTime", 1);
        keys.SetNumber(kDevicePath, u"TimeOut", 100);
        mover = std::thread([this] {
            bool open = false;
            while (!stop) {
                if (open)
                    machine->close_drawer(0);
                else
                    machine->open_by_hand(0);
                open = !open;
                std::this_thread::sleep_for(std::chrono::microseconds(700));
            }
        });
    }
    void TearDown() override {
        stop = true;
        mover.join();
        CoreTest::TearDown();
    }
    kestrix::Platform real() { return kestrix::Platform{&keys, &loader, &op, &beeper, &realClock}; }

    RealClock realClock;
    std::atomic<bool> stop{false};
    std::thread mover;
};

TEST_F(MonitorStorm, StartStopDestroyWhileEventsFlow) {
    FakeControlObject slow;
    slow.SetSlowMs(1);
    FakeControlObject failing;
    failing.FailLookup(true);
    for (int round = 0; round < 40; ++round) {
        auto a = std::make_unique<kestrix::CCashDrawer_SOCore>(real());
        auto b = std::make_unique<kestrix::CCashDrawer_SOCore>(real());
        ASSERT_EQ(a->OpenService(u"NVCD1", &slow), kSuccess);
        ASSERT_EQ(b->OpenService(u"NVCD1", &failing), kSuccess);
        for (int i = 0; i < 5; ++i) {
            a->COFreezeEvents(static_cast<int16_t>(i % 2 ? -1 : 0));
            // Long enough for the monitor to sample at least once (its
            // period has a 10 ms floor).
            std::this_thread::sleep_for(std::chrono::milliseconds(12));
            a->StopStatusThread();
            a->StartStatusThread();
            a->StartStatusThread();
            b->StopStatusThread();
            b->StartStatusThread();
            a->SetPropertyNumber(kPidxFreezeEvents, 0);
        }
        if (round % 4 == 0) {
            a->ClaimDevice(0);
            a->SetPropertyNumber(kPidxDeviceEnabled, 1);
            a->OpenDrawer();  // pulses under the lock while b's monitor samples
        }
        if (round % 2) {
            a.reset();
            b.reset();
        } else {
            b->CloseService();
            b.reset();
            a.reset();
        }
    }
    EXPECT_GT(slow.Statuses().size(), 0u);
    EXPECT_TRUE(failing.Statuses().empty());
    EXPECT_GT(failing.Lookups(), 0);
}

// OpenDrawer stops a monitor that is inside its event call; the application's
// handler, dispatched during that stop, closes the device (a stop nested in
// the stop). The outer stop must neither touch what the inner one released
// nor join a thread it did not stop.
TEST_F(MonitorStorm, StopNestedInTheStopsDispatchingEndsCleanly) {
    stop = true;  // no moving drawer here: one change, made by the test
    mover.join();
    mover = std::thread([] {});
    keys.SetNumber(kDevicePath, u"CheckStatusPeriod", 5);
    machine->close_drawer(0);
    FakeControlObject control;
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    control.onInvoke = [&](int32_t) {
        inside = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    auto core = std::make_unique<kestrix::CCashDrawer_SOCore>(real());
    ASSERT_EQ(core->OpenService(u"NVCD1", &control), kSuccess);
    ASSERT_EQ(core->ClaimDevice(0), kSuccess);
    core->SetPropertyNumber(kPidxDeviceEnabled, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // reference reading taken
    machine->open_by_hand(0);
    while (!inside) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    realClock.DispatchOnce([&] {
        release = true;                             // the application handles the event...
        EXPECT_EQ(core->CloseService(), kSuccess);  // ...and closes the device
    });
    core->OpenDrawer();
    EXPECT_EQ(control.Statuses(), std::vector<int32_t>{1});
    core->StopStatusThread();
    EXPECT_FALSE(core->HasMonitorThread());
    core.reset();
}

}  // namespace
}  // namespace kestrix::test
