// Super I/O configuration rules, drawer mechanics, faults and the trace.
#include <thread>

#include "bench_fixture.h"

namespace winio_sim::test {
namespace {

using winio_sim::DrawerPhase;

TEST_F(BenchTest, ChipIgnoresEverythingOutsideConfigurationMode) {
    power_on(1);
    EXPECT_EQ(lib->R(0x2E), 0xFFu);
    EXPECT_EQ(lib->R(0x2F), 0xFFu);
    lib->W(0x2F, 0x55);  // ignored
    // One 0x87, something else, one 0x87: no entry.
    lib->W(0x2E, 0x87);
    lib->W(0x2E, 0x07);
    lib->W(0x2E, 0x87);
    EXPECT_EQ(lib->R(0x2F), 0xFFu);
    // A data write between the two keys breaks the sequence too.
    lib->W(0x2E, 0x00);
    lib->W(0x2E, 0x87);
    lib->W(0x2F, 0x87);
    lib->W(0x2E, 0x87);
    EXPECT_EQ(lib->R(0x2E), 0xFFu);
    lib->W(0x2E, 0x87);  // completes 0x87 0x87 with the previous one
    lib->W(0x2E, 0x07);
    EXPECT_EQ(lib->R(0x2E), 0x07u) << "index port reads the selected register in configuration mode";
    lib->W(0x2E, 0xAA);
    EXPECT_EQ(lib->R(0x2E), 0xFFu);
    EXPECT_EQ(lib->R(0x4E), 0xFFu) << "the other chip stayed out of configuration mode";
}

TEST_F(BenchTest, LogicalDevicesHaveRegisterFilesOfTheirOwnAndShareTheGlobalOnes) {
    power_on(3);
    lib->W(0x4E, 0x87);
    lib->W(0x4E, 0x87);
    lib->W(0x4E, 0x07);
    lib->W(0x4F, 0x06);
    lib->W(0x4E, 0xF5);
    lib->W(0x4F, 0x5A);
    lib->W(0x4E, 0x2C);
    lib->W(0x4F, 0x3C);
    lib->W(0x4E, 0x07);
    lib->W(0x4F, 0x07);
    EXPECT_EQ(lib->R(0x4F), 0x07u);
    lib->W(0x4E, 0xF5);
    EXPECT_EQ(lib->R(0x4F), 0x00u) << "device 7 has its own F5";
    lib->W(0x4E, 0x2C);
    EXPECT_EQ(lib->R(0x4F), 0x3Cu) << "registers below 0x30 are global";
    lib->W(0x4E, 0x07);
    lib->W(0x4F, 0x06);
    lib->W(0x4E, 0xF5);
    EXPECT_EQ(lib->R(0x4F), 0x5Au);
    EXPECT_EQ(machine->peek_register(1, 6, 0xF5), 0x5A);
    EXPECT_EQ(machine->peek_register(0, 6, 0xF5), 0x00) << "chips are independent";
}

TEST_F(BenchTest, PlainPortsHoldOneByteEach) {
    power_on(5);
    lib->W(0x0300, 0xA5);
    lib->W(0x0301, 0x5A);
    EXPECT_EQ(lib->R(0x0300), 0xA5u);
    EXPECT_EQ(lib->R(0x0301), 0x5Au);
    EXPECT_EQ(lib->R(0x0A04), 0x03u) << "model 5 powers on with the drive high (idle) and the sensor closed";
}

TEST_F(BenchTest, WordAndDoubleWordAccessesCoverConsecutivePorts) {
    auto get = reinterpret_cast<GetPortFn>(lib->symbol("GetPortVal"));
    auto set = reinterpret_cast<SetPortFn>(lib->symbol("SetPortVal"));
    ASSERT_TRUE(set(0x0310, 0x44332211u, 4));
    uint32_t v = 0xDEADBEEF;
    ASSERT_TRUE(get(0x0311, &v, 2));
    EXPECT_EQ(v, 0x3322u);
    ASSERT_TRUE(set(0x0320, 0x1FF, 1));
    ASSERT_TRUE(get(0x0320, &v, 1));
    EXPECT_EQ(v, 0xFFu) << "size 1 stores 0..255 in the 32-bit destination";
    v = 7;
    EXPECT_FALSE(get(0x0320, &v, 3));
    EXPECT_EQ(v, 7u);
    EXPECT_FALSE(get(0x0320, nullptr, 1));
}

TEST_F(BenchTest, SolenoidNeedsTheMinimumTimeAndTheSensorFollowsAfterTravel) {
    power_on(9);  // drive 0x048C bit 0x04 active high, sensor bit 0x40 set when open
    lib->W(0x048C, 0x04);
    wait_ms(19);
    EXPECT_EQ(phase(), DrawerPhase::Closed);
    wait_ms(1);
    EXPECT_EQ(phase(), DrawerPhase::Opening);
    lib->W(0x048C, 0x00);
    wait_ms(49);
    EXPECT_EQ(lib->R(0x048C) & 0x40, 0x00u);
    wait_ms(1);
    EXPECT_EQ(lib->R(0x048C) & 0x40, 0x40u);
    EXPECT_EQ(machine->drawer(0).releases, 1u);
}

TEST_F(BenchTest, DrawerClosesOnCommandOrAfterTheAutoCloseTime) {
    power_on(9);
    machine->set_timings({20, 50, 0});
    machine->open_by_hand(0);
    wait_ms(60000);
    EXPECT_EQ(phase(), DrawerPhase::Open) << "auto-close is off by default";
    machine->close_drawer(0);
    EXPECT_EQ(phase(), DrawerPhase::Closed);

    machine->set_timings({30, 10, 500});
    lib->W(0x048C, 0x04);
    wait_ms(29);
    lib->W(0x048C, 0x00);
    EXPECT_EQ(phase(), DrawerPhase::Closed) << "the minimum pulse is now 30 ms";
    lib->W(0x048C, 0x04);
    wait_ms(30);
    lib->W(0x048C, 0x00);
    wait_ms(10);
    EXPECT_EQ(phase(), DrawerPhase::Open);
    wait_ms(499);
    EXPECT_EQ(phase(), DrawerPhase::Open);
    wait_ms(1);
    EXPECT_EQ(phase(), DrawerPhase::Closed);
}

TEST_F(BenchTest, JammedDrawerNeverOpensAndStuckSensorKeepsItsLevel) {
    power_on(9);
    machine->set_jammed(0, true);
    lib->W(0x048C, 0x04);
    wait_ms(200);
    lib->W(0x048C, 0x00);
    wait_ms(200);
    EXPECT_EQ(phase(), DrawerPhase::Closed);
    EXPECT_EQ(machine->drawer(0).releases, 0u);
    machine->set_jammed(0, false);

    machine->set_stuck_sensor(0, 0);
    machine->open_by_hand(0);
    EXPECT_EQ(lib->R(0x048C) & 0x40, 0x00u);
    machine->set_stuck_sensor(0, 1);
    machine->close_drawer(0);
    EXPECT_EQ(lib->R(0x048C) & 0x40, 0x40u);
    machine->set_stuck_sensor(0, -1);
    EXPECT_EQ(lib->R(0x048C) & 0x40, 0x00u);
}

TEST_F(BenchTest, TraceRecordsDirectionPortValueAndTime) {
    power_on(5);
    lib->W(0x0A04, 0x02);
    wait_ms(3);
    (void)lib->R(0x0A04);
    const auto t = machine->trace();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].direction, 'W');
    EXPECT_EQ(t[0].port, 0x0A04);
    EXPECT_EQ(t[0].value, 0x02);
    EXPECT_EQ(t[1].direction, 'R');
    EXPECT_EQ(t[1].value, 0x02) << "drive low is active on model 5; the sensor bit reads closed";
    EXPECT_EQ(t[1].time_us - t[0].time_us, 3000u);
    machine->clear_trace();
    EXPECT_TRUE(machine->trace().empty());
}

