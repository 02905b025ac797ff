// The device commands of the main form: the name a new cash drawer gets,
// what Add New Device prepares and rebuilds, and Delete Device's question.
#include <gmock/gmock.h>

#include <algorithm>

#include "support/form_fixture.h"

namespace trellup::test {
namespace {

TEST_F(FormTest, NewNameIsOneMoreThanTheLargestNvcdNumber) {
    const struct {
        std::vector<std::string> names;  // "Class\\Device"; class CashDrawer when no backslash
        const char* proposed;
    } cases[] = {
        {{}, "NVCD1"},
        {{"NVCD1", "NVCD3", "Front"}, "NVCD4"},  // gaps are not filled
        {{"NVCD2", "nvcd7"}, "NVCD3"},           // the prefix's case matters
        {{"NVCD5A"}, "NVCD6"},
        {{"NVCDX"}, "NVCD1"},
        {{"NVCD 7"}, "NVCD8"},   // blanks skipped
        {{"NVCD2.5"}, "NVCD3"},  // 2.5 is 2, halves to even
        {{"NVCD3.5"}, "NVCD5"},  // 3.5 is 4
        {{"NVCD-5"}, "NVCD1"},
        {{"NVCD1", "MSR\\NVCD9"}, "NVCD2"},  // only class CashDrawer counts
        {{"NVCD32766"}, "NVCD32767"},
        {{"NVCD2", "nvcd3", "Nvcd4"}, "NVCD5"},  // names taken in another case are passed over
        {{"NVCD32766", "nvcd32767"}, "NVCD1"},
        // No 16-bit number after the largest: the first name not taken.
        {{"NVCD32767"}, "NVCD1"},
        {{"NVCD1", "nvcd2", "NVCD40000"}, "NVCD3"},
        {{"NVCD1", "NVCD1e9"}, "NVCD2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.proposed);
        ResetUtilityState();
        std::vector<std::pair<std::string, std::string>> devices;  // class, name
        for (const std::string& n : c.names) {
            const size_t slash = n.find('\\');
            devices.emplace_back(slash == std::string::npos ? "CashDrawer" : n.substr(0, slash),
                                 slash == std::string::npos ? n : n.substr(slash + 1));
            AddDevice(devices.back().first, devices.back().second);
        }
        frmMain& f = Load();
        std::string shown;
        OnDialog([&](frmSetting& d) {
            shown = d.txtDeviceName.Text();
            d.btnCancel_Click();
        });
        f.AddNewDevice();
        EXPECT_EQ(gEditDevice.DeviceName, c.proposed);
        EXPECT_EQ(shown, c.proposed);
        for (const auto& d : devices)
            modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\" + d.first, d.second);
    }
}

// Add New Device sets five fields and the mode, keeps the rest of the last
// dialog's record, and rebuilds the tree once after the dialog, whether it
// was confirmed or cancelled (a confirmed dialog has rebuilt it already).
TEST_F(FormTest, AddNewDevicePreparesTheRecordAndRebuildsAfterTheDialog) {
    const struct {
        bool confirm;
        int rebuilds;
    } cases[] = {{false, 1}, {true, 2}};
    PutModels();
    AddDevice("CashDrawer", "NVCD1");
    frmMain& f = Load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.confirm);
        Click("NVCD1", "CashDrawer");  // each rebuild closes its control object once
        gEditDevice.Master = "kept";
        gEditDevice.MasterValue = 77;
        gEditDevice.OpenStatusPhase = 0;
        gSettingMode = kSettingProperty;
        AddDevice("CashDrawer", "Late");  // behind the tree's back
        OnDialog([&](frmSetting& d) {
            EXPECT_EQ(gSettingMode, kSettingCreate);
            EXPECT_EQ(gEditDevice.ConnectorPinNo, 2);
            EXPECT_EQ(gEditDevice.OpenStatusPhase, 1);
            EXPECT_EQ(gEditDevice.PulseOnTime, 100);
            EXPECT_EQ(gEditDevice.Timeout, 2500);
            EXPECT_EQ(gEditDevice.Master, "kept");
            EXPECT_EQ(gEditDevice.MasterValue, 77);
            if (c.confirm) {
                d.MasterDevice.SetListIndex(0);
                d.MasterDevice_Click();
                d.btnOK_Click();
            } else {
                d.btnCancel_Click();
            }
        });
        const size_t mark = factory.journal.size();
        f.AddNewDevice();
        const auto calls = JournalFrom(mark);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "CashDrawer.Call Close()"), c.rebuilds);
        EXPECT_NE(Node("Late", "CashDrawer"), -1);
        EXPECT_EQ(registry.HasKey(modRegistry::DeviceKeyPath("CashDrawer", "NVCD2")), c.confirm);
    }
    EXPECT_EQ(shell.dialogs, 2);
}

