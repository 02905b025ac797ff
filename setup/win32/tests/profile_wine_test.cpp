#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/fake_profile.h"
#include "store/mod_ini.h"
#include "win32_store.h"
#include "support/wine_paths.h"

namespace trellup::test {
namespace {

using modINI::IniReadInt;
using modINI::IniReadString;
using modINI::LoadMasterSection;
using modINI::ReadMasterDevices;

// A fresh folder under the temp folder; removed with its OPOS.INI.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "trellup-" + tag + "-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        DeleteFileA((path_ + "\\OPOS.INI").c_str());
        RemoveDirectoryA(path_.c_str());
    }
    void Write(const std::string& contents) const {
        std::ofstream out(path_ + "\\OPOS.INI", std::ios::binary | std::ios::trunc);
        out << contents;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The real profile functions over a file in a given folder.
struct RealIni {
    explicit RealIni(std::string dir) : folder(std::move(dir)) {}
    win32::Win32Profile profile;
    FakeProgramFolder folder;
    StorePlatform p{nullptr, &profile, &folder};
};

// The fake over the same text.
struct FakeIni {
    explicit FakeIni(const std::string& contents) { profile.PutFile("C:\\T\\OPOS.INI", contents); }
    FakeProfile profile;
    FakeProgramFolder folder{"C:\\T"};
    StorePlatform p{nullptr, &profile, &folder};
};

const std::string kRules =
    "; rules the store relies on\r\n"
    "[Device]\r\n"
    "Count =  42abc\r\n"
    "negative=-7\r\n"
    "letters=abc\r\n"
    "empty=\r\n"
    "quoted=\"12\"\r\n"
    "name = \"  Front drawer \"\r\n"
    "long=" +
    std::string(300, 'x') +
    "\r\n"
    "[A]\r\nMaster=first\r\n[B]\r\n[a]\r\nMaster=second\r\nMasterValue=5\r\n";

// The same expectations hold for the fake and for the real functions.
void ExpectRules(const StorePlatform& p) {
    EXPECT_EQ(IniReadInt(p, "DEVICE", "count"), 42);
    EXPECT_EQ(IniReadInt(p, "device", "Negative"), -7);
    EXPECT_EQ(IniReadInt(p, "device", "letters"), 0);
    EXPECT_EQ(IniReadInt(p, "device", "empty"), 0);
    EXPECT_EQ(IniReadInt(p, "device", "quoted"), 12);
    EXPECT_EQ(IniReadInt(p, "device", "missing"), 0);
    EXPECT_EQ(IniReadInt(p, "nosection", "count"), 0);
    EXPECT_EQ(IniReadString(p, "device", "NAME"), "  Front drawer ");
    EXPECT_EQ(IniReadString(p, "device", "long"), std::string(255, 'x'));
    EXPECT_EQ(IniReadString(p, "device", "missing"), "");
    EXPECT_EQ(IniReadString(p, "A", "Master"), "first");
}

TEST(ProfileOnWine, TheFakeKeepsTheRulesOfTheRealProfileFunctions) {
    TempFolder dir("rules");
    dir.Write(kRules);
    RealIni real(dir.path());
    {
        SCOPED_TRACE("real");
        ExpectRules(real.p);
    }
    FakeIni fake(kRules);
    {
        SCOPED_TRACE("fake");
        ExpectRules(fake.p);
    }
}

TEST(ProfileOnWine, TheShippedFileReadsTheSameThroughTheRealFunctionsAndTheFake) {
    const std::string dir = WinePath(TRELLUP_OPOS_INI_DIR);
    std::ifstream in(dir + "\\OPOS.INI", std::ios::binary);
    ASSERT_TRUE(in.good()) << dir;
    const std::string contents((std::istreambuf_iterator<char>(in)), {});
    RealIni real(dir);
    FakeIni fake(contents);

    EXPECT_EQ(IniReadString(real.p, "device", "vesrion"), "V1.0");
    EXPECT_EQ(modINI::gIniPath, dir + "\\OPOS.INI");
    const auto masters = ReadMasterDevices(real.p);
    ASSERT_EQ(masters.size(), 14u);
    EXPECT_EQ(masters[6].section, "NV480");
    EXPECT_EQ(masters[6].name, "NV-480 terminal");
    EXPECT_EQ(masters[13].section, "BENCH");

    const auto fake_masters = ReadMasterDevices(fake.p);
    ASSERT_EQ(fake_masters.size(), masters.size());
    for (size_t i = 0; i < masters.size(); ++i) {
        SCOPED_TRACE(masters[i].section);
        EXPECT_EQ(fake_masters[i].section, masters[i].section);
        EXPECT_EQ(fake_masters[i].name, masters[i].name);
        CashDrawerDevice from_real, from_fake;
        LoadMasterSection(real.p, masters[i].section, &from_real);
        LoadMasterSection(fake.p, masters[i].section, &from_fake);
        EXPECT_EQ(from_real, from_fake);
        EXPECT_EQ(from_real.SOProgID, "Norvane.CashDrawer");
    }

    CashDrawerDevice bench;
    bench.DeviceName = "NVCD1";
    LoadMasterSection(real.p, "bench", &bench);
    EXPECT_EQ(bench, (CashDrawerDevice{"CashDrawer", "Norvane.CashDrawer", "Norvane OPOS Cash Drawer Service Object",
                                       "NVCD1", "Simulated cash drawer of the test bench",
                                       "Bench simulated terminal (NV-480 wiring)", 8, 300, 1, 0, 100, 2000}));
}

TEST(ProfileOnWine, ACountOfTwoNamingOnlyTheFirstListsAnEmptySecond) {
    TempFolder dir("count");
    dir.Write("[device]\r\ncount=2\r\nvesrion=T\r\ndevice1=ONE\r\n\r\n[ONE]\r\nMaster=Model one\r\n");
    RealIni real(dir.path());
    const auto masters = ReadMasterDevices(real.p);
    ASSERT_EQ(masters.size(), 2u);
    EXPECT_EQ(masters[0].section, "ONE");
    EXPECT_EQ(masters[0].name, "Model one");
    EXPECT_EQ(masters[1].section, "");
    EXPECT_EQ(masters[1].name, "");
}

TEST(ProfileOnWine, AMissingFileReadsAsNothing) {
    TempFolder dir("missing");
    RealIni real(dir.path());
    EXPECT_EQ(IniReadInt(real.p, "device", "count"), 0);
    EXPECT_EQ(IniReadString(real.p, "device", "vesrion"), "");
    EXPECT_TRUE(ReadMasterDevices(real.p).empty());
}

TEST(ProfileOnWine, HugeFilesAndBinaryGarbageGiveBoundedResults) {
    TempFolder dir("huge");
    std::string huge;
    for (int i = 0; i < 20000; ++i) huge += "[s" + std::to_string(i) + "]\r\nMaster=" + std::string(40, 'm') + "\r\n";
    huge += "[device]\r\ncount=1\r\ndevice1=s19999\r\n";
    dir.Write(huge);
    RealIni real(dir.path());
    auto masters = ReadMasterDevices(real.p);
    ASSERT_EQ(masters.size(), 1u);
    EXPECT_EQ(masters[0].name, std::string(40, 'm'));

    TempFolder junk("junk");
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    junk.Write(garbage + "\r\n[device]\r\ncount=999999\r\n");
    RealIni bad(junk.path());
    masters = ReadMasterDevices(bad.p);
    EXPECT_EQ(masters.size(), static_cast<size_t>(modINI::kMaxMasterDevices));
    for (const auto& m : masters) EXPECT_LE(m.name.size(), 255u);
}

TEST(ProgramFolderOnWine, IsTheFolderOfTheRunningProgram) {
    char module[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string path(module, n);
    EXPECT_EQ(win32::Win32ProgramFolder().Get(), path.substr(0, path.find_last_of('\\')));
}

}  // namespace
}  // namespace trellup::test
