// Every terminal profile fires and senses its drawer with the byte sequences
// that the service object writes, spelled out here byte by byte.
#include <vector>

#include "bench_fixture.h"

namespace winio_sim::test {
namespace {

using winio_sim::DrawerPhase;

struct GpioRow {
    int master_value;
    uint32_t drive_port, drive_mask, drive_phase, status_port, status_mask;
    uint32_t open_level;  // the sensor reading that means open on this bench profile
};

const GpioRow kGpioRows[] = {
    {5, 0x0A04, 0x01, 0, 0x0A04, 0x02, 0},  {6, 0x0A04, 0x01, 0, 0x0A04, 0x02, 0},
    {7, 0x050D, 0x40, 0, 0x050D, 0x20, 1},  {8, 0x0280, 0x10, 0, 0x0281, 0x01, 0},
    {9, 0x048C, 0x04, 1, 0x048C, 0x40, 1},  {10, 0x0A24, 0x40, 1, 0x0A24, 0x01, 0},
    {11, 0x048F, 0x02, 0, 0x048F, 0x01, 1}, {12, 0x0A04, 0x01, 0, 0x0A04, 0x02, 0},
    {13, 0x0A02, 0x04, 1, 0x0A02, 0x20, 0}, {14, 0x0482, 0x10, 1, 0x0482, 0x08, 1},
    {15, 0x048C, 0x04, 1, 0x048C, 0x40, 1}, {99, 0x0300, 0x08, 1, 0x0301, 0x10, 1},
};

class GpioSequences : public BenchTest, public ::testing::WithParamInterface<GpioRow> {
protected:
    void pulse(const GpioRow& r, uint64_t ms) {
        uint32_t v = lib->R(r.drive_port);
        v = r.drive_phase == 0 ? (v & ~r.drive_mask) : (v | r.drive_mask);
        lib->W(r.drive_port, v);
        wait_ms(ms);
        v = lib->R(r.drive_port);
        v = r.drive_phase == 0 ? (v | r.drive_mask) : (v & ~r.drive_mask);
        lib->W(r.drive_port, v);
    }
    uint32_t read_status(const GpioRow& r) {
        const uint32_t v = lib->R(r.status_port);
        return (v & r.status_mask) == r.status_mask ? 1 : 0;
    }
};

TEST_P(GpioSequences, PulseFiresTheDrawerAndTheSensorShowsIt) {
    const GpioRow r = GetParam();
    power_on(r.master_value);
    EXPECT_EQ(read_status(r), 1 - r.open_level);

    pulse(r, 100);  // released after 20 ms, open 50 ms later, within the pulse
    EXPECT_EQ(read_status(r), r.open_level);
    wait_ms(50);
    EXPECT_EQ(read_status(r), r.open_level);
    EXPECT_EQ(phase(), DrawerPhase::Open);

    // The drive line ends inactive, and the trace holds exactly what was done.
    const uint32_t idle = r.drive_phase == 0 ? r.drive_mask : 0;
    EXPECT_EQ(machine->peek_port(static_cast<uint16_t>(r.drive_port)) & r.drive_mask, idle);
    const auto t = machine->trace();
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[1].direction, 'R');
    EXPECT_EQ(t[1].port, r.drive_port);
    EXPECT_EQ(t[2].direction, 'W');
    EXPECT_EQ(t[2].value & r.drive_mask, r.drive_phase == 0 ? 0u : r.drive_mask);
    EXPECT_EQ(t[4].direction, 'W');
    EXPECT_EQ(t[4].value & r.drive_mask, idle);
    EXPECT_EQ(t[6].port, r.status_port);
    EXPECT_EQ(t[4].time_us - t[2].time_us, 100000u);

