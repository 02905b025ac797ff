// The device entry reader: key handling, string and number reads.
#include <gtest/gtest.h>

#include "device_registry.h"
#include "fakes.h"

namespace kestrix::test {
namespace {

using kestrix::CDeviceRegistry;

const std::u16string kClass = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer";
const std::u16string kDevice = kClass + u"\\NVCD1";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        keys.AddKey(kClass);
        keys.AddKey(kDevice);
    }
    void OpenBoth() {
        ASSERT_EQ(reg.OpenClassKey(), 0);
        ASSERT_EQ(reg.OpenDeviceKey(u"NVCD1"), 0);
    }
    FakeKeyStore keys;
    CDeviceRegistry reg{&keys};
};

TEST_F(RegistryTest, ReadsReportWhichKeyIsMissingBeforeQuerying) {
    keys.SetNumber(kDevice, u"MasterValue", 5);
    int32_t v = 42;
    EXPECT_EQ(reg.ReadMasterValue(&v), 2);
    ASSERT_EQ(reg.OpenClassKey(), 0);
    EXPECT_EQ(reg.ReadMasterValue(&v), 3);
    EXPECT_EQ(reg.OpenDeviceKey(u"NoSuchDevice"), 1);
    EXPECT_EQ(reg.ReadMasterValue(&v), 3);
    ASSERT_EQ(reg.OpenDeviceKey(u"nvcd1"), 0) << "key names match without regard to case";
    EXPECT_EQ(reg.ReadMasterValue(&v), 0);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(reg.ReadCdPort(&v), 1);
    EXPECT_EQ(v, 5) << "a failed read leaves the destination";
}

TEST_F(RegistryTest, KeysStayOpenUntilCloseKeysAndReopeningLeaksNothing) {
    OpenBoth();
    EXPECT_EQ(keys.OpenKeys(), 2u);
    OpenBoth();
    EXPECT_EQ(keys.OpenKeys(), 2u);
    reg.CloseKeys();
    EXPECT_EQ(keys.OpenKeys(), 0u);
    reg.CloseKeys();
    EXPECT_EQ(keys.BadCloses(), 0);
    int32_t v = 0;
    EXPECT_EQ(reg.ReadTimeOut(&v), 2);
    OpenBoth();
    {
        CDeviceRegistry other(&keys);
        ASSERT_EQ(other.OpenClassKey(), 0);
    }
    EXPECT_EQ(keys.OpenKeys(), 2u) << "destruction closes the keys";
}

TEST_F(RegistryTest, DevicePathIsNeverCutShortIntoAnotherKey) {
    ASSERT_EQ(reg.OpenClassKey(), 0);
    const size_t room = CDeviceRegistry::kMaxChars - kClass.size() - 1;
    const std::u16string fits(room, u'A');
    const std::u16string tooLong = fits + u"B";
    keys.AddKey(kClass + u"\\" + fits);
    EXPECT_EQ(reg.OpenDeviceKey(tooLong.c_str()), 1);
    EXPECT_EQ(keys.OpenedPaths().size(), 1u) << "nothing opened for the long name";
    EXPECT_EQ(reg.OpenDeviceKey(fits.c_str()), 0);
    EXPECT_EQ(keys.OpenedPaths().back().size(), CDeviceRegistry::kMaxChars);
    EXPECT_EQ(reg.OpenDeviceKey(nullptr), 1);
}

TEST_F(RegistryTest, StringsAreCutAt1023AndTooLargeValuesFail) {
    OpenBoth();
    std::u16string s = u"seed";
    keys.SetString(kDevice, u"Description", std::u16string(1500, u'd'));
    ASSERT_EQ(reg.ReadDescription(&s), 0);
    EXPECT_EQ(s, std::u16string(1023, u'd'));

    keys.SetString(kDevice, u"Description", std::u16string(2047, u'x'));  // 4096 bytes with terminator
    ASSERT_EQ(reg.ReadDescription(&s), 0);
    EXPECT_EQ(s, std::u16string(1023, u'x'));

    s = u"seed";
    keys.SetString(kDevice, u"Description", std::u16string(2048, u'y'));  // 4098 bytes
    EXPECT_EQ(reg.ReadDescription(&s), 1);
    EXPECT_EQ(s, u"seed");
}

TEST_F(RegistryTest, UnterminatedAndOddStringsEndWhereTheirDataEnds) {
    OpenBoth();
    std::u16string s;
    keys.SetString(kDevice, u"DeviceName", u"NVCD1", false);
    ASSERT_EQ(reg.ReadDeviceName(&s), 0);
    EXPECT_EQ(s, u"NVCD1");

    keys.SetString(kDevice, u"DeviceName", std::u16string(2048, u'z'), false);  // exactly 4096 bytes, no terminator
    ASSERT_EQ(reg.ReadDeviceName(&s), 0);
    EXPECT_EQ(s, std::u16string(1023, u'z'));

    keys.SetBytes(kDevice, u"DeviceDesc", kRegSz, {'A', 0, 'B', 0, 'C'});  // half a unit at the end
    ASSERT_EQ(reg.ReadDeviceDesc(&s), 0);
    EXPECT_EQ(s, u"AB");

    keys.SetBytes(kDevice, u"DllPath", kRegSz, {});
    ASSERT_EQ(reg.ReadDllPath(&s), 0);
    EXPECT_EQ(s, u"");

    keys.SetBytes(kDevice, u"DllPath", kRegDword, {'C', 0, 0, 0, 'D', 0});
    ASSERT_EQ(reg.ReadDllPath(&s), 0);
    EXPECT_EQ(s, u"C") << "the type plays no part; the text ends at its terminator";
}

TEST_F(RegistryTest, NumbersTakeUpToFourBytesOfAnyType) {
    OpenBoth();
    int32_t v = 7;
    keys.SetBytes(kDevice, u"PulseOnTime", kRegBinary, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(reg.ReadPulseOnTime(&v), 1);
    EXPECT_EQ(v, 7);

    keys.SetBytes(kDevice, u"PulseOnTime", kRegBinary, {0x78, 0x56, 0x34, 0x12});
    ASSERT_EQ(reg.ReadPulseOnTime(&v), 0);
    EXPECT_EQ(v, 0x12345678);

    keys.SetBytes(kDevice, u"PulseOnTime", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF});
    ASSERT_EQ(reg.ReadPulseOnTime(&v), 0);
    EXPECT_EQ(v, -1);

    v = 0x7F7F7F7F;
    keys.SetBytes(kDevice, u"PulseOnTime", kRegBinary, {0xC8, 0x01});
    ASSERT_EQ(reg.ReadPulseOnTime(&v), 0);
    EXPECT_EQ(v, 0x01C8) << "a short value is zero-extended";

    v = 0x7F7F7F7F;
    keys.SetBytes(kDevice, u"PulseOnTime", kRegBinary, {});
    ASSERT_EQ(reg.ReadPulseOnTime(&v), 0);
    EXPECT_EQ(v, 0);
}

TEST_F(RegistryTest, ValueNamesMatchWithoutRegardToCase) {
    OpenBoth();
    keys.SetNumber(kDevice, u"Timeout", 2500);
    keys.SetNumber(kDevice, u"checkstatusperiod", 250);
    int32_t v = 0;
    ASSERT_EQ(reg.ReadTimeOut(&v), 0);
    EXPECT_EQ(v, 2500);
    ASSERT_EQ(reg.ReadCheckStatusPeriod(&v), 0);
    EXPECT_EQ(v, 250);
}

}  // namespace
}  // namespace kestrix::test
