// The byte sequences of every hardware model row, read from the bench trace
// while the service core opens, fires and samples the drawer.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "core_fixture.h"
#include "hardware/gpio.h"
#include "hardware/port_lock.h"
#include "hardware/tessik.h"
#include "hardware/volma_control.h"

namespace kestrix::test {
namespace {

using kestrix::opos::kFailure;
using kestrix::opos::kSuccess;

struct Access {
    char dir;
    uint16_t port;
    uint8_t value;
    bool operator==(const Access& o) const { return dir == o.dir && port == o.port && value == o.value; }
};

std::ostream& operator<<(std::ostream& os, const Access& a) {
    return os << a.dir << std::hex << " 0x" << a.port << " 0x" << int(a.value) << std::dec;
}

class SequenceTest : public CoreTest {
protected:
    std::vector<Access> Trace() {
        std::vector<Access> out;
        for (const auto& e : machine->trace()) out.push_back(Access{e.direction, e.port, e.value});
        return out;
    }
    // Opens row `mv` without a control object (so the monitor never samples)
    // and returns what the open wrote.
    std::vector<Access> Open(int32_t mv) {
        Device(mv);
        machine->clear_trace();
        EXPECT_EQ(OpenClaimEnable(nullptr), kSuccess);
        return Trace();
    }
    std::vector<Access> FireOnce() {
        machine->clear_trace();
        EXPECT_EQ(Core().OpenDrawer(), kSuccess);
        return Trace();
    }
};

struct GpioRow {
    int32_t mv;
    uint32_t drivePort, driveMask, drivePhase, statusPort, statusMask;
};

class GpioRows : public SequenceTest, public ::testing::WithParamInterface<GpioRow> {};

TEST_P(GpioRows, PulseIsReadModifyWriteAndTheSensorIsReadAtTheStatusPort) {
    const GpioRow r = GetParam();
    EXPECT_TRUE(Open(r.mv).empty()) << "opening a plain-port row touches no port";
    const uint32_t initial = machine->peek_port(static_cast<uint16_t>(r.drivePort));
    const uint64_t t0 = machine->now_us();
    const auto t = FireOnce();
    const auto times = machine->trace();
    ASSERT_EQ(t.size(), 5u);
    const uint8_t active = static_cast<uint8_t>(r.drivePhase == 0 ? initial & ~r.driveMask : initial | r.driveMask);
    EXPECT_EQ(t[0], (Access{'R', static_cast<uint16_t>(r.drivePort), static_cast<uint8_t>(initial)}));
    EXPECT_EQ(t[1], (Access{'W', static_cast<uint16_t>(r.drivePort), active}));
    EXPECT_EQ(t[2].dir, 'R');
    EXPECT_EQ(t[2].port, r.drivePort);
    const uint8_t idle = static_cast<uint8_t>(r.drivePhase == 0 ? t[2].value | r.driveMask : t[2].value & ~r.driveMask);
    EXPECT_EQ(t[3], (Access{'W', static_cast<uint16_t>(r.drivePort), idle}));
    EXPECT_EQ(t[4].dir, 'R');
    EXPECT_EQ(t[4].port, r.statusPort);
    EXPECT_EQ(times[3].time_us - times[1].time_us, 100000u) << "the pulse lasts PulseOnTime";
    EXPECT_EQ(times[4].time_us - times[3].time_us, 100000u) << "the first sample comes 100 ms later";
    EXPECT_EQ(times[0].time_us, t0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, GpioRows,
    ::testing::Values(GpioRow{5, 0x0A04, 0x01, 0, 0x0A04, 0x02}, GpioRow{6, 0x0A04, 0x01, 0, 0x0A04, 0x02},
                      GpioRow{7, 0x050D, 0x40, 0, 0x050D, 0x20}, GpioRow{8, 0x0280, 0x10, 0, 0x0281, 0x01},
                      GpioRow{9, 0x048C, 0x04, 1, 0x048C, 0x40}, GpioRow{10, 0x0A24, 0x40, 1, 0x0A24, 0x01},
                      GpioRow{11, 0x048F, 0x02, 0, 0x048F, 0x01}, GpioRow{12, 0x0A04, 0x01, 0, 0x0A04, 0x02},
                      GpioRow{13, 0x0A02, 0x04, 1, 0x0A02, 0x20}, GpioRow{14, 0x0482, 0x10, 1, 0x0482, 0x08},
                      GpioRow{15, 0x048C, 0x04, 1, 0x048C, 0x40}, GpioRow{99, 0x0300, 0x08, 1, 0x0301, 0x10}),
    [](const auto& info) { return "MasterValue" + std::to_string(info.param.mv); });

TEST_F(SequenceTest, RowsThatShareHardwareWriteIdenticalBytes) {
    auto run = [&](int32_t mv) {
        core.reset();
        machine->reset();
        machine->use_manual_clock(true);
        auto t = Open(mv);
        auto f = FireOnce();
        t.insert(t.end(), f.begin(), f.end());
        return t;
    };
    const auto five = run(5);
    EXPECT_EQ(run(6), five);
    EXPECT_EQ(run(12), five);
    const auto nine = run(9);
    EXPECT_EQ(run(15), nine);
    const auto one = run(1);
    EXPECT_EQ(run(2), one);
}

TEST_F(SequenceTest, VolmaPreparesLogicalDevice9ThenFiresAndReadsRegisterF1) {
    const auto prep = Open(1);
    ASSERT_EQ(prep.size(), 19u);
    const std::vector<Access> head = {
        {'W', 0x2E, 0x87}, {'W', 0x2E, 0x87}, {'W', 0x2E, 0x07}, {'W', 0x2F, 0x09}, {'W', 0x2E, 0x30}};
    EXPECT_EQ(std::vector<Access>(prep.begin(), prep.begin() + 5), head);
    auto rmw = [&](size_t read, uint8_t expect) {
        EXPECT_EQ(prep[read].dir, 'R');
        EXPECT_EQ(prep[read].port, 0x2F);
        EXPECT_EQ(prep[read + 1], (Access{'W', 0x2F, expect})) << "at " << read;
    };
    rmw(5, prep[5].value | 0x02);
    EXPECT_EQ(prep[7], (Access{'W', 0x2E, 0x2A}));
    rmw(8, prep[8].value & 0xFD);
    rmw(10, prep[10].value | 0x0C);
    EXPECT_EQ(prep[12], (Access{'W', 0x2E, 0x2C}));
    rmw(13, prep[13].value & 0x1F);
    EXPECT_EQ(prep[15], (Access{'W', 0x2E, 0xF0}));
    rmw(16, prep[16].value & 0xFB);
    EXPECT_EQ(prep[18], (Access{'W', 0x2E, 0xAA}));

    const auto fire = FireOnce();
    const std::vector<Access> expected = {{'W', 0x2E, 0x87}, {'W', 0x2E, 0x87}, {'W', 0x2E, 0xF1}, {'W', 0x2F, 0xFF},
                                          {'W', 0x2E, 0xAA}, {'W', 0x2E, 0x87}, {'W', 0x2E, 0x87}, {'W', 0x2E, 0xF1},
                                          {'W', 0x2F, 0x00}, {'W', 0x2E, 0xAA}, {'W', 0x2E, 0x87}, {'W', 0x2E, 0x87},
                                          {'W', 0x2E, 0xF1}, {'R', 0x2F, 0xEB}, {'W', 0x2E, 0xAA}};
    EXPECT_EQ(fire, expected);
}

TEST_F(SequenceTest, TessikPutsLevel80LevelF300IntoRegisterF1OverTwoPulseTimes) {
    for (int32_t mv : {3, 4}) {
        SCOPED_TRACE(mv);
        core.reset();
        machine->reset();
        machine->use_manual_clock(true);
        EXPECT_TRUE(Open(mv).empty()) << "Prepare does nothing for this chip";
        machine->clear_trace();
        ASSERT_EQ(Core().OpenDrawer(), kSuccess);
        const auto t = machine->trace();
        const uint8_t level = mv == 3 ? 0x81 : 0x82;
        uint8_t index = 0;
        std::vector<uint8_t> f1;
        std::vector<uint64_t> f1Times;
        std::vector<uint8_t> data;
        for (const auto& e : t) {
            if (e.direction == 'W' && e.port == 0x4E && e.value != 0x87) index = e.value;
            if (e.direction == 'W' && e.port == 0x4F) {
                data.push_back(e.value);
                if (index == 0xF1) {
                    f1.push_back(e.value);
                    f1Times.push_back(e.time_us);
                }
            }
        }
        EXPECT_EQ(f1, (std::vector<uint8_t>{level, 0x80, level, 0xF3, 0x00}));
        ASSERT_EQ(f1Times.size(), 5u);
        EXPECT_EQ(f1Times[1] - f1Times[0], 100000u);
        EXPECT_EQ(f1Times[2] - f1Times[1], 100000u);
        EXPECT_EQ(f1Times[4], f1Times[2]);
        // Pulse, then one status read: 0x06 0x00 then 0xF3 0x00 to the data port.
        EXPECT_EQ(data,
                  (std::vector<uint8_t>{0x06, 0x03, 0x93, level, 0x80, level, 0xF3, 0x00, 0x06, 0x00, 0xF3, 0x00}));
        EXPECT_EQ(machine->drawer(mv == 3 ? 0 : 1).phase, winio_sim::DrawerPhase::Open);
        EXPECT_EQ(machine->drawer(mv == 3 ? 1 : 0).phase, winio_sim::DrawerPhase::Closed);
    }
}

// Variants driven directly on the bench (custom wiring of row 99:
// drive 0x0300 bit 0x08 active high, sensor 0x0301 bit 0x10 set when open).
class GpioOnBench : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_TRUE(machine->select_profile(99));
        ASSERT_TRUE(gpio.Initialize(WinIoDirU16().c_str()));
        gpio.SetDrivePort(0x0300);
        gpio.SetDriveMask(0x08);
        gpio.SetDrivePhase(1);
        gpio.SetStatusPort(0x0301);
        gpio.SetStatusMask(0x10);
        machine->clear_trace();
    }
    kestrix::CGPIO gpio{&loader, &clock};
};

TEST_F(GpioOnBench, ActiveHighPulseEndsWithTheBitClearedEvenIfItStoodHigh) {
    machine->poke_port(0x0300, 0x0B);
    gpio.Pulse(100);
    EXPECT_EQ(machine->peek_port(0x0300), 0x03);
    const auto t = machine->trace();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[1].value, 0x0B);
    EXPECT_EQ(t[3].value, 0x03);
}

