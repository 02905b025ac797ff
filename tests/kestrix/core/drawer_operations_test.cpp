// OpenDrawer, WaitForDrawerClose and the sensor waits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core_fixture.h"

namespace kestrix::test {
namespace {

using namespace kestrix::opos;

class DrawerTest : public CoreTest {
protected:
    // Row 9 without a control object: the monitor never samples.
    void OpenRow9() {
        Device(9);
        ASSERT_EQ(OpenClaimEnable(nullptr), kSuccess);
    }
    // The bench trace as "<R|W><port in hex> " per access.
    std::string Accesses() {
        std::string out;
        char text[16];
        for (const auto& e : machine->trace()) {
            std::snprintf(text, sizeof text, "%c%X ", e.direction, static_cast<unsigned>(e.port));
            out += text;
        }
        return out;
    }
};

TEST_F(DrawerTest, OpenDrawerChecksEnabledThenClaimed) {
    EXPECT_EQ(Core().OpenDrawer(), kDisabled);
    Core().SetPropertyNumber(kPidxDeviceEnabled, 1);
    EXPECT_EQ(Core().OpenDrawer(), kNotClaimed);
    EXPECT_EQ(Number(kPidxResultCode), kNotClaimed);
    Core().ClaimDevice(0);
    EXPECT_EQ(Core().OpenDrawer(), kFailure) << "never opened: no variant to drive";
    EXPECT_FALSE(Core().HasMonitorThread());
    EXPECT_EQ(clock.TotalSleptMs(), 0u);
}

TEST_F(DrawerTest, OpenDrawerFiresAndReturnsAtTheFirstOpenSample) {
    OpenRow9();
    const uint64_t t0 = clock.NowMs();
    EXPECT_EQ(Core().OpenDrawer(), kSuccess);
    EXPECT_EQ(clock.NowMs() - t0, 200u) << "pulse 100 ms, then one sample 100 ms later";
    EXPECT_EQ(machine->drawer(0).phase, winio_sim::DrawerPhase::Open);
    EXPECT_TRUE(Core().HasMonitorThread());
    EXPECT_EQ(Number(kPidxDrawerOpened), 1);
}

TEST_F(DrawerTest, JammedDrawerGives111AfterTimeOut) {
    OpenRow9();
    machine->set_jammed(0, true);
    const uint64_t t0 = clock.NowMs();
    EXPECT_EQ(Core().OpenDrawer(), kFailure);
    EXPECT_EQ(clock.NowMs() - t0, 100u + 1000u);
    EXPECT_EQ(Number(kPidxResultCode), kFailure);
}

// OpenDrawer pulses, then takes TimeOut / 100 readings: none below 100 and
// none for a negative TimeOut (as an unsigned number -1 would poll for about
// 50 days), so the result is 111 as soon as the pulse is over.
TEST_F(DrawerTest, TimeOutBelow100OrNegativeTakesNoSampleAndFails) {
    Device(9);
    for (uint32_t timeOut : {99u, 0u, 0xFFFFFFFFu, 0x80000000u}) {
        SCOPED_TRACE(timeOut);
        core.reset();
        machine->close_drawer(0);
        keys.SetNumber(kDevicePath, u"TimeOut", timeOut);
        ASSERT_EQ(OpenClaimEnable(nullptr), kSuccess);
        machine->clear_trace();
        const uint64_t t0 = clock.NowMs();
        EXPECT_EQ(Core().OpenDrawer(), kFailure);
        EXPECT_EQ(clock.NowMs() - t0, 100u) << "the pulse only";
        EXPECT_EQ(Accesses(), "R48C W48C R48C W48C ") << "the pulse only";
        EXPECT_EQ(Number(kPidxResultCode), kFailure);
        EXPECT_EQ(machine->drawer(0).phase, winio_sim::DrawerPhase::Open);
    }
}

// Each wait takes ms / 100 readings, 100 ms apart, the first 100 ms after
// the call, and ends at the first reading it waits for. A wait below 100 ms
// or a negative one takes none; a positive one keeps its length however
// large. Row 9 reads its sensor at port 0x048C.
TEST_F(DrawerTest, WaitsPollEvery100MsAndNeverForANegativeTime) {
    enum Wait { kOpened, kClosed };
    struct Case {
        Wait wait;
        int32_t ms;
        bool drawerOpen;
        int32_t result;
        uint32_t readings;
    } cases[] = {
        {kOpened, 99, false, 0, 0},        {kOpened, 0, false, 0, 0},    {kOpened, -1, false, 0, 0},
        {kOpened, INT32_MIN, true, 0, 0},  {kOpened, 399, false, 0, 3},  {kOpened, INT32_MAX, true, 1, 1},
        {kClosed, -1, false, 0, 0},        {kClosed, -100, false, 0, 0}, {kClosed, 250, true, 0, 2},
        {kClosed, INT32_MAX, false, 1, 1},
    };
    OpenRow9();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.wait) + ": " + std::to_string(c.ms) + " ms");
        if (c.drawerOpen) {
            machine->open_by_hand(0);
        } else {
            machine->close_drawer(0);
        }
        machine->clear_trace();
        const uint64_t t0 = clock.NowMs();
        EXPECT_EQ(c.wait == kOpened ? Core().WaitDrawerOpened(c.ms) : Core().WaitDrawerClosed(c.ms), c.result);
        EXPECT_EQ(clock.NowMs() - t0, 100u * c.readings);
        std::string reads;
        for (uint32_t i = 0; i < c.readings; ++i) reads += "R48C ";
        EXPECT_EQ(Accesses(), reads);
    }
}

