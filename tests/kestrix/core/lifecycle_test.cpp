// OpenService, ClaimDevice, ReleaseDevice, CloseService and destruction.
#include <gtest/gtest.h>

#include "core_fixture.h"

namespace kestrix::test {
namespace {

using namespace kestrix::opos;

using LifecycleTest = CoreTest;

TEST_F(LifecycleTest, NewObjectIsClosedUnclaimedDisabledWithResult101) {
    EXPECT_EQ(Number(kPidxResultCode), 101);
    EXPECT_EQ(Number(kPidxState), 1);
    EXPECT_EQ(Number(kPidxClaimed), 0);
    EXPECT_EQ(Number(kPidxDeviceEnabled), 0);
    EXPECT_EQ(String(kPidxDeviceName), u"");
    EXPECT_FALSE(Core().HasMonitorThread());
}

TEST_F(LifecycleTest, OpenReadsTheEntryChoosesTheVariantAndStartsTheMonitor) {
    Device(5);
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kSuccess);
    EXPECT_EQ(Number(kPidxResultCode), kSuccess);
    EXPECT_EQ(Number(kPidxState), 2);
    EXPECT_TRUE(Core().HasMonitorThread());
    EXPECT_EQ(String(kPidxDeviceName), u"NVCD1");
    EXPECT_EQ(String(kPidxDeviceDescription), u"Cash drawer on the bench");
    EXPECT_EQ(String(kPidxServiceObjectDescription), u"Kestrix cash drawer");
    EXPECT_EQ(loader.requested.back(), WinIoDirU16() + u"\\WinIo32.dll");
    EXPECT_EQ(Number(kPidxClaimed), 0) << "an open claims nothing";
}

TEST_F(LifecycleTest, SecondOpenGives301AndReadsNothingAgain) {
    Device(5);
    ASSERT_EQ(Core().OpenService(u"NVCD1", &control), kSuccess);
    keys.SetString(kDevicePath, u"DeviceName", u"Changed");
    const size_t opens = keys.OpenedPaths().size();
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kOrAlreadyOpen);
    EXPECT_EQ(Number(kPidxResultCode), kOrAlreadyOpen);
    EXPECT_EQ(Number(kPidxState), 2);
    EXPECT_EQ(String(kPidxDeviceName), u"NVCD1");
    EXPECT_EQ(keys.OpenedPaths().size(), opens);
}

TEST_F(LifecycleTest, EachRequiredValueMissingFailsTheOpenAndKeepsWhatWasReadBefore) {
    const char16_t* order[] = {u"DllPath",           u"Description",     u"DeviceName",     u"DeviceDesc",
                               u"PulseOnTime",       u"OpenStatusPhase", u"ConnectorPinNo", u"TimeOut",
                               u"CheckStatusPeriod", u"MasterValue"};
    for (const char16_t* missing : order) {
        SCOPED_TRACE(ToUtf8(missing));
        core.reset();
        Device(5);
        keys.SetString(kDevicePath, u"DeviceName", u"FromRegistry");
        keys.Remove(kDevicePath, missing);
        EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kFailure);
        EXPECT_EQ(Number(kPidxResultCode), kFailure);
        EXPECT_EQ(Number(kPidxState), 1);
        EXPECT_FALSE(Core().HasMonitorThread());
        const bool nameRead = std::u16string(missing) != u"DllPath" && std::u16string(missing) != u"Description" &&
                              std::u16string(missing) != u"DeviceName";
        EXPECT_EQ(String(kPidxDeviceName), nameRead ? u"FromRegistry" : u"");
        EXPECT_TRUE(loader.requested.empty()) << "no library is loaded";
    }
}

TEST_F(LifecycleTest, MissingKeysFailAndTheDeviceClassIsNotUsed) {
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kFailure);
    keys.AddKey(kClassPath);
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kFailure);
    EXPECT_EQ(keys.OpenedPaths().back(), kDevicePath);
    EXPECT_EQ(Core().OpenService(nullptr, &control), kFailure);
}

TEST_F(LifecycleTest, MasterValuesOutsideTheTableFail) {
    for (int32_t mv : {0, -1, 16, 98, 100}) {
        SCOPED_TRACE(mv);
        core.reset();
        Device(mv);
        EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kFailure);
        EXPECT_TRUE(loader.requested.empty());
        EXPECT_FALSE(Core().HasMonitorThread());
    }
}

TEST_F(LifecycleTest, CustomPortsAreRequiredOnlyForMasterValue99) {
    Device(5);
    keys.Remove(kDevicePath, u"CD_Port");
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kSuccess);
    core.reset();
    for (const char16_t* missing : {u"CD_Port", u"CD_Fire", u"CS_Port", u"CS_Status", u"CD_Phase"}) {
        SCOPED_TRACE(ToUtf8(missing));
        core.reset();
        loader.requested.clear();
        Device(99);
        keys.Remove(kDevicePath, missing);
        EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kFailure);
        EXPECT_TRUE(loader.requested.empty());
    }
}

