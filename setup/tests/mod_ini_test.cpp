#include <gtest/gtest.h>

#include <sstream>

#include "support/fake_profile.h"
#include "store/mod_ini.h"

namespace trellup::test {
namespace {

using modINI::IniReadInt;
using modINI::IniReadString;
using modINI::LoadMasterSection;
using modINI::ReadMasterDevices;

const char* const kIni = "C:\\Trellup\\OPOS.INI";

class ModIni : public ::testing::Test {
protected:
    FakeProfile profile;
    FakeProgramFolder folder{"C:\\Trellup"};
    StorePlatform p{nullptr, &profile, &folder};
};

TEST_F(ModIni, ThePathIsComputedFromTheProgramFolderBeforeEveryRead) {
    modINI::gIniPath = "stale";
    profile.PutFile(kIni, "[device]\ncount=3\n");
    profile.PutFile("D:\\Moved\\opos.ini", "[device]\ncount=5\n");
    EXPECT_EQ(IniReadInt(p, "device", "count"), 3);
    EXPECT_EQ(modINI::gIniPath, kIni);
    folder.Set("D:\\Moved");
    EXPECT_EQ(IniReadString(p, "device", "count"), "5");
    EXPECT_EQ(modINI::gIniPath, "D:\\Moved\\OPOS.INI");
    EXPECT_EQ(profile.last_path(), "D:\\Moved\\OPOS.INI");
}

TEST_F(ModIni, AMissingOrEmptyFileReadsAsNothing) {
    EXPECT_EQ(IniReadInt(p, "device", "count"), 0);
    EXPECT_EQ(IniReadString(p, "device", "vesrion"), "");
    EXPECT_TRUE(ReadMasterDevices(p).empty());
    profile.PutFile(kIni, "");
    EXPECT_TRUE(ReadMasterDevices(p).empty());
}

TEST_F(ModIni, AMasterSectionFillsTheRecordButTheDeviceName) {
    profile.PutFile(kIni,
                    "[NV480]\nMaster=NV-480 terminal\nSOName=Norvane.CashDrawer\n"
                    "SODescription=Service object\nDeviceDesc=Drawer\nMasterValue=8\nCheckStatusPeriod=300\n"
                    "ConnectorPinNo=1\nOpenStatusPhase=0\nTimeout=2000\n");
    CashDrawerDevice d;
    d.ClassName = "LineDisplay";
    d.DeviceName = "NVCD7";
    d.PulseOnTime = 55;  // missing in the section: becomes 0
    d.Master = "old";
    LoadMasterSection(p, "nv480", &d);
    CashDrawerDevice expected;
    expected.ClassName = "CashDrawer";
    expected.SOProgID = "Norvane.CashDrawer";
    expected.Description = "Service object";
    expected.DeviceName = "NVCD7";
    expected.DeviceDesc = "Drawer";
    expected.Master = "NV-480 terminal";
    expected.MasterValue = 8;
    expected.CheckStatusPeriod = 300;
    expected.ConnectorPinNo = 1;
    expected.OpenStatusPhase = 0;
    expected.PulseOnTime = 0;
    expected.Timeout = 2000;
    EXPECT_EQ(d, expected);
}

TEST_F(ModIni, ACountLargerThanTheNamedDevicesListsEmptyEntries) {
    profile.PutFile(kIni, "[device]\ncount=2\ndevice1=A\n[A]\nMaster=Model A\n");
    const auto list = ReadMasterDevices(p);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].section, "A");
    EXPECT_EQ(list[0].name, "Model A");
    EXPECT_EQ(list[1].section, "");
    EXPECT_EQ(list[1].name, "");
}

TEST_F(ModIni, AnUnnamedEntryDoesNotReadKeysBeforeTheFirstSection) {
    profile.PutFile(kIni, "Master=stray\n[device]\ncount=1\n");
    const auto list = ReadMasterDevices(p);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "");
}

TEST_F(ModIni, ANegativeCountListsNothingAndAHugeOneIsBounded) {
    profile.PutFile(kIni, "[device]\ncount=-3\ndevice1=A\n");
    EXPECT_TRUE(ReadMasterDevices(p).empty());
    profile.PutFile(kIni, "[device]\ncount=2000000000\ndevice1=A\n[A]\nMaster=Model A\n");
    const auto list = ReadMasterDevices(p);
    ASSERT_EQ(list.size(), static_cast<size_t>(modINI::kMaxMasterDevices));
    EXPECT_EQ(list[0].name, "Model A");
    EXPECT_EQ(list.back().name, "");
}

TEST_F(ModIni, BinaryGarbageAndHugeFilesGiveBoundedResults) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    profile.PutFile(kIni, garbage);
    for (const auto& m : ReadMasterDevices(p)) EXPECT_LE(m.name.size(), 255u);
    EXPECT_LE(IniReadString(p, "device", "count").size(), 255u);

    std::string huge;
    for (int i = 0; i < 20000; ++i) huge += "[s" + std::to_string(i) + "]\nMaster=" + std::string(40, 'm') + "\n";
    huge += "[device]\ncount=1\ndevice1=s19999\n";
    profile.PutFile(kIni, huge);
    const auto list = ReadMasterDevices(p);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, std::string(40, 'm'));
}

TEST(CopyCurDeviceToEdit, CopiesAllTwelveFields) {
    gCurDevice = CashDrawerDevice{"CashDrawer", "Norvane.CashDrawer", "d", "NVCD3", "dd", "m", 1, 2, 3, 4, 5, 6};
    gEditDevice = CashDrawerDevice{"x", "x", "x", "x", "x", "x", 9, 9, 9, 9, 9, 9};
    CopyCurDeviceToEdit();
    EXPECT_EQ(gEditDevice, gCurDevice);
}

}  // namespace
}  // namespace trellup::test
