#include <gtest/gtest.h>

#include "cmd/provisioning.h"
#include "support/cmd_fixture.h"

namespace trellup::cmd::test {
namespace {

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    return s.replace(s.find(from), from.size(), to);
}

struct BadFile {
    const char* what;
    std::string text;
    bool unreadable;
    std::vector<std::string> errors;  // as Describe prints them
};

class RefusedFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(RefusedFile, IsRefusedWithEachErrorNamed) {
    const ReadResult r = ReadProvisioning(GetParam().text, Latin1Codec());
    std::vector<std::string> described;
    for (const FileError& e : r.errors) described.push_back(Describe(e));
    EXPECT_EQ(described, GetParam().errors);
    EXPECT_EQ(r.unreadable, GetParam().unreadable);
}

INSTANTIATE_TEST_SUITE_P(
    Provisioning, RefusedFile,
    ::testing::Values(
        BadFile{"BrokenJson",
                R"({"format": 1, "devices": [)",
                true,
                {"not JSON: parse error at line 1, column 27: syntax error while parsing value - unexpected end of "
                 "input; expected '[', '{', or a literal"}},
        BadFile{"NotAnObject", "[1]", true, {"the file is a list, not an object"}},
        BadFile{"UnknownFormat", R"({"format": 2, "devices": []})", true, {"\"format\" must be 1"}},
        BadFile{
            "UnknownTopField", R"({"format": 1, "devices": [], "comment": "x"})", true, {"unknown field \"comment\""}},
        BadFile{"EmptyDeviceList", FileJson({}), true, {"\"devices\" is empty: there is nothing to import"}},
        BadFile{"UnknownFieldType",
                FileJson({DeviceJson("Front", R"(, "Drawers": [1, 2])")}),
                false,
                {"Front: Drawers: is a list; a value is a text or a whole number"}},
        BadFile{"BooleanValue",
                FileJson({DeviceJson("Front", R"(, "Beep": true)")}),
                false,
                {"Front: Beep: is a Boolean; a value is a text or a whole number"}},
        BadFile{"NegativeTimeOut",
                FileJson({Replace(DeviceJson("Front"), "\"Timeout\": 2000", "\"TimeOut\": -5")}),
                false,
                {"Front: Timeout: -5 is outside 1 to 32767"}},
        BadFile{"ValueNameTwice",
                FileJson({DeviceJson("Front", R"(, "TimeOut": 5)")}),
                false,
                {"Front: TimeOut: given twice (value names ignore letter case)"}},
        BadFile{"DialogRanges",
                FileJson({R"J({"name": "A", "class": "CashDrawer", "values": {"(default)": "K",
                  "Description": "D", "DeviceDesc": "DD", "Master": "M", "CheckStatusPeriod": 300,
                  "ConnectorPinNo": 1, "MasterValue": 8, "OpenStatusPhase": 2, "PulseOnTime": 0,
                  "TimeOut": -5}})J"}),
                false,
                {"A: OpenStatusPhase: 2 is outside 0 to 1", "A: PulseOnTime: 0 is outside 1 to 32767",
                 "A: Timeout: -5 is outside 1 to 32767"}},
        BadFile{"BackslashInName",
                FileJson({DeviceJson("Front\\\\Till")}),
                false,
                {"Front\\Till: name: must be a key name: not empty, no backslash"}},
        BadFile{"MasterValue42",
                FileJson({DeviceJson("Front", "", "42")}),
                false,
                {"Front: MasterValue: 42 selects no hardware model"}},
        BadFile{
            "HandSetWithoutCdPort",
            FileJson({DeviceJson("Front", R"(, "CD_Fire": 16, "CS_Port": 641, "CS_Status": 1, "CD_Phase": 0)", "99")}),
            false,
            {"Front: CD_Port: missing"}},
        BadFile{"HandSetOutOfRange",
                FileJson({DeviceJson("Front", R"(, "CD_Port": 65536, "CD_Fire": 256, "CS_Port": 641,
                                                  "CS_Status": 0, "CD_Phase": 2)",
                                     "99")}),
                false,
                {"Front: CD_Port: 65536 is outside 0 to 65535", "Front: CD_Fire: 256 is outside 1 to 255",
                 "Front: CS_Status: 0 is outside 1 to 255", "Front: CD_Phase: 2 is outside 0 to 1"}},
        BadFile{"DllPathGiven",
                FileJson({DeviceJson("Front", R"(, "DllPath": "C:\\Kestrix")")}),
                false,
                {"Front: DllPath: is the terminal's own: import sets it (--dllpath)"}},
        BadFile{"MissingAndWrongTypes",
                FileJson({R"J({"name": "A", "class": "LineDisplay", "values": {
                  "(default)": 5, "Description": "D", "DeviceDesc": "DD", "CheckStatusPeriod": "300",
                  "ConnectorPinNo": 1, "MasterValue": 8, "OpenStatusPhase": 0, "PulseOnTime": 1.5,
                  "Timeout": 4294967296}, "colour": "red"})J"}),
                false,
                {"A: class: must be \"CashDrawer\"", "A: colour: unknown field",
                 "A: PulseOnTime: is a fraction; a value is a text or a whole number",
                 "A: Timeout: 4294967296 does not fit 32 bits"}},
        BadFile{"RecordTypes",
                FileJson({R"J({"name": "A", "class": "CashDrawer", "values": {
                  "(default)": 5, "Description": "D", "DeviceDesc": "DD", "CheckStatusPeriod": "300",
                  "ConnectorPinNo": 1, "MasterValue": 8, "OpenStatusPhase": 0, "PulseOnTime": 1,
                  "Timeout": 1}})J"}),
                false,
                {"A: (default): must be a text", "A: Master: missing", "A: CheckStatusPeriod: must be a number"}},
        BadFile{"SameNameTwice",
                FileJson({DeviceJson("Front"), DeviceJson("FRONT")}),
                false,
                {"FRONT: name: given twice (device names ignore letter case)"}},
        BadFile{"TextTooLong",
                FileJson({DeviceJson("Front", R"(, "Note": ")" + std::string(255, 'x') + "\"")}),
                false,
                {"Front: Note: longer than 254 characters"}},
        BadFile{"OutsideCodePage",
                FileJson({DeviceJson("Kasse \xE2\x82\xAC")}),
                false,
                {"Kasse \xE2\x82\xAC: name: holds a character the terminal's code page cannot store",
                 "Kasse \xE2\x82\xAC: DeviceName: holds a character the terminal's code page cannot store"}},
        BadFile{"NotADevice", FileJson({"7"}), false, {"#1: is a number, not a device object"}}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.what); });