TEST_F(GpioOnBench, PhaseOtherThan0Or1WritesTheByteBackUnchangedTwice) {
    gpio.SetDrivePhase(2);
    machine->poke_port(0x0300, 0x52);  // drive bit 0x08 inactive
    gpio.Pulse(100);
    const auto t = machine->trace();
    ASSERT_EQ(t.size(), 4u);
    for (const auto& e : t) EXPECT_EQ(e.value, 0x52);
    EXPECT_EQ(machine->drawer(0).releases, 0u);
}

TEST_F(GpioOnBench, StatusMaskZeroAlwaysReadsOneAndAMaskAboveFFAlwaysZero) {
    gpio.SetStatusMask(0);
    EXPECT_EQ(gpio.ReadStatus(), 1);
    machine->open_by_hand(0);
    EXPECT_EQ(gpio.ReadStatus(), 1);
    gpio.SetStatusMask(0x0100);
    EXPECT_EQ(gpio.ReadStatus(), 0);
    machine->poke_port(0x0301, 0xFF);
    EXPECT_EQ(gpio.ReadStatus(), 0);
    gpio.SetStatusMask(0x10010);
    EXPECT_EQ(gpio.ReadStatus(), 1) << "only the low 16 bits of the mask count";
    gpio.SetStatusPort(0x10301);
    EXPECT_EQ(machine->trace().back().port, 0x0301);
}

