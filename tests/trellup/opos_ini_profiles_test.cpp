#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "support/fake_profile.h"
#include "profiles.h"
#include "store/mod_ini.h"

namespace trellup::test {
namespace {

using modINI::IniReadInt;
using modINI::IniReadString;
using modINI::LoadMasterSection;
using modINI::ReadMasterDevices;

const char* const kIni = "C:\\Trellup\\OPOS.INI";

std::string ShippedIni() {
    std::ifstream in(TRELLUP_OPOS_INI_PATH, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ShippedOposIni : public ::testing::Test {
protected:
    FakeProfile profile;
    FakeProgramFolder folder{"C:\\Trellup"};
    StorePlatform p{nullptr, &profile, &folder};
};

// The shipped file: every model it lists is a row the service object knows,
// with that row's connector and the sensor level the row's drawer reads when
// open, and values a drawer can work with.
TEST_F(ShippedOposIni, ListsEveryHardwareRowWithWorkingValues) {
    profile.PutFile(kIni, ShippedIni());
    EXPECT_FALSE(IniReadString(p, "device", "vesrion").empty());
    const auto list = ReadMasterDevices(p);
    ASSERT_EQ(static_cast<int32_t>(list.size()), IniReadInt(p, "device", "count"));
    std::set<int32_t> rows;
    std::set<std::string> names;
    bool bench = false;
    for (const auto& m : list) {
        SCOPED_TRACE(m.section);
        CashDrawerDevice d;
        LoadMasterSection(p, m.section, &d);
        EXPECT_FALSE(m.name.empty());
        EXPECT_TRUE(names.insert(m.name).second) << "display names must differ";
        EXPECT_EQ(d.Master, m.name);
        EXPECT_EQ(d.SOProgID, "Norvane.CashDrawer");
        EXPECT_FALSE(d.Description.empty());
        EXPECT_FALSE(d.DeviceDesc.empty());
        const winio_sim::Profile* row = winio_sim::find_profile(d.MasterValue);
        ASSERT_NE(row, nullptr) << "MasterValue " << d.MasterValue;
        EXPECT_EQ(d.ConnectorPinNo, row->connector);
        EXPECT_EQ(d.OpenStatusPhase, row->open_status_phase);
        EXPECT_GE(d.PulseOnTime, 50);
        EXPECT_LE(d.PulseOnTime, 500);
        EXPECT_GE(d.Timeout, 1000);
        EXPECT_GE(d.CheckStatusPeriod, 100);
        if (m.section == "BENCH") {
            bench = true;
            EXPECT_NE(d.MasterValue, 99) << "the utility does not write the custom port values";
        } else {
            rows.insert(d.MasterValue);
        }
    }
    EXPECT_TRUE(bench);
    // One model per row of the hardware table (5, 6 and 12 share a row, as do 9 and 15).
    EXPECT_EQ(rows, (std::set<int32_t>{1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 13, 14, 99}));
}

}  // namespace
}  // namespace trellup::test