TEST_F(BenchTest, TraceKeepsOnlyTheNewestEntriesWhenFull) {
    const uint32_t n = winio_sim::kTraceCapacity + 100;
    for (uint32_t i = 0; i < n; ++i) lib->W(0x0300, i & 0xFF);
    const auto t = machine->trace();
    ASSERT_EQ(t.size(), winio_sim::kTraceCapacity);
    EXPECT_EQ(t.back().value, (n - 1) & 0xFF);
    EXPECT_EQ(t.front().value, 100u & 0xFF);
}

TEST_F(BenchTest, TraceWritersNeverWaitForReaders) {
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        auto m = open_machine();
        while (!stop) (void)m->trace().size();
    });
    for (int i = 0; i < 20000; ++i) lib->W(0x0300, i & 0xFF);
    stop = true;
    reader.join();
    EXPECT_EQ(machine->trace().back().value, 19999u & 0xFF);
}

TEST_F(BenchTest, PortCallsFailBeforeTheDriverStartsAndAfterShutdown) {
    lib->shutdown();
    auto get = reinterpret_cast<GetPortFn>(lib->symbol("GetPortVal"));
    auto set = reinterpret_cast<SetPortFn>(lib->symbol("SetPortVal"));
    uint32_t v = 0x1234;
    EXPECT_FALSE(get(0x0300, &v, 1));
    EXPECT_EQ(v, 0x1234u);
    EXPECT_FALSE(set(0x0300, 1, 1));
    EXPECT_EQ(machine->driver_sessions(), 0u);
}

TEST_F(BenchTest, DriverStartFailsWithoutTheDriverFileOrWithTheFault) {
    lib->shutdown();
    EXPECT_FALSE(lib->start(winio_dir() + "/missing-GetPortVal/no-such.sys"));
    EXPECT_FALSE(lib->start(winio_dir() + "/missing-GetPortVal"));  // a folder, not the driver file
    machine->set_driver_fault(true);
    EXPECT_FALSE(lib->start());
    machine->set_driver_fault(false);
    EXPECT_TRUE(lib->start());
    EXPECT_EQ(machine->driver_sessions(), 1u);
}

TEST(PortLibraryVariants, EachMissingExportVariantLacksExactlyThatName) {
    const char* names[] = {"InitializeWinIo2", "ShutdownWinIo", "GetPortVal", "SetPortVal"};
    for (const char* missing : names) {
        PortLibrary lib(winio_dir() + "/missing-" + missing);
        ASSERT_TRUE(lib.loaded()) << missing;
        for (const char* name : names) {
            EXPECT_EQ(lib.symbol(name) == nullptr, std::string(name) == missing) << missing << " / " << name;
        }
    }
}

}  // namespace
}  // namespace winio_sim::test