TEST(Provisioning, ReadsAValidFileInTheRegistrysSpelling) {
    const ReadResult r = ReadProvisioning(
        FileJson({DeviceJson("Front"), DeviceJson("Caf\xC3\xA9", R"(, "cd_port": 640, "CD_Fire": 16, "CS_Port": 641,
            "CS_Status": 1, "CD_Phase": 0, "Note": "hand-set")",
                                                  "99")}),
        Latin1Codec());
    ASSERT_TRUE(r.errors.empty()) << Describe(r.errors.front());
    ASSERT_EQ(r.file.devices.size(), 2u);
    const DeviceEntry& cafe = r.file.devices[1];
    EXPECT_EQ(cafe.name, "Caf\xE9");  // Latin-1
    EXPECT_EQ(cafe.values[0].name, "");
    std::vector<std::string> hand_set;
    for (const EntryValue& v : HandSetValues(cafe)) hand_set.push_back(v.name);
    EXPECT_EQ(hand_set, (std::vector<std::string>{"CD_Port", "CD_Fire", "CS_Port", "CS_Status", "CD_Phase", "Note"}));
    const CashDrawerDevice d = RecordOf(cafe);
    EXPECT_EQ(d.ClassName, "CashDrawer");
    EXPECT_EQ(d.DeviceName, "Caf\xE9");
    EXPECT_EQ(d.SOProgID, "Kestrix.CashDrawer");
    EXPECT_EQ(d.MasterValue, 99);
    EXPECT_EQ(d.Timeout, 2000);
}

TEST(Provisioning, WritesWhatItReads) {
    DeviceEntry e;
    e.name = "Caf\xE9";
    e.values = {{"", true, "Kestrix.CashDrawer", 0}, {"Timeout", false, "", 2000}, {"CD_Port", false, "", -1}};
    const std::string text = WriteProvisioning({e}, {"TrellupCmd 1.2.3.4", "2025-06-01T08:30:00Z"}, Latin1Codec());
    EXPECT_EQ(text, R"J({
  "format": 1,
  "exported_by": "TrellupCmd 1.2.3.4",
  "exported_at": "2025-06-01T08:30:00Z",
  "devices": [
    {
      "name": "Café",
      "class": "CashDrawer",
      "values": {
        "(default)": "Kestrix.CashDrawer",
        "Timeout": 2000,
        "CD_Port": -1
      }
    }
  ]
}
)J");
    // 4294967295 is the same REG_DWORD as -1.
    const ReadResult r =
        ReadProvisioning(FileJson({DeviceJson("A", R"(, "Big": 4294967295, "Small": -2147483648)")}), Latin1Codec());
    ASSERT_TRUE(r.errors.empty());
    EXPECT_EQ(r.file.devices[0].values.at(11).number, -1);
    EXPECT_EQ(r.file.devices[0].values.at(12).number, INT32_MIN);
}

}  // namespace
}  // namespace trellup::cmd::test
