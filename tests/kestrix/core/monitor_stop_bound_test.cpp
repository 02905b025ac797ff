// The stop's wait for a monitor inside the event call, in real time: a
// handler within the bound is waited for; one past it is let go, and its
// thread ends on its own once the handler returns.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core_fixture.h"

namespace kestrix::test {
namespace {

using namespace kestrix::opos;

class MonitorStopBound : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        machine->use_manual_clock(false);
        Device(9);
        keys.SetNumber(kDevicePath, u"CheckStatusPeriod", 10);
    }
    kestrix::Platform real() { return kestrix::Platform{&keys, &loader, &op, &beeper, &realClock}; }
    RealClock realClock;
};

TEST_F(MonitorStopBound, HandlerWithinTheBoundIsWaitedForOnePastItIsLetGo) {
    struct Case {
        const char* name;
        uint32_t handler_ms;  // how long the handler keeps the monitor
        bool let_go;
    } cases[] = {
        {"slow handler", 300, false},
        {"handler past the bound", kestrix::CCashDrawer_SOCore::kEventStopWaitMs + 2000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine->close_drawer(0);
        std::mutex m;
        std::condition_variable cv;
        bool inside = false, release = false, returned = false;
        FakeControlObject control;
        control.onInvoke = [&](int32_t) {
            std::unique_lock<std::mutex> lock(m);
            inside = true;
            cv.notify_all();
            cv.wait_for(lock, std::chrono::milliseconds(c.handler_ms), [&] { return release; });
            returned = true;
            cv.notify_all();
        };
        auto core = std::make_unique<kestrix::CCashDrawer_SOCore>(real());
        ASSERT_EQ(core->OpenService(u"NVCD1", &control), kSuccess);
        machine->open_by_hand(0);
        {
            std::unique_lock<std::mutex> lock(m);
            ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return inside; }));
        }
        core->StopStatusThread();
        EXPECT_FALSE(core->HasMonitorThread());
        EXPECT_EQ(core->LetGoMonitorRunning(), c.let_go);
        {
            std::lock_guard<std::mutex> lock(m);
            EXPECT_EQ(returned, !c.let_go) << "the stop waited for the handler";
            release = true;
            cv.notify_all();
        }
        {
            std::unique_lock<std::mutex> lock(m);
            ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return returned; }));
        }
        for (int i = 0; i < 500 && core->LetGoMonitorRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(core->LetGoMonitorRunning()) << "the let-go thread ended";
        EXPECT_EQ(control.Statuses(), std::vector<int32_t>{1});
        // A new monitor works as before.
        core->StartStatusThread();
        machine->close_drawer(0);
        EXPECT_TRUE(control.WaitForEvents(2));
        EXPECT_EQ(core->CloseService(), kSuccess);
    }
}

}  // namespace
}  // namespace kestrix::test
