#include <gtest/gtest.h>

#include <algorithm>

#include "support/cmd_fixture.h"

namespace trellup::cmd::test {
namespace {

class CmdApp : public ::testing::Test {
protected:
    void Provision(const std::vector<std::string>& devices) {
        env.files["in.json"] = FileJson(devices);
        ASSERT_EQ(CmdRun(env, {"import", "in.json"}).code, kExitOk);
    }
    FakeEnv env;
};

struct Usage {
    std::vector<std::string> args;
    int code;
    std::string err_start;
};

TEST_F(CmdApp, UsageAndFileFaultsGiveTheirExitCodes) {
    env.files["big.json"] = std::string(kMaxFileBytes + 1, ' ');
    env.files["broken.json"] = "{";
    env.files["empty.json"] = FileJson({});
    env.files["bad.json"] = FileJson({DeviceJson("Front", "", "42")});
    const Usage cases[] = {
        {{}, kExitUsage, "A subcommand is required"},
        {{"frobnicate"}, kExitUsage, "A subcommand is required"},
        {{"import"}, kExitUsage, "FILE is required"},
        {{"check"}, kExitUsage, "check: name the devices to check, or give --all"},
        {{"check", "Front", "--all"}, kExitUsage, "NAME excludes --all"},
        {{"import", "nowhere.json"}, kExitUsage, "import: nowhere.json: no such file; nothing written"},
        {{"import", "big.json"}, kExitUsage, "import: big.json: larger than 8 MiB, not a provisioning file"},
        {{"import", "broken.json"}, kExitUsage, "import: broken.json: not JSON: parse error at line 1, column 2"},
        {{"import", "empty.json"}, kExitUsage, "import: empty.json: \"devices\" is empty"},
        {{"import", "bad.json"},
         kExitRefused,
         "import: bad.json: Front: MasterValue: 42 selects no hardware model\n"
         "import: bad.json refused; nothing written\n"},
        {{"export", "out.json", "--device", "Nobody"}, kExitUsage, "export: there is no cash drawer device \"Nobody\""},
        {{"export", "out.json"}, kExitRefused, "export: there is no cash drawer device to export; nothing written"},
    };
    for (const Usage& u : cases) {
        const CmdRun r(env, u.args);
        EXPECT_EQ(r.code, u.code) << r.err();
        EXPECT_EQ(r.err().rfind(u.err_start, 0), 0u) << r.err();
    }
    EXPECT_TRUE(env.registry.writes().empty());
    EXPECT_EQ(env.files.count("out.json"), 0u);
}

TEST_F(CmdApp, EveryCommandHasHelp) {
    for (const char* command : {"list", "export", "import", "check"}) {
        const CmdRun r(env, {command, "--help"});
        EXPECT_EQ(r.code, kExitOk);
        EXPECT_NE(r.out().find(std::string("TrellupCmd ") + command), std::string::npos) << r.out();
    }
    EXPECT_NE(CmdRun(env, {"--help"}).out().find("3 no rights to write HKLM"), std::string::npos);
}

TEST_F(CmdApp, ImportReportsEachDeviceAndWarnsOfAMissingPortLibrary) {
    env.files["in.json"] = FileJson({DeviceJson("Front"), DeviceJson("Hand", kPorts, "99")});
    const CmdRun dry(env, {"import", "in.json", "--dry-run", "--dllpath", "D:\\Ports\\"});
    EXPECT_EQ(dry.code, kExitOk);
    EXPECT_EQ(dry.out(), "created\tFront\ncreated\tHand\n");
    EXPECT_EQ(dry.err(),
              "import: warning: WinIo32.dll is not in D:\\Ports, which the entries' DllPath names: the drawers open "
              "once the port library is put there\nimport: dry run: nothing written\n");
    EXPECT_TRUE(env.registry.writes().empty());

    env.files["C:\\Kestrix\\WinIo32.dll"] = "";
    const CmdRun first(env, {"import", "in.json", "--json"});
    EXPECT_EQ(first.code, kExitOk);
    EXPECT_EQ(first.out(),
              "{\"device\":\"Front\",\"status\":\"created\"}\n{\"device\":\"Hand\",\"status\":\"created\"}\n");
    EXPECT_EQ(first.err(), "");
    EXPECT_EQ(CmdRun(env, {"import", "in.json"}).out(), "unchanged\tFront\nunchanged\tHand\n");

    env.registry.FailCreateKey(kRegAccessDenied);
    env.files["in.json"] = FileJson({DeviceJson("Back")});
    const CmdRun denied(env, {"import", "in.json"});
    EXPECT_EQ(denied.code, kExitNoRights);
    EXPECT_EQ(denied.out(), "refused\tBack\tnot written: no rights to write the OPOS area\n");
}

TEST_F(CmdApp, ExportThenImportElsewhereGivesTheSameEntries) {
    Provision({DeviceJson("Front"), DeviceJson("Hand", kPorts, "99")});
    env.registry.PutValue(kDrawerKey + "\\Front", "Blob", kRegBinary, {1, 2});
    const CmdRun exported(env, {"export", "out.json"});
    EXPECT_EQ(exported.code, kExitRefused);
    EXPECT_EQ(exported.out(), "exported\tFront\nexported\tHand\n");
    EXPECT_EQ(exported.err(),
              "export: Front: value \"Blob\" left out: only texts (REG_SZ) and numbers (REG_DWORD) are carried\n");
    const std::string& text = env.files["out.json"];
    EXPECT_NE(text.find("\"exported_by\": \"TrellupCmd 1.2.3.4\""), std::string::npos);
    EXPECT_EQ(text.find("DllPath"), std::string::npos);

    FakeEnv other;
    other.files["in.json"] = text;
    EXPECT_EQ(CmdRun(other, {"import", "in.json"}).out(), "created\tFront\ncreated\tHand\n");
    for (const char* device : {"Front", "Hand"}) {
        const std::string key = kDrawerKey + "\\" + device;
        std::vector<std::string> names = env.registry.ValueNames(key);
        names.erase(std::remove(names.begin(), names.end(), "Blob"), names.end());
        EXPECT_EQ(other.registry.ValueNames(key), names);
        for (const std::string& n : names) {
            EXPECT_EQ(other.registry.Find(key, n)->data, env.registry.Find(key, n)->data) << device << " " << n;
        }
    }
}

TEST_F(CmdApp, ListShowsEveryClassAndTheCashDrawersRecords) {
    Provision({DeviceJson("Front")});
    env.registry.PutString("SOFTWARE\\OLEforRetail\\ServiceOPOS\\LineDisplay\\Pole", "", "Bench.LineDisplay");
    env.registry.PutKey("SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR");
    const CmdRun r(env, {"list"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out(),
              "CashDrawer\tFront\tKestrix.CashDrawer\n\tClassName\tCashDrawer\n\tSOProgID\tKestrix.CashDrawer\n"
              "\tDescription\tKestrix cash drawer\n\tDeviceName\tFront\n\tDeviceDesc\tBench drawer\n\tMaster\tBench\n"
              "\tMasterValue\t8\n\tCheckStatusPeriod\t300\n\tConnectorPinNo\t1\n\tOpenStatusPhase\t0\n"
              "\tPulseOnTime\t100\n\tTimeout\t2000\nLineDisplay\tPole\tBench.LineDisplay\nMSR\n");
    EXPECT_EQ(CmdRun(env, {"list", "--json"}).out().substr(0, 69),
              "{\"classes\":[{\"class\":\"CashDrawer\",\"devices\":[{\"name\":\"Front\",\"progid\"");
}

TEST_F(CmdApp, CheckRunsTheSessionAndReportsEachDrawer) {
    Provision({DeviceJson("Front"), DeviceJson("Back")});
    env.factory.properties["CheckHealthText"] = OposValue::String("Internal HCheck : Successful");
    const CmdRun r(env, {"check", "--all"});
    EXPECT_EQ(r.code, kExitOk);
    const std::vector<std::string> session = {"CashDrawer.Call ClaimDevice(1000)",  "CashDrawer.Put DeviceEnabled=True",
                                              "CashDrawer.Get ResultCode",          "CashDrawer.Call CheckHealth(1)",
                                              "CashDrawer.Get CheckHealthText",     "CashDrawer.Get DrawerOpened",
                                              "CashDrawer.Put DeviceEnabled=False", "CashDrawer.Get ResultCode",
                                              "CashDrawer.Call ReleaseDevice()",    "CashDrawer.Call Close()"};
    std::vector<std::string> expected = {"Create CashDrawer", "CashDrawer.Call Open(Back)"};
    expected.insert(expected.end(), session.begin(), session.end());
    expected.push_back("CashDrawer.Call Open(Front)");
    expected.insert(expected.end(), session.begin(), session.end());
    EXPECT_EQ(env.factory.fakes.journal, expected);
    EXPECT_EQ(r.out(),
              "Back\thealthy\tOpen 0 Success; ClaimDevice 0 Success; DeviceEnabled=True 0 Success; CheckHealth(1) 0 "
              "Success; DeviceEnabled=False 0 Success; ReleaseDevice 0 Success; Close 0 Success\tCheckHealthText "
              "\"Internal HCheck : Successful\"\tDrawerOpened False\t7 ms\n"
              "Front\thealthy\tOpen 0 Success; ClaimDevice 0 Success; DeviceEnabled=True 0 Success; CheckHealth(1) 0 "
              "Success; DeviceEnabled=False 0 Success; ReleaseDevice 0 Success; Close 0 Success\tCheckHealthText "
              "\"Internal HCheck : Successful\"\tDrawerOpened False\t7 ms\n");
}

TEST_F(CmdApp, CheckFailuresAreLinesNotCrashes) {
    env.factory.fakes.missing.insert("CashDrawer");
    const CmdRun missing(env, {"check", "Front", "--json"});
    EXPECT_EQ(missing.code, kExitRefused);
    EXPECT_EQ(missing.out(),
              "{\"device\":\"Front\",\"healthy\":false,\"steps\":[{\"step\":\"create\",\"hresult\":\"0x80040154\","
              "\"text\":\"control object not created (0x80040154)\"}],\"check_health_text\":\"\","
              "\"drawer_opened\":false,\"ms\":7}\n");

    // A device that does not open: nothing more is called; OpenResult says why.
    env.factory.fakes.missing.clear();
    env.factory.fakes.journal.clear();
    env.factory.results["Open"] = 109;
    env.factory.properties["OpenResult"] = OposValue::Long(302);
    const CmdRun closed(env, {"check", "Nobody"});
    EXPECT_EQ(closed.code, kExitRefused);
    EXPECT_EQ(closed.out(),
              "Nobody\tfailing\tOpen 109 Device not exist; OpenResult 302 The registry does not contain a key for "
              "the specified device name\tCheckHealthText \"\"\tDrawerOpened False\t7 ms\n");
    EXPECT_EQ(env.factory.fakes.journal, (std::vector<std::string>{"Create CashDrawer", "CashDrawer.Call Open(Nobody)",
                                                                   "CashDrawer.Get OpenResult"}));

    // --fire checks at level 2; a drawer that does not respond fails, and
    // the session is still ended.
    env.factory.results = {{"CheckHealth", 111}};
    env.factory.fakes.journal.clear();
    const CmdRun fired(env, {"check", "Front", "--fire"});
    EXPECT_EQ(fired.code, kExitRefused);
    EXPECT_NE(fired.out().find("\tfailing\t"), std::string::npos);
    EXPECT_NE(fired.out().find("CheckHealth(2) 111 Device failure; DeviceEnabled=False 0"), std::string::npos);
    EXPECT_EQ(env.factory.fakes.journal.back(), "CashDrawer.Call Close()");
}

}  // namespace
}  // namespace trellup::cmd::test
