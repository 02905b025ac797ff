// The port library binding: load path, binding order, driver start, ports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "hardware/winio_binding.h"

namespace kestrix::test {
namespace {

using kestrix::CWinIoBinding;

// A scripted port library.
std::u16string g_driverPath;
uint32_t g_initResult = 1;
bool g_getWrites = true;
std::vector<std::string> g_calls;

uint32_t KX_WINIO_CALL FakeInitialize(const char16_t* path) {
    g_driverPath = path;
    g_calls.push_back("init");
    return g_initResult;
}
void KX_WINIO_CALL FakeShutdown() { g_calls.push_back("shutdown"); }
uint32_t KX_WINIO_CALL FakeGet(uint32_t port, uint32_t* value, uint32_t size) {
    g_calls.push_back("get " + std::to_string(port) + " " + std::to_string(size));
    if (g_getWrites) *value = 0xAB;
    return 0;  // ignored
}
uint32_t KX_WINIO_CALL FakeSet(uint32_t port, uint32_t value, uint32_t size) {
    g_calls.push_back("set " + std::to_string(port) + " " + std::to_string(value) + " " + std::to_string(size));
    return 0;  // ignored
}

class BindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_driverPath.clear();
        g_initResult = 1;
        g_getWrites = true;
        g_calls.clear();
        loader.exports = {{"InitializeWinIo2", reinterpret_cast<void*>(&FakeInitialize)},
                          {"ShutdownWinIo", reinterpret_cast<void*>(&FakeShutdown)},
                          {"GetPortVal", reinterpret_cast<void*>(&FakeGet)},
                          {"SetPortVal", reinterpret_cast<void*>(&FakeSet)}};
    }
    ScriptedLoader loader;
};

TEST_F(BindingTest, LoadsFromTheFolderAndStartsTheDriverBesideIt) {
    CWinIoBinding b(&loader);
    ASSERT_TRUE(b.LoadLibraryAt(u"C:\\Kestrix"));
    ASSERT_EQ(loader.requested.size(), 1u);
    EXPECT_EQ(loader.requested[0], u"C:\\Kestrix\\WinIo32.dll");
    EXPECT_TRUE(b.StartDriver(u"C:\\Kestrix"));
    EXPECT_EQ(g_driverPath, u"C:\\Kestrix\\WinIo32.sys");
    EXPECT_EQ(g_calls, std::vector<std::string>{"init"}) << "ShutdownWinIo is bound but never called";
}

TEST_F(BindingTest, DriverStartTakesOnlyTheLowByteOfTheResult) {
    CWinIoBinding b(&loader);
    ASSERT_TRUE(b.LoadLibraryAt(u"D"));
    g_initResult = 0x100;
    EXPECT_FALSE(b.StartDriver(u"D"));
    g_initResult = 0xFFFFFF01;
    EXPECT_TRUE(b.StartDriver(u"D"));
    g_initResult = 0;
    EXPECT_FALSE(b.StartDriver(u"D"));
}

TEST_F(BindingTest, AMissingExportLeavesTheLibraryLoadedButUnbound) {
    for (const char* name : {"InitializeWinIo2", "ShutdownWinIo", "GetPortVal", "SetPortVal"}) {
        SCOPED_TRACE(name);
        SetUp();
        loader.exports.erase(name);
        CWinIoBinding b(&loader);
        EXPECT_FALSE(b.LoadLibraryAt(u"D"));
        EXPECT_EQ(loader.live, 1) << "the library stays loaded";
        EXPECT_FALSE(b.StartDriver(u"D"));
        uint32_t v = 0x55;
        EXPECT_FALSE(b.ReadPort(0x2E, &v, 1));
        EXPECT_FALSE(b.WritePort(0x2E, 1, 1));
        EXPECT_EQ(v, 0x55u);
        EXPECT_TRUE(g_calls.empty()) << "nothing is called through a partial binding";
    }
    EXPECT_EQ(loader.live, 0) << "each binding released its library";
}

TEST_F(BindingTest, ReloadingReleasesTheEarlierLibrary) {
    CWinIoBinding b(&loader);
    ASSERT_TRUE(b.LoadLibraryAt(u"A"));
    ASSERT_TRUE(b.LoadLibraryAt(u"B"));
    EXPECT_EQ(loader.live, 1);
    loader.fail = true;
    EXPECT_FALSE(b.LoadLibraryAt(u"C"));
    EXPECT_EQ(loader.live, 0);
    EXPECT_FALSE(b.IsBound());
    EXPECT_FALSE(b.LoadLibraryAt(nullptr));
}

TEST_F(BindingTest, PortsUseTheLow16BitsAndTheLibraryResultIsIgnored) {
    CWinIoBinding b(&loader);
    ASSERT_TRUE(b.LoadLibraryAt(u"D"));
    uint32_t v = 0;
    EXPECT_TRUE(b.ReadPort(0x1002E, &v, 1));
    EXPECT_EQ(v, 0xABu);
    EXPECT_TRUE(b.WritePort(0xF0A04, 0x1FF, 1));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"get 46 1", "set 2564 511 1"}));
}

TEST_F(BindingTest, LongestFolderGivesTheFullPathUncut) {
    const std::u16string dir(1023, u'p');
    CWinIoBinding b(&loader);
    ASSERT_TRUE(b.LoadLibraryAt(dir.c_str()));
    EXPECT_EQ(loader.requested.back(), dir + u"\\WinIo32.dll");
    EXPECT_TRUE(b.StartDriver(dir.c_str()));
    EXPECT_EQ(g_driverPath, dir + u"\\WinIo32.sys");
}

TEST(BindingOnTheBench, BenchLibraryBindsAndEachMissingExportFails) {
    DlLibraryLoader loader;
    CWinIoBinding good(&loader);
    EXPECT_TRUE(good.LoadLibraryAt(WinIoDirU16().c_str()));
    EXPECT_EQ(loader.requested.back(), WinIoDirU16() + u"\\WinIo32.dll");
    for (const char* name : {"InitializeWinIo2", "ShutdownWinIo", "GetPortVal", "SetPortVal"}) {
        CWinIoBinding b(&loader);
        EXPECT_FALSE(b.LoadLibraryAt(MissingExportDir(name).c_str())) << name;
    }
    CWinIoBinding none(&loader);
    EXPECT_FALSE(none.LoadLibraryAt(u"/no/such/folder"));
}

}  // namespace
}  // namespace kestrix::test