TEST_F(GpioOnBench, UninitialisedVariantTouchesNoPort) {
    kestrix::CGPIO fresh{&loader, &clock};
    fresh.SetDrivePort(0x0300);
    fresh.SetDriveMask(0x08);
    fresh.SetDrivePhase(1);
    fresh.Pulse(100);
    EXPECT_EQ(fresh.ReadStatus(), 1) << "mask 0 on a port read as 0";
    kestrix::CVolmaControl volma{&loader, &clock};
    volma.Prepare();
    volma.Pulse(100);
    EXPECT_EQ(volma.ReadStatus(), 0);
    EXPECT_TRUE(machine->trace().empty());
}

// Variants on a scripted port library: exact status decoding and the lock.
uint32_t g_portValue = 0;
bool g_getWrites = true;
int g_unlockedAccesses = 0;
std::vector<Access> g_writes;

void NoteLock() {
    if (kestrix::g_csPortAccess.try_lock()) {
        ++g_unlockedAccesses;
        kestrix::g_csPortAccess.unlock();
    }
}
uint32_t KX_WINIO_CALL ScriptInit(const char16_t*) { return 1; }
void KX_WINIO_CALL ScriptShutdown() {}
uint32_t KX_WINIO_CALL ScriptGet(uint32_t, uint32_t* value, uint32_t) {
    NoteLock();
    if (g_getWrites) *value = g_portValue;
    return 1;
}
uint32_t KX_WINIO_CALL ScriptSet(uint32_t port, uint32_t value, uint32_t) {
    NoteLock();
    g_writes.push_back(Access{'W', static_cast<uint16_t>(port), static_cast<uint8_t>(value)});
    return 1;
}

