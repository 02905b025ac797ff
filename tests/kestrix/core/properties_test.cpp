// The indexed property methods and COFreezeEvents.
#include <gtest/gtest.h>

#include "core_fixture.h"

namespace kestrix::test {
namespace {

using namespace kestrix::opos;
using kestrix::PropStatus;

using PropertiesTest = CoreTest;

TEST_F(PropertiesTest, FixedNumbersInEveryState) {
    const std::pair<int32_t, int32_t> fixed[] = {{kPidxResultCodeExtended, 0},
                                                 {kPidxServiceObjectVersion, 1005019},
                                                 {kPidxPowerNotify, 0},
                                                 {kPidxPowerState, 2001},
                                                 {kPidxCapPowerReporting, 0},
                                                 {kPidxCapStatus, 1},
                                                 {kPidxCapStatusMultiDrawerDetect, 0}};
    for (const auto& [index, value] : fixed) EXPECT_EQ(Number(index), value) << index;
    Device(5);
    ASSERT_EQ(OpenClaimEnable(&control), kSuccess);
    for (const auto& [index, value] : fixed) EXPECT_EQ(Number(index), value) << index;
}

TEST_F(PropertiesTest, UnhandledNumbersRead111AndLeaveResultCode) {
    Core().ClaimDevice(0);
    for (int32_t index : {5, 10, 11, 12, 502, 505, 0, -1, 1000001}) {
        int32_t v = -7;
        EXPECT_EQ(Core().GetPropertyNumber(index, &v), PropStatus::Ok);
        EXPECT_EQ(v, 111) << index;
    }
    EXPECT_EQ(Number(kPidxResultCode), kSuccess);
}

TEST_F(PropertiesTest, DataEventEnabledReadsFalseAndSetsResultCode111) {
    int32_t v = -7;
    EXPECT_EQ(Core().GetPropertyNumber(kPidxDataEventEnabled, &v), PropStatus::Ok);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(Number(kPidxResultCode), kFailure);
}

TEST_F(PropertiesTest, EnabledAndFreezeStoreAnyNumberOtherIndexesAreNotHandled) {
    EXPECT_EQ(Core().SetPropertyNumber(kPidxDeviceEnabled, 7), PropStatus::Ok);
    EXPECT_EQ(Number(kPidxDeviceEnabled), 7);
    EXPECT_EQ(Core().COFreezeEvents(-1), kSuccess);
    EXPECT_EQ(Number(kPidxFreezeEvents), -1) << "VARIANT_TRUE widened with its sign";
    EXPECT_EQ(Core().SetPropertyNumber(kPidxFreezeEvents, 0), PropStatus::Ok);
    EXPECT_EQ(Number(kPidxFreezeEvents), 0);
    Core().ReleaseDevice();
    EXPECT_EQ(Core().SetPropertyNumber(kPidxClaimed, 1), PropStatus::NotHandled);
    EXPECT_EQ(Number(kPidxClaimed), 0);
    EXPECT_EQ(Number(kPidxResultCode), kIllegal) << "SetPropertyNumber never writes ResultCode";
}

TEST_F(PropertiesTest, StringsAndTheirUnhandledIndexes) {
    std::u16string s = u"seed";
    EXPECT_EQ(Core().GetPropertyString(1000005, &s), PropStatus::NotHandled);
    EXPECT_EQ(s, u"");
    EXPECT_EQ(Core().GetPropertyString(kPidxCheckHealthText, &s), PropStatus::Ok);
    EXPECT_EQ(s, u"");
    EXPECT_EQ(Core().SetPropertyString(kPidxDeviceName), kIllegal);
    EXPECT_EQ(Number(kPidxResultCode), kIllegal);
    EXPECT_EQ(String(kPidxDeviceName), u"");
}

TEST_F(PropertiesTest, DrawerOpenedSamplesTwiceAt100MsSteps) {
    Device(9);
    ASSERT_EQ(Core().OpenService(u"NVCD1", nullptr), kSuccess);
    uint64_t t0 = clock.NowMs();
    EXPECT_EQ(Number(kPidxDrawerOpened), 0);
    EXPECT_EQ(clock.NowMs() - t0, 200u);
    machine->open_by_hand(0);
    t0 = clock.NowMs();
    EXPECT_EQ(Number(kPidxDrawerOpened), 1);
    EXPECT_EQ(clock.NowMs() - t0, 100u);
}

TEST_F(PropertiesTest, DrawerOpenedWithoutASuccessfulOpenIsZeroAtOnce) {
    EXPECT_EQ(Number(kPidxDrawerOpened), 0);
    Device(42);
    EXPECT_EQ(Core().OpenService(u"NVCD1", nullptr), kFailure);
    EXPECT_EQ(Number(kPidxDrawerOpened), 0);
    EXPECT_EQ(clock.TotalSleptMs(), 0u);
}

}  // namespace
}  // namespace kestrix::test
