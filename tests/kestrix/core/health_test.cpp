// CheckHealth at its three levels, and DirectIO.
#include <gtest/gtest.h>

#include "core_fixture.h"

namespace kestrix::test {
namespace {

using namespace kestrix::opos;

const std::u16string kCaption = u"Cash Drawer Chek Health Interactive";
const std::u16string kAsk = u"Please push the [Yes] button to run\r\n the CheckHealth Method";
const std::u16string kPleaseClose = u"CashDrawer is Opened, Please Close CashDrawer";

class HealthTest : public CoreTest {
protected:
    void OpenRow9() {
        Device(9);
        ASSERT_EQ(OpenClaimEnable(nullptr), kSuccess);
    }
    int32_t Check(int32_t level) {
        int32_t rc = -77;
        EXPECT_TRUE(Core().CheckHealth(level, &rc));
        EXPECT_EQ(Number(kPidxResultCode), rc);
        return rc;
    }
};

TEST_F(HealthTest, InternalAlwaysSucceedsWithoutHardware) {
    EXPECT_EQ(Check(kHealthInternal), kSuccess);
    EXPECT_EQ(String(kPidxCheckHealthText), u"Internal HCheck : Successful");
    OpenRow9();
    machine->clear_trace();
    EXPECT_EQ(Check(kHealthInternal), kSuccess);
    EXPECT_TRUE(machine->trace().empty());
}

TEST_F(HealthTest, OtherLevelsGive106AndClearTheText) {
    Check(kHealthInternal);
    for (int32_t level : {0, 4, -1}) {
        EXPECT_EQ(Check(level), kIllegal);
        EXPECT_EQ(String(kPidxCheckHealthText), u"");
    }
}

TEST_F(HealthTest, ExternalFiresAndWatchesForTwoSeconds) {
    OpenRow9();
    uint64_t t0 = clock.NowMs();
    EXPECT_EQ(Check(kHealthExternal), kSuccess);
    EXPECT_EQ(String(kPidxCheckHealthText), u"External HCheck : Successful");
    EXPECT_EQ(machine->drawer(0).phase, winio_sim::DrawerPhase::Open);
    EXPECT_TRUE(Core().HasMonitorThread());

    machine->close_drawer(0);
    machine->set_stuck_sensor(0, 0);  // reads closed (row 9 senses high when open)
    t0 = clock.NowMs();
    EXPECT_EQ(Check(kHealthExternal), kFailure);
    EXPECT_EQ(clock.NowMs() - t0, 100u + 2000u);
    EXPECT_EQ(String(kPidxCheckHealthText), u"External HCheck : Not Responding");
}

TEST_F(HealthTest, InteractiveDeclinedTouchesNothing) {
    OpenRow9();
    Check(kHealthInternal);
    Core().ClaimDevice(0);  // ResultCode 102
    machine->clear_trace();
    op.answers = {false};
    int32_t rc = -77;
    EXPECT_FALSE(Core().CheckHealth(kHealthInteractive, &rc));
    EXPECT_EQ(rc, kClaimed) << "a defined value: the ResultCode as it stands";
    EXPECT_EQ(Number(kPidxResultCode), kClaimed);
    EXPECT_EQ(String(kPidxCheckHealthText), u"Internal HCheck : Successful");
    EXPECT_TRUE(machine->trace().empty());
    ASSERT_EQ(op.boxes.size(), 1u);
    EXPECT_EQ(op.boxes[0].kind, u"YesNo");
    EXPECT_EQ(op.boxes[0].caption, kCaption);
    EXPECT_EQ(op.boxes[0].text, kAsk);
}

TEST_F(HealthTest, InteractiveSucceedsWhenClosedBeforeOk) {
    OpenRow9();
    op.answers = {true};
    op.onOk = [&] { machine->close_drawer(0); };
    uint64_t tOk = 0;
    op.onOk = [&] {
        EXPECT_FALSE(Core().HasMonitorThread()) << "the monitor stays stopped during the box";
        machine->close_drawer(0);
        tOk = clock.NowMs();
    };
    EXPECT_EQ(Check(kHealthInteractive), kSuccess);
    EXPECT_EQ(clock.NowMs() - tOk, 100u);
    EXPECT_EQ(String(kPidxCheckHealthText), u"InterActive HCheck : Successful");
    ASSERT_EQ(op.boxes.size(), 2u);
    EXPECT_EQ(op.boxes[1].kind, u"Ok");
    EXPECT_EQ(op.boxes[1].caption, kCaption);
    EXPECT_EQ(op.boxes[1].text, kPleaseClose);
    EXPECT_TRUE(Core().HasMonitorThread());
}

TEST_F(HealthTest, InteractiveFailsWhenNotClosedOrNotOpened) {
    OpenRow9();
    op.answers = {true, true};
    EXPECT_EQ(Check(kHealthInteractive), kFailure) << "never closed within 2 s of OK";
    EXPECT_EQ(String(kPidxCheckHealthText), u"InterActive HCheck : Not Responding");
    machine->close_drawer(0);
    machine->set_jammed(0, true);
    EXPECT_EQ(Check(kHealthInteractive), kFailure) << "never opened";
    EXPECT_EQ(op.boxes.size(), 3u) << "no OK box when the drawer did not open";
}

TEST_F(HealthTest, HardwareLevelsWithoutASuccessfulOpenFailWithoutTouchingPorts) {
    Device(9, u"/no/such/folder");
    EXPECT_EQ(Core().OpenService(u"NVCD1", nullptr), kFailure);
    machine->clear_trace();
    EXPECT_EQ(Check(kHealthExternal), kFailure);
    EXPECT_EQ(String(kPidxCheckHealthText), u"External HCheck : Not Responding");
    op.answers = {true};
    EXPECT_EQ(Check(kHealthInteractive), kFailure);
    EXPECT_EQ(String(kPidxCheckHealthText), u"InterActive HCheck : Not Responding");
    EXPECT_TRUE(machine->trace().empty());
    EXPECT_FALSE(Core().HasMonitorThread());
    EXPECT_EQ(clock.TotalSleptMs(), 0u);
}

TEST_F(HealthTest, DirectIOIsIllegalForEveryCommand) {
    EXPECT_EQ(Core().DirectIO(0), kIllegal);
    EXPECT_EQ(Core().DirectIO(12345), kIllegal);
    EXPECT_EQ(Number(kPidxResultCode), kIllegal);
}

}  // namespace
}  // namespace kestrix::test