// Delete asks about the right-clicked device of any class; only Yes deletes
// and rebuilds. A deletion that fails (the key holds a subkey) says so.
TEST_F(FormTest, DeleteAsksAndActsOnlyOnYes) {
    const struct {
        const char* cls;
        const char* device;
        int answer;
        bool fails;
    } cases[] = {
        {"CashDrawer", "NVCD2", mb::kIdNo, false},
        {"CashDrawer", "NVCD2", mb::kIdYes, false},
        {"MSR", "M1", mb::kIdYes, false},
        {"CashDrawer", "NVCD3", mb::kIdYes, true},
    };
    AddDevice("CashDrawer", "NVCD1");
    AddDevice("CashDrawer", "NVCD2");
    AddDevice("CashDrawer", "NVCD3");
    registry.PutKey(modRegistry::DeviceKeyPath("CashDrawer", "NVCD3") + "\\Sub");
    AddDevice("MSR", "M1", "OposBench.MSR");
    frmMain& f = Load();
    int hit = TreeViewModel::kNone;
    f.TreeView1.SetHitTest([&](int, int) { return hit; });
    shell.choose = "Menu_Delete_Device";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.device) + (c.answer == mb::kIdYes ? " yes" : " no"));
        hit = Node(c.device, c.cls);
        ASSERT_NE(hit, -1);
        shell.boxes.clear();
        shell.answers = {c.answer};
        AddDevice("CashDrawer", "Late");  // shown only if the tree is rebuilt
        const size_t writes = registry.writes().size();
        f.TreeView1_MouseUp(2, 0, 5, 5);

        ASSERT_EQ(shell.boxes.size(), c.fails ? 2u : 1u);
        EXPECT_EQ(shell.boxes[0].caption, std::string("Delete ") + c.cls + " Device");
        EXPECT_EQ(
            shell.boxes[0].text,
            std::string("Are you sure you want to delete all setting information about\n\r") + c.cls + "\\" + c.device);
        EXPECT_EQ(shell.boxes[0].style, mb::kYesNo | mb::kIconInformation | mb::kDefaultButton2);
        const bool yes = c.answer == mb::kIdYes;
        const bool deleted = yes && !c.fails;
        EXPECT_EQ(registry.HasKey(modRegistry::DeviceKeyPath(c.cls, c.device)), !deleted);
        EXPECT_EQ(Node("Late", "CashDrawer") != -1, yes);
        EXPECT_EQ(Node(c.device, c.cls) != -1, !deleted);
        if (c.fails) {
            EXPECT_EQ(shell.boxes[1].text, std::string("Could not delete ") + c.cls + "\\" + c.device +
                                               " : Access is denied.\n\nThe registry was not changed.");
            EXPECT_EQ(shell.boxes[1].style, mb::kOk | mb::kIconExclamation);
            EXPECT_EQ(shell.boxes[1].caption, "Information");
        }
        EXPECT_EQ(registry.writes().size(), writes);
        modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", "Late");
        f.GetOPOSClass();
    }
    // A class node names no entry: nothing is asked or deleted.
    gPopupNode = PopupNode{true, "CashDrawer", "", "Class"};
    shell.boxes.clear();
    f.DeleteDevice();
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_TRUE(registry.HasKey(modRegistry::DeviceKeyPath("CashDrawer", "NVCD1")));
}

}  // namespace
}  // namespace trellup::test
