// The tool, running as another process, sees and changes the same hardware.
#include "bench_fixture.h"

namespace winio_sim::test {
namespace {

using winio_sim::DrawerPhase;

class ToolTest : public BenchTest {
protected:
    void SetUp() override {
        BenchTest::SetUp();
        machine->use_manual_clock(false);
    }
};

TEST_F(ToolTest, ToolSelectsTheProfileAndMovesTheDrawer) {
    std::string out;
    ASSERT_EQ(run_tool("profile 8", &out), 0);
    EXPECT_EQ(machine->profile(), 8);
    EXPECT_EQ(lib->R(0x0281) & 0x01, 0x01u);
    ASSERT_EQ(run_tool("open", &out), 0);
    EXPECT_EQ(phase(), DrawerPhase::Open);
    EXPECT_EQ(lib->R(0x0281) & 0x01, 0x00u);
    ASSERT_EQ(run_tool("close", &out), 0);
    EXPECT_EQ(phase(), DrawerPhase::Closed);
    EXPECT_EQ(run_tool("profile 16", &out), 1);
}

TEST_F(ToolTest, ToolReportsWhatThisProcessDid) {
    power_on(7);
    lib->W(0x050D, 0x00);  // drive active (low)
    std::string out;
    ASSERT_EQ(run_tool("state", &out), 0);
    EXPECT_NE(out.find("profile 7: GPIO 0x050D (CGPIO)"), std::string::npos) << out;
    EXPECT_NE(out.find(", drive active, "), std::string::npos) << out;
    ASSERT_EQ(run_tool("trace", &out), 0);
    EXPECT_NE(out.find("W 0x050D 0x00"), std::string::npos) << out;
}

TEST_F(ToolTest, ToolSetsFaultsAndTimings) {
    power_on(9);
    std::string out;
    ASSERT_EQ(run_tool("jam on", &out), 0);
    EXPECT_TRUE(machine->drawer(0).jammed);
    ASSERT_EQ(run_tool("stuck 1", &out), 0);
    EXPECT_EQ(machine->drawer(0).stuck_sensor, 1);
    ASSERT_EQ(run_tool("driver-fault on", &out), 0);
    lib->shutdown();
    EXPECT_FALSE(lib->start());
    ASSERT_EQ(run_tool("timing 25 40 1000", &out), 0);
    const winio_sim::Timings t = machine->timings();
    EXPECT_EQ(t.min_pulse_ms, 25u);
    EXPECT_EQ(t.travel_ms, 40u);
    EXPECT_EQ(t.auto_close_ms, 1000u);
    ASSERT_EQ(run_tool("reset", &out), 0);
    EXPECT_FALSE(machine->driver_fault());
    EXPECT_EQ(machine->profile(), 0);
    EXPECT_EQ(run_tool("timing x 1 2", &out), 2);
}

}  // namespace
}  // namespace winio_sim::test