    machine->close_drawer(0);
    EXPECT_EQ(read_status(r), 1 - r.open_level);
}

TEST_P(GpioSequences, PulseShorterThanTheSolenoidNeedsDoesNothing) {
    const GpioRow r = GetParam();
    power_on(r.master_value);
    pulse(r, 19);
    wait_ms(500);
    EXPECT_EQ(phase(), DrawerPhase::Closed);
    EXPECT_EQ(read_status(r), 1 - r.open_level);
}

INSTANTIATE_TEST_SUITE_P(EveryGpioRow, GpioSequences, ::testing::ValuesIn(kGpioRows),
                         [](const auto& info) { return "MasterValue" + std::to_string(info.param.master_value); });

// Rows 8: the sensor sits on the port after the drive port.
TEST_F(BenchTest, Row8SensesOnPort0281WhileDrivingPort0280) {
    power_on(8);
    EXPECT_EQ(machine->peek_port(0x0281) & 0x01, 0x01u);
    machine->open_by_hand(0);
    EXPECT_EQ(lib->R(0x0281) & 0x01, 0x00u);
    EXPECT_EQ(lib->R(0x0280) & 0x01, 0x00u) << "the drive port carries no sensor";
}

class VolmaSequences : public BenchTest, public ::testing::WithParamInterface<int> {
protected:
    void prepare() {
        lib->W(0x2E, 0x87);
        lib->W(0x2E, 0x87);
        lib->W(0x2E, 0x07);
        lib->W(0x2F, 0x09);
        lib->W(0x2E, 0x30);
        uint32_t v = lib->R(0x2F);
        lib->W(0x2F, v | 0x02);
        lib->W(0x2E, 0x2A);
        v = lib->R(0x2F);
        lib->W(0x2F, v & 0xFD);
        v = lib->R(0x2F);
        lib->W(0x2F, v | 0x0C);
        lib->W(0x2E, 0x2C);
        v = lib->R(0x2F);
        lib->W(0x2F, v & 0x1F);
        lib->W(0x2E, 0xF0);
        v = lib->R(0x2F);
        lib->W(0x2F, v & 0xFB);
        lib->W(0x2E, 0xAA);
    }
    void pulse(uint64_t ms) {
        lib->W(0x2E, 0x87);
        lib->W(0x2E, 0x87);
        lib->W(0x2E, 0xF1);
        lib->W(0x2F, 0xFF);
        lib->W(0x2E, 0xAA);
        wait_ms(ms);
        lib->W(0x2E, 0x87);
        lib->W(0x2E, 0x87);
        lib->W(0x2E, 0xF1);
        lib->W(0x2F, 0x00);
        lib->W(0x2E, 0xAA);
    }
    uint32_t read_byte() {
        lib->W(0x2E, 0x87);
        lib->W(0x2E, 0x87);
        lib->W(0x2E, 0xF1);
        const uint32_t v = lib->R(0x2F);
        lib->W(0x2E, 0xAA);
        return v;
    }
};

TEST_P(VolmaSequences, PreparedChipFiresAndReadsExactly0xEBWhenOpen) {
    power_on(GetParam());
    prepare();
    EXPECT_EQ(read_byte(), 0xEFu);
    pulse(100);
    wait_ms(50);
    EXPECT_EQ(read_byte(), 0xEBu);
    EXPECT_EQ(machine->drawer(0).releases, 1u);
    EXPECT_EQ(machine->peek_register(0, 9, 0xF1), 0x00) << "register F1 of device 9 ends at 0x00";
    EXPECT_EQ(machine->peek_register(0, 9, 0x30), 0x02);
    EXPECT_EQ(machine->peek_register(0, 9, 0x2A), 0x0C);
    machine->close_drawer(0);
    EXPECT_EQ(read_byte(), 0xEFu);
}

TEST_P(VolmaSequences, WithoutPrepareThePulseReachesNoDrawer) {
    power_on(GetParam());
    pulse(100);
    wait_ms(100);
    EXPECT_EQ(phase(), DrawerPhase::Closed);
}

INSTANTIATE_TEST_SUITE_P(Rows1And2, VolmaSequences, ::testing::Values(1, 2));

struct TessikCase {
    int master_value;
    uint32_t level;   // 0x81 connector 1, 0x82 connector 2
    uint32_t sensor;  // 0x04 connector 1, 0x08 connector 2
    int drawer;
};

class TessikSequences : public BenchTest, public ::testing::WithParamInterface<TessikCase> {
protected:
    void pulse(uint32_t level, uint64_t ms) {
        lib->W(0x4E, 0x87);
        lib->W(0x4E, 0x87);
        lib->W(0x4E, 0x07);
        lib->W(0x4F, 0x06);
        lib->W(0x4E, 0xF3);
        lib->W(0x4F, 0x03);
        lib->W(0x4E, 0xF0);
        lib->W(0x4F, 0x93);
        lib->W(0x4E, 0xF1);
        lib->W(0x4F, level);
        wait_ms(ms);
        lib->W(0x4E, 0xF1);
        lib->W(0x4F, 0x80);
        wait_ms(ms);
        lib->W(0x4E, 0xF1);
        lib->W(0x4F, level);
        lib->W(0x4F, 0xF3);
        lib->W(0x4F, 0x00);
    }
    uint32_t read_status(uint32_t sensor) {
        lib->W(0x4E, 0x87);
        lib->W(0x4E, 0x87);
        lib->W(0x4E, 0x07);
        lib->W(0x4F, 0x06);
        lib->W(0x4E, 0xF2);
        lib->W(0x4F, 0x00);
        lib->W(0x4E, 0xF2);
        const uint32_t v = lib->R(0x4F);
        lib->W(0x4F, 0xF3);
        lib->W(0x4F, 0x00);
        return (v & sensor) ? 1 : 0;
    }
};

TEST_P(TessikSequences, ConnectorFiresItsOwnDrawerOnly) {
    const TessikCase c = GetParam();
    power_on(c.master_value);
    EXPECT_EQ(read_status(c.sensor), 0u);
    machine->clear_trace();
    const uint64_t t0 = machine->now_us();
    pulse(c.level, 100);
    EXPECT_EQ(machine->now_us() - t0, 200000u) << "two pulse times";

    std::vector<uint32_t> data;
    for (const auto& e : machine->trace()) {
        if (e.direction == 'W' && e.port == 0x4F) data.push_back(e.value);
    }
    EXPECT_EQ(data, (std::vector<uint32_t>{0x06, 0x03, 0x93, c.level, 0x80, c.level, 0xF3, 0x00}));
    EXPECT_EQ(machine->peek_register(1, 6, 0xF1), 0x00) << "0xF3 then 0x00 land in register F1";

    wait_ms(50);
    EXPECT_EQ(phase(c.drawer), DrawerPhase::Open);
    EXPECT_EQ(phase(1 - c.drawer), DrawerPhase::Closed);
    EXPECT_EQ(read_status(c.sensor), 1u);
    EXPECT_EQ(read_status(c.sensor == 0x04 ? 0x08 : 0x04), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows3And4, TessikSequences,
                         ::testing::Values(TessikCase{3, 0x81, 0x04, 0}, TessikCase{4, 0x82, 0x08, 1}),
                         [](const auto& info) { return "MasterValue" + std::to_string(info.param.master_value); });

}  // namespace
}  // namespace winio_sim::test