TEST_F(DrawerTest, WaitForDrawerClosePreconditionsInOrder) {
    Core().SetPropertyNumber(kPidxDeviceEnabled, 1);
    Core().ClaimDevice(0);
    EXPECT_EQ(Core().WaitForDrawerClose(100, 800, 50, 100), kClosed);
    Device(9);
    Core().ReleaseDevice();
    Core().SetPropertyNumber(kPidxDeviceEnabled, 0);
    ASSERT_EQ(Core().OpenService(u"NVCD1", nullptr), kSuccess);
    EXPECT_EQ(Core().WaitForDrawerClose(100, 800, 50, 100), kDisabled);
    Core().SetPropertyNumber(kPidxDeviceEnabled, 1);
    EXPECT_EQ(Core().WaitForDrawerClose(100, 800, 50, 100), kNotClaimed);
    EXPECT_EQ(Number(kPidxResultCode), kNotClaimed);
    EXPECT_TRUE(beeper.calls.empty());
}

TEST_F(DrawerTest, ClosedDrawerReturnsAfterOneSampleWithoutBeeping) {
    OpenRow9();
    const uint64_t t0 = clock.NowMs();
    EXPECT_EQ(Core().WaitForDrawerClose(100, 800, 50, 100), kSuccess);
    EXPECT_EQ(clock.NowMs() - t0, 100u);
    EXPECT_TRUE(beeper.calls.empty());
}

// Negative BeepTimeouts included: they only make the alarm sound at once.
TEST_F(DrawerTest, BeepTimeoutBelow100BeepsAtOnce) {
    OpenRow9();
    for (int32_t beepTimeout : {50, 0, -1, INT32_MIN}) {
        SCOPED_TRACE(beepTimeout);
        beeper.calls.clear();
        const uint64_t t0 = clock.NowMs();
        EXPECT_EQ(Core().WaitForDrawerClose(beepTimeout, 800, 30, 200), kSuccess);
        ASSERT_EQ(beeper.calls.size(), 1u);
        EXPECT_EQ(beeper.calls[0].at_ms, t0);
        EXPECT_EQ(beeper.calls[0].frequency, 800u);
        EXPECT_EQ(beeper.calls[0].duration, 30u);
        EXPECT_EQ(clock.NowMs() - t0, 30u + 100u) << "the alarm, then one reading";
    }
}

TEST_F(DrawerTest, OpenDrawerBeepsUntilClosedWithAtLeast100MsBetween) {
    OpenRow9();
    machine->open_by_hand(0);
    for (int32_t delay : {0, -5, 99}) {
        SCOPED_TRACE(delay);
        beeper.calls.clear();
        machine->open_by_hand(0);
        beeper.onBeep = [&](size_t n) {
            if (n == 3) machine->close_drawer(0);
        };
        const uint64_t t0 = clock.NowMs();
        EXPECT_EQ(Core().WaitForDrawerClose(1000, 440, 20, delay), kSuccess);
        ASSERT_EQ(beeper.calls.size(), 3u);
        EXPECT_EQ(beeper.calls[0].at_ms - t0, 1000u);
        EXPECT_EQ(beeper.calls[1].at_ms - beeper.calls[0].at_ms, 20u + 100u);
        EXPECT_EQ(clock.NowMs() - beeper.calls[2].at_ms, 20u + 100u);
    }
    beeper.calls.clear();
    machine->open_by_hand(0);
    beeper.onBeep = [&](size_t n) {
        if (n == 2) machine->close_drawer(0);
    };
    EXPECT_EQ(Core().WaitForDrawerClose(100, 440, 20, 350), kSuccess);
    ASSERT_EQ(beeper.calls.size(), 2u);
    EXPECT_EQ(beeper.calls[1].at_ms - beeper.calls[0].at_ms, 20u + 300u) << "350 ms: three polls";
}

}  // namespace
}  // namespace kestrix::test

namespace kestrix::test {
namespace {

// The alarm never blocks for a negative duration (about 49 days as an
// unsigned number) and never asks the beeper for a frequency it refuses:
// then it pauses silently for the duration instead. With BeepTimeout below
// 100 and the drawer closed, exactly one alarm comes before the reading.
TEST_F(DrawerTest, AlarmDurationIsNeverNegativeAndUnplayableFrequenciesPauseSilently) {
    struct Case {
        int32_t frequency, duration;
        bool beeps;
        uint32_t alarm_ms;
    } cases[] = {
        {440, -5, true, 0},  {440, INT32_MIN, true, 0}, {37, 20, true, 20}, {32767, 20, true, 20},
        {36, 50, false, 50}, {32768, 50, false, 50},    {0, 50, false, 50}, {-1, -50, false, 0},
    };
    OpenRow9();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.frequency) + " Hz, " + std::to_string(c.duration) + " ms");
        beeper.calls.clear();
        const uint64_t t0 = clock.NowMs();
        EXPECT_EQ(Core().WaitForDrawerClose(50, c.frequency, c.duration, 100), kSuccess);
        EXPECT_EQ(clock.NowMs() - t0, c.alarm_ms + 100u) << "the alarm, then one reading";
        if (c.beeps) {
            ASSERT_EQ(beeper.calls.size(), 1u);
            EXPECT_EQ(beeper.calls[0].frequency, static_cast<uint32_t>(c.frequency));
            EXPECT_EQ(beeper.calls[0].duration, c.alarm_ms);
        } else {
            EXPECT_TRUE(beeper.calls.empty());
        }
    }
}

}  // namespace
}  // namespace kestrix::test