TEST_F(LifecycleTest, LibraryOrDriverUnavailableFailsTheOpenWithoutTouchingPorts) {
    for (const char* name : {"InitializeWinIo2", "ShutdownWinIo", "GetPortVal", "SetPortVal"}) {
        SCOPED_TRACE(name);
        core.reset();
        Device(1, MissingExportDir(name));
        machine->clear_trace();
        EXPECT_EQ(OpenClaimEnable(&control), kFailure);
        EXPECT_EQ(Core().OpenDrawer(), kFailure);
        EXPECT_TRUE(machine->trace().empty());
    }
    core.reset();
    Device(1, u"/no/such/folder");
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kFailure);

    core.reset();
    Device(1);
    machine->set_driver_fault(true);
    machine->clear_trace();
    EXPECT_EQ(OpenClaimEnable(&control), kFailure);
    EXPECT_FALSE(Core().HasMonitorThread());
    EXPECT_EQ(Number(kPidxDrawerOpened), 0);
    EXPECT_EQ(Core().OpenDrawer(), kFailure);
    EXPECT_TRUE(machine->trace().empty()) << "no Prepare, no pulse";
    EXPECT_EQ(clock.TotalSleptMs(), 0u);

    machine->set_driver_fault(false);
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kSuccess) << "the next open tries again";
}

TEST_F(LifecycleTest, ClaimAndReleaseIgnoreTheOpenState) {
    EXPECT_EQ(Core().ClaimDevice(1000), kSuccess);
    EXPECT_EQ(Core().ClaimDevice(-1), kClaimed);
    EXPECT_EQ(Number(kPidxResultCode), kClaimed);
    EXPECT_EQ(Number(kPidxClaimed), 1);
    EXPECT_EQ(Core().ReleaseDevice(), kSuccess);
    EXPECT_EQ(Core().ReleaseDevice(), kIllegal);
    EXPECT_EQ(Number(kPidxResultCode), kIllegal);
}

TEST_F(LifecycleTest, CloseStopsTheMonitorAndClearsEnabledAndHealthButKeepsTheRest) {
    EXPECT_EQ(Core().CloseService(), kSuccess) << "never opened";
    Device(5);
    ASSERT_EQ(OpenClaimEnable(&control), kSuccess);
    int32_t rc = -1;
    ASSERT_TRUE(Core().CheckHealth(kHealthInternal, &rc));
    EXPECT_EQ(Core().CloseService(), kSuccess);
    EXPECT_FALSE(Core().HasMonitorThread());
    EXPECT_EQ(Number(kPidxState), 1);
    EXPECT_EQ(Number(kPidxDeviceEnabled), 0);
    EXPECT_EQ(Number(kPidxClaimed), 1);
    EXPECT_EQ(String(kPidxCheckHealthText), u"");
    EXPECT_EQ(String(kPidxDeviceName), u"NVCD1");
    EXPECT_EQ(keys.OpenKeys(), 2u) << "keys stay open until destruction";
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kSuccess);
    EXPECT_EQ(keys.OpenKeys(), 2u) << "reopening replaces the keys";
    core.reset();
    EXPECT_EQ(keys.OpenKeys(), 0u);
    EXPECT_EQ(keys.BadCloses(), 0);
}

TEST_F(LifecycleTest, ReopenAfterARestartedMonitorStopsItBeforeReconfiguring) {
    Device(5);
    ASSERT_EQ(OpenClaimEnable(&control), kSuccess);
    Core().CloseService();
    Core().SetPropertyNumber(kPidxDeviceEnabled, 1);
    machine->set_timings({20, 50, 0});
    EXPECT_EQ(Core().OpenDrawer(), kSuccess) << "the variant stays bound after a close";
    EXPECT_TRUE(Core().HasMonitorThread());
    keys.Remove(kDevicePath, u"MasterValue");
    EXPECT_EQ(Core().OpenService(u"NVCD1", &control), kFailure);
    EXPECT_FALSE(Core().HasMonitorThread());
}

TEST_F(LifecycleTest, TwoObjectsInOneProcessGoInEitherOrder) {
    for (bool firstGoesFirst : {true, false}) {
        SCOPED_TRACE(firstGoesFirst);
        Device(5);
        auto a = std::make_unique<kestrix::CCashDrawer_SOCore>(platform());
        auto b = std::make_unique<kestrix::CCashDrawer_SOCore>(platform());
        FakeControlObject first;
        FakeControlObject second;
        ASSERT_EQ(a->OpenService(u"NVCD1", &first), kSuccess);
        ASSERT_EQ(b->OpenService(u"NVCD1", &second), kSuccess);
        ASSERT_TRUE(clock.WaitForTimedWaiters(2));
        machine->open_by_hand(0);
        ASSERT_TRUE(clock.Advance(300));
        EXPECT_EQ(first.Statuses(), std::vector<int32_t>{1});
        EXPECT_EQ(second.Statuses(), std::vector<int32_t>{1});
        if (firstGoesFirst)
            a.reset();
        else
            b.reset();
        auto& survivor = firstGoesFirst ? b : a;
        survivor->ClaimDevice(0);
        survivor->SetPropertyNumber(kPidxDeviceEnabled, 1);
        machine->close_drawer(0);
        EXPECT_EQ(survivor->OpenDrawer(), kSuccess) << "the port lock outlives the other object";
        survivor.reset();
    }
}

}  // namespace
}  // namespace kestrix::test