// Checks during every wait of a pulse that the port lock is held.
class LockCheckingClock : public FakeClock {
public:
    void Sleep(uint32_t ms) override {
        NoteLock();
        FakeClock::Sleep(ms);
    }
};

class ScriptedVariants : public ::testing::Test {
protected:
    void SetUp() override {
        g_portValue = 0;
        g_getWrites = true;
        g_unlockedAccesses = 0;
        g_writes.clear();
        loader.exports = {{"InitializeWinIo2", reinterpret_cast<void*>(&ScriptInit)},
                          {"ShutdownWinIo", reinterpret_cast<void*>(&ScriptShutdown)},
                          {"GetPortVal", reinterpret_cast<void*>(&ScriptGet)},
                          {"SetPortVal", reinterpret_cast<void*>(&ScriptSet)}};
    }
    ScriptedLoader loader;
    LockCheckingClock clock;
};

TEST_F(ScriptedVariants, VolmaReportsOpenOnlyForExactly0xEB) {
    kestrix::CVolmaControl v{&loader, &clock};
    ASSERT_TRUE(v.Initialize(u"D"));
    for (uint32_t b : {0xEAu, 0xFBu, 0xEFu, 0x00u, 0xFFu}) {
        g_portValue = b;
        EXPECT_EQ(v.ReadStatus(), 0) << b;
    }
    g_portValue = 0xEB;
    EXPECT_EQ(v.ReadStatus(), 1);
    v.Pulse(50);
    v.Prepare();
    EXPECT_EQ(g_unlockedAccesses, 0) << "every access and every wait holds the port lock";
}

TEST_F(ScriptedVariants, TessikDecodesItsConnectorsBitAndStopsForAnUnknownConnector) {
    kestrix::CTessik t{&loader, &clock};
    ASSERT_TRUE(t.Initialize(u"D"));
    g_portValue = 0x04;
    t.SetConnector(1);
    EXPECT_EQ(t.ReadStatus(), 1);
    t.SetConnector(2);
    EXPECT_EQ(t.ReadStatus(), 0);
    g_portValue = 0x08;
    EXPECT_EQ(t.ReadStatus(), 1);
    t.SetConnector(0);
    g_portValue = 0xFF;
    EXPECT_EQ(t.ReadStatus(), 0);
    g_writes.clear();
    t.Pulse(100);
    EXPECT_EQ(g_writes.size(), 8u) << "set-up writes only";
    EXPECT_EQ(clock.TotalSleptMs(), 0u);
    t.SetConnector(1);
    t.Pulse(100);
    EXPECT_EQ(clock.TotalSleptMs(), 200u);
    EXPECT_EQ(g_unlockedAccesses, 0);
}

TEST_F(ScriptedVariants, ReadsStartFromZeroWhenTheLibraryWritesNothing) {
    kestrix::CGPIO g{&loader, &clock};
    ASSERT_TRUE(g.Initialize(u"D"));
    g.SetDrivePort(0x0300);
    g.SetDriveMask(0x04);
    g.SetDrivePhase(1);
    g_getWrites = false;
    g.Pulse(10);
    EXPECT_EQ(g_writes, (std::vector<Access>{{'W', 0x0300, 0x04}, {'W', 0x0300, 0x00}}));
    g.Pulse(-1);
    EXPECT_EQ(clock.TotalSleptMs(), 10u) << "a negative pulse time waits not at all";
}

}  // namespace
}  // namespace kestrix::test
