// The property dialog through its models: the number boxes and their key
// filter, the master lists and pick, and what OK and Cancel write.
#include <gmock/gmock.h>

#include "support/form_fixture.h"

namespace trellup::test {
namespace {

using ::testing::ElementsAre;

const std::string kNvcd1 = modRegistry::DeviceKeyPath("CashDrawer", "NVCD1");

class SettingTest : public FormTest {
protected:
    // User input into a box: the text it now shows (`exact` false: with
    // characters the code page lacks), then its Change procedure.
    static void Type(frmSetting& d, TextBox frmSetting::*box, const std::string& text, bool exact = true) {
        (d.*box).CaptionFromUser(text, exact);
        if (box == &frmSetting::txtDeviceName) d.txtDeviceName_Change();
        if (box == &frmSetting::txtPulseOnTime) d.txtPulseOnTime_Change();
        if (box == &frmSetting::txtTimeOut) d.txtTimeOut_Change();
    }
    static void Pick(frmSetting& d, int index) {
        d.MasterDevice.SetListIndex(index);
        d.MasterDevice_Click();
    }
    CashDrawerDevice Written(const std::string& name = "NVCD1") {
        CashDrawerDevice d;
        modRegistry::ReadDeviceRecord(platform(), "CashDrawer", name, &d);
        return d;
    }
    // NVCD1 as the bench's model writes it, clicked in the tree.
    frmMain& LoadWithBenchDevice(uint32_t phase = 0) {
        PutModels();
        AddDevice("CashDrawer", "NVCD1", "Norvane.CashDrawer");
        registry.PutDword(kNvcd1, "PulseOnTime", 150);
        registry.PutDword(kNvcd1, "Timeout", 2000);
        registry.PutDword(kNvcd1, "OpenStatusPhase", phase);
        frmMain& f = Load();
        Click("NVCD1", "CashDrawer");
        return f;
    }
};

// Pulse and time-out boxes: the whole text as one 16-bit number, rounded
// half to even; anything else leaves the record's number as it was.
TEST_F(SettingTest, NumberBoxesKeepOnlyTextsThatAreSixteenBitNumbers) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"40000", 4000},  {"12.5", 12},      {"13.5", 14},       {" 7 ", 7},       {"12a", 4000},
        {"", 4000},       {"abc", 4000},     {"-32768", -32768}, {"32767", 32767}, {"32768", 4000},
        {"-32769", 4000}, {"32767.5", 4000}, {"&H10", 16},       {"1 2", 4000},
    };
    Load();
    setting->Show();
    for (auto box : {&frmSetting::txtPulseOnTime, &frmSetting::txtTimeOut}) {
        const bool pulse = box == &frmSetting::txtPulseOnTime;
        for (const auto& c : cases) {
            gEditDevice.PulseOnTime = gEditDevice.Timeout = 4000;
            Type(*setting, box, c.text);
            EXPECT_EQ(pulse ? gEditDevice.PulseOnTime : gEditDevice.Timeout, c.value)
                << pulse << " \"" << c.text << '"';
            EXPECT_EQ(pulse ? gEditDevice.Timeout : gEditDevice.PulseOnTime, 4000);
        }
    }
}

// Copy, paste and backspace always pass; other keys pass only as digits
// while the box holds at most four characters, and all pass after that.
TEST_F(SettingTest, KeyFilterLetsOnlyDigitsIntoShortBoxes) {
    const struct {
        const char* text;
        int key;
        bool passes;
    } cases[] = {
        {"", 'a', false},     {"", '5', true},     {"", '0', true},      {"", '9', true},       {"", '-', false},
        {"", '.', false},     {"", 13, false},     {"", 3, true},        {"", 22, true},        {"", 8, true},
        {"1234", 'x', false}, {"1234", '9', true}, {"12345", 'x', true}, {"1234", 0xE9, false},
    };
    Load();
    setting->Show();
    for (auto box : {&frmSetting::txtPulseOnTime, &frmSetting::txtTimeOut}) {
        for (const auto& c : cases) {
            (setting.get()->*box).CaptionFromUser(c.text);
            int key = c.key;
            if (box == &frmSetting::txtPulseOnTime)
                setting->txtPulseOnTime_KeyPress(&key);
            else
                setting->txtTimeOut_KeyPress(&key);
            EXPECT_EQ(key, c.passes ? c.key : 0) << (setting.get()->*box).name() << " \"" << c.text << "\" " << c.key;
        }
    }
    // Typing 4, 0, 0, 0, 0: the fifth digit passes, but 40000 is no 16-bit
    // number.
    setting->txtPulseOnTime.CaptionFromUser("");
    for (char ch : std::string("40000")) {
        int key = ch;
        setting->txtPulseOnTime_KeyPress(&key);
        Type(*setting, &frmSetting::txtPulseOnTime, setting->txtPulseOnTime.Text() + static_cast<char>(key));
    }
    EXPECT_EQ(setting->txtPulseOnTime.Text(), "40000");
    EXPECT_EQ(gEditDevice.PulseOnTime, 4000);
}

// OK writes the times the boxes show: each a whole number of 1 to 32767
// milliseconds. Anything else is refused with a message that names the box,
// and nothing is written.
TEST_F(SettingTest, OkWritesOnlyWholeMillisecondsTheBoxesShow) {
    const struct {
        const char* text;
        int32_t written;  // 0: refused
    } cases[] = {
        {"", 0},     {"-1", 0},    {"0", 0},     {"abc", 0},    {"1,000", 0}, {"12.5", 0},   {" 7", 0},
        {"&H10", 0}, {"32768", 0}, {"40000", 0}, {"400000", 0}, {"1", 1},     {"0250", 250}, {"32767", 32767},
    };
    frmMain& f = LoadWithBenchDevice();
    for (auto box : {&frmSetting::txtPulseOnTime, &frmSetting::txtTimeOut}) {
        const bool pulse = box == &frmSetting::txtPulseOnTime;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(pulse ? "pulse \"" : "time-out \"") + c.text + '"');
            shell.boxes.clear();
            const size_t writes = registry.writes().size();
            OnDialog([&](frmSetting& d) {
                Type(d, box, c.text);
                d.btnOK_Click();
                EXPECT_EQ(d.Form.Visible(), c.written == 0);
                if (d.Form.Visible()) d.btnCancel_Click();
            });
            f.DeviceProperty();
            if (c.written != 0) {
                EXPECT_TRUE(shell.boxes.empty());
                EXPECT_EQ(pulse ? Written().PulseOnTime : Written().Timeout, c.written);
                continue;
            }
            EXPECT_EQ(registry.writes().size(), writes);
            ASSERT_EQ(shell.boxes.size(), 1u);
            EXPECT_EQ(shell.boxes[0].text, std::string(pulse ? "Pulse On Time (ms)" : "Time Out (ms)") +
                                               " must be a whole number from 1 to 32767 !");
            EXPECT_EQ(shell.boxes[0].style, mb::kOk | mb::kIconInformation);
            EXPECT_EQ(shell.boxes[0].caption, "Information");
        }
    }
}

// Each create writes the model its list shows. A model still shown from an
// earlier create is loaded again, so neither Add New Device's defaults nor
// the values a Property dialog left in the record are written under it.
TEST_F(SettingTest, EachCreateWritesTheModelItShows) {
    frmMain& f = LoadWithBenchDevice(1);
    registry.PutDword(kNvcd1, "MasterValue", 99);
    registry.PutDword(kNvcd1, "CheckStatusPeriod", 500);
    registry.PutString(kNvcd1, "Master", "Hand-set ports");
    Click("NVCD1", "CashDrawer");
    OnDialog([&](frmSetting& d) {
        Pick(d, 1);
        d.btnCancel_Click();
    });
    f.AddNewDevice();
    const auto bench = [](const char* name) {
        return CashDrawerDevice{"CashDrawer",
                                "Norvane.CashDrawer",
                                "Norvane OPOS Cash Drawer Service Object",
                                name,
                                "Bench drawer",
                                "Bench simulated terminal",
                                8,
                                250,
                                3,
                                0,
                                150,
                                2000};
    };
    for (const char* name : {"NVCD2", "NVCD3"}) {
        SCOPED_TRACE(name);
        Click("NVCD1", "CashDrawer");
        OnDialog([&](frmSetting& d) { d.btnCancel_Click(); });
        f.DeviceProperty();  // leaves NVCD1's values in the record
        OnDialog([&](frmSetting& d) {
            EXPECT_EQ(d.MasterDevice.ListIndex(), 1);
            EXPECT_EQ(d.txtDeviceName.Text(), name);
            EXPECT_EQ(d.OpenStatusLow.Value(), 1);
            d.btnOK_Click();
        });
        f.AddNewDevice();
        EXPECT_EQ(Written(name), bench(name));
    }
}

// Property edits the device right-clicked, not the one clicked last: the
// window shows it first, so labels, gCurDevice and the dialog agree.
TEST_F(SettingTest, PropertyEditsTheRightClickedDevice) {
    frmMain& f = LoadWithBenchDevice();
    AddDevice("CashDrawer", "Back");
    registry.PutDword(modRegistry::DeviceKeyPath("CashDrawer", "Back"), "PulseOnTime", 300);
    f.GetOPOSClass();
    ASSERT_EQ(f.lblDeviceName.Caption(), "NVCD1");
    f.TreeView1.SetHitTest([&](int, int) { return Node("Back", "CashDrawer"); });
    shell.choose = "Menu_Device_Property";
    OnDialog([&](frmSetting& d) {
        EXPECT_EQ(f.lblDeviceName.Caption(), "Back");
        EXPECT_EQ(d.txtDeviceName.Text(), "Back");
        EXPECT_EQ(d.txtPulseOnTime.Text(), "300");
        Type(d, &frmSetting::txtPulseOnTime, "320");
        d.btnOK_Click();
    });
    f.TreeView1_MouseUp(2, 0, 5, 5);
    EXPECT_EQ(shell.dialogs, 1);
    EXPECT_EQ(Written("Back").PulseOnTime, 320);
    EXPECT_EQ(Written("NVCD1").PulseOnTime, 150);
    EXPECT_EQ(f.TreeView1.SelectedItem(), Node("Back", "CashDrawer"));

    // Deleted from outside since the menu opened: said, not edited.
    Click("NVCD1", "CashDrawer");
    modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", "Back");
    f.DeviceProperty();
    EXPECT_EQ(shell.dialogs, 1);
    EXPECT_EQ(Log().back(), "CashDrawer\\Back : not found in the registry, Rescan to update the tree");
    EXPECT_FALSE(registry.HasKey(modRegistry::DeviceKeyPath("CashDrawer", "Back")));
}

// DllPath names Trellup's folder only when the port library lies there.
// Otherwise a property edit keeps the entry's DllPath and says so, and a
// create asks first, No being the default (and writing nothing).
TEST_F(SettingTest, DllPathNamesAFolderThatHoldsThePortLibrary) {
    const struct {
        bool create;
        bool library;
        int answer;
        const char* dll_path;  // nullptr: nothing written
    } cases[] = {
        {true, true, mb::kIdOk, "C:\\Trellup"},    {true, false, mb::kIdNo, nullptr},
        {true, false, mb::kIdYes, "C:\\Trellup"},  {false, true, mb::kIdOk, "C:\\Trellup"},
        {false, false, mb::kIdOk, "D:\\Terminal"},
    };
    const std::string missing = "WinIo32.dll, the port library, is not in Trellup's folder C:\\Trellup ";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.create ? "create" : "property") + (c.library ? " with" : " without") +
                     (c.answer == mb::kIdNo ? " no" : ""));
        frmMain& f = LoadWithBenchDevice();
        registry.PutString(kNvcd1, "DllPath", "D:\\Terminal");
        folder.files.clear();
        if (c.library) folder.files.insert("WinIo32.dll");
        shell.boxes.clear();
        shell.answers = {c.answer};
        const size_t writes = registry.writes().size();
        OnDialog([&](frmSetting& d) {
            if (c.create) Pick(d, 1);
            d.btnOK_Click();
            if (d.Form.Visible()) d.btnCancel_Click();
        });
        c.create ? f.AddNewDevice() : f.DeviceProperty();
        const std::string key = modRegistry::DeviceKeyPath("CashDrawer", c.create ? "NVCD2" : "NVCD1");
        if (c.dll_path == nullptr) {
            EXPECT_EQ(registry.writes().size(), writes);
        } else {
            ASSERT_NE(registry.Find(key, "DllPath"), nullptr);
            EXPECT_EQ(registry.Find(key, "DllPath")->data, Bytes(std::string(c.dll_path) + '\0'));
        }
        if (c.library) {
            EXPECT_TRUE(shell.boxes.empty());
        } else {
            ASSERT_EQ(shell.boxes.size(), 1u);
            EXPECT_EQ(shell.boxes[0].text,
                      c.create ? missing + ", which the new device's DllPath names.\n\nCreate the device anyway ?"
                               : missing + ".\n\nThe device keeps its DllPath D:\\Terminal .");
            EXPECT_EQ(shell.boxes[0].style, c.create ? mb::kYesNo | mb::kIconExclamation | mb::kDefaultButton2
                                                     : mb::kOk | mb::kIconInformation);
        }
        modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", "NVCD2");
    }
}

// Without a picked model (none picked yet, or an OPOS.INI that lists none)
// OK only says so: the dialog stays shown and the registry is untouched.
TEST_F(SettingTest, CreateWithoutAPickedModelWritesNothing) {
    for (bool models : {true, false}) {
        SCOPED_TRACE(models);
        profile.RemoveFile("C:\\Trellup\\OPOS.INI");
        if (models) PutModels();
        frmMain& f = Load();
        shell.boxes.clear();
        OnDialog([&](frmSetting& d) {
            EXPECT_EQ(d.MasterDevice.ListCount(), models ? 3 : 0);
            d.btnOK_Click();
            EXPECT_TRUE(d.Form.Visible());
            d.btnCancel_Click();
        });
        f.AddNewDevice();
        ASSERT_EQ(shell.boxes.size(), 1u);
        EXPECT_EQ(shell.boxes[0].text, "Please Select Master Device !");
        EXPECT_EQ(shell.boxes[0].style, mb::kOk | mb::kIconInformation);
        EXPECT_EQ(shell.boxes[0].caption, "Information");
        EXPECT_TRUE(registry.writes().empty());
    }
}

// The master lists come from OPOS.INI once; later edits of the file reach
// a pick and the caption's version, not the lists. The pick itself stays,
// so a later create is accepted at once.
TEST_F(SettingTest, MasterListsAreFilledOnceAndKept) {
    PutModels();
    frmMain& f = Load();
    OnDialog([&](frmSetting& d) {
        EXPECT_THAT(d.MasterName.Items(), ElementsAre("NV210_PORT1", "BENCH", "NOPULSE"));
        Pick(d, 1);
        d.btnCancel_Click();
    });
    f.AddNewDevice();

    PutIni(
        "[device]\ncount=1\nvesrion=V2.0\ndevice1=BENCH\n[BENCH]\nMaster=Renamed "
        "model\nPulseOnTime=175\nTimeout=900\n");
    OnDialog([&](frmSetting& d) {
        EXPECT_EQ(d.Form.Caption(), "Create Cash Drawer Device V2.0");
        EXPECT_THAT(d.MasterDevice.Items(),
                    ElementsAre("NV-210 board, drawer port 1", "Bench simulated terminal", "No pulse model"));
        EXPECT_EQ(d.MasterDevice.ListIndex(), 1);
        Pick(d, 1);
        EXPECT_EQ(d.txtPulseOnTime.Text(), "175");
        d.btnOK_Click();
    });
    f.AddNewDevice();
    EXPECT_EQ(Written().PulseOnTime, 175);
    EXPECT_EQ(Written().Master, "Renamed model");
    EXPECT_TRUE(shell.boxes.empty());
}

// A model without "PulseOnTime" shows 0; a phase other than 1 is shown as
// Low and written as 0. The rest of the record is the model's.
TEST_F(SettingTest, CreateWritesThePickedModelWithZerosForStrayNumbers) {
    PutModels();
    frmMain& f = Load();
    OnDialog([&](frmSetting& d) {
        Pick(d, 2);
        EXPECT_EQ(d.txtPulseOnTime.Text(), "0");
        EXPECT_EQ(d.OpenStatusLow.Value(), 1);
        EXPECT_EQ(d.OpenStatusHigh.Value(), 0);
        Type(d, &frmSetting::txtPulseOnTime, "120");  // OK refuses 0
        d.btnOK_Click();
    });
    f.AddNewDevice();
    EXPECT_EQ(Written(), (CashDrawerDevice{"CashDrawer", "Other.CashDrawer", "", "NVCD1", "", "No pulse model", 9, 0, 0,
                                           0, 120, 1500}));
    EXPECT_EQ(registry.writes().size(), 12u);
    EXPECT_EQ(f.TreeView1.SelectedItem(), Node("NVCD1", "CashDrawer"));
}

// Property mode: edits reach the record (an emptied box keeps the last
// number); OK writes them and shows the rebuilt entry, Cancel writes
// nothing and leaves them in the record.
TEST_F(SettingTest, EditsReachTheRecordAndOnlyOkWritesThem) {
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        frmMain& f = LoadWithBenchDevice(5);
        OnDialog([&](frmSetting& d) {
            EXPECT_EQ(d.OpenStatusLow.Value(), 1);
            Type(d, &frmSetting::txtPulseOnTime, "250");
            Type(d, &frmSetting::txtPulseOnTime, "");
            EXPECT_EQ(gEditDevice.PulseOnTime, 250);
            Type(d, &frmSetting::txtTimeOut, "3000");
            d.OpenStatusHigh.ValueFromUser(1);
            d.OpenStatusHigh_Click();
            if (ok) Type(d, &frmSetting::txtPulseOnTime, "250");  // OK refuses an empty box
            ok ? d.btnOK_Click() : d.btnCancel_Click();
        });
        f.DeviceProperty();
        EXPECT_EQ(gEditDevice.PulseOnTime, 250);
        EXPECT_EQ(gEditDevice.Timeout, 3000);
        EXPECT_EQ(gEditDevice.OpenStatusPhase, 1);
        EXPECT_EQ(registry.writes().size(), ok ? 12u : 0u);
        EXPECT_EQ(Written().PulseOnTime, ok ? 250 : 150);
        EXPECT_EQ(f.lblOpenStatusPhase.Caption(), ok ? "High" : "Low");
    }
}

// OK saves all of the entry or nothing. A rename moves the entry with its
// hand-set values and deletes the old key last. A failure anywhere (a
// refused create, a failed write, an old key that holds a subkey, a change
// of letter case alone) is reported with the system's text and what was
// kept; the dialog stays open.
TEST_F(SettingTest, OkSavesAllOrNothingAndReportsAFailure) {
    const std::string kept = "\n\nThe registry was not changed.";
    const std::string rename = "Could not rename CashDrawer\\NVCD1 to ";
    const struct {
        void (frmMain::*command)();
        const char* name;
        void (*spoil)(FakeRegistry&);  // just before OK
        std::string message;           // "": saved
    } cases[] = {
        {&frmMain::DeviceProperty, "Front", nullptr, ""},
        {&frmMain::DeviceProperty, "NVCD1", nullptr, ""},
        {&frmMain::AddNewDevice, "NVCD2", nullptr, ""},
        {&frmMain::DeviceProperty, "nvcd1", nullptr, rename + "nvcd1 : Registry key names ignore letter case." + kept},
        {&frmMain::DeviceProperty, "Front", [](FakeRegistry& r) { r.PutKey(kNvcd1 + "\\Sub"); },
         rename + "Front : Access is denied." + kept},
        {&frmMain::AddNewDevice, "NVCD2", [](FakeRegistry& r) { r.FailCreateKey(kRegAccessDenied); },
         "Could not write CashDrawer\\NVCD2 : Access is denied." + kept},
        {&frmMain::DeviceProperty, "NVCD1", [](FakeRegistry& r) { r.FailWritesOf("Timeout", kRegAccessDenied); },
         "Could not write CashDrawer\\NVCD1 : Access is denied." + kept},
        {&frmMain::DeviceProperty, "NVCD1", [](FakeRegistry& r) { r.FailWritesAfter(3); },
         "Could not write CashDrawer\\NVCD1 : Access is denied.\n\nCashDrawer\\NVCD1 may hold part of the new "
         "settings."},
    };
    const std::vector<uint8_t> port = {0x80, 0x02, 0, 0};
    for (const auto& c : cases) {
        const bool create = c.command == &frmMain::AddNewDevice;
        SCOPED_TRACE(std::string(create ? "create " : "property ") + c.name + " " + c.message);
        frmMain& f = LoadWithBenchDevice();
        registry.PutValue(kNvcd1, "CD_Port", kRegDword, port);
        shell.boxes.clear();
        std::string before;
        OnDialog([&](frmSetting& d) {
            if (create) Pick(d, 1);
            Type(d, &frmSetting::txtDeviceName, c.name);
            if (c.spoil) c.spoil(registry);
            before = registry.Dump();
            d.btnOK_Click();
            EXPECT_EQ(d.Form.Visible(), !c.message.empty());
            if (d.Form.Visible()) d.btnCancel_Click();
        });
        (f.*c.command)();
        const std::string moved = modRegistry::DeviceKeyPath("CashDrawer", c.name);
        if (c.message.empty()) {
            EXPECT_TRUE(shell.boxes.empty());
            EXPECT_EQ(Written(c.name).PulseOnTime, 150);
            EXPECT_EQ(registry.Find(moved, "DeviceName")->data, Bytes(std::string(c.name) + '\0'));
            // The hand-set value goes with the entry; a new entry has none.
            ASSERT_EQ(registry.Find(moved, "CD_Port") != nullptr, !create);
            if (!create) {
                EXPECT_EQ(registry.Find(moved, "CD_Port")->data, port);
            }
            EXPECT_EQ(registry.HasKey(kNvcd1), std::string(c.name) != "Front");
            EXPECT_EQ(f.TreeView1.SelectedItem(), Node(c.name, "CashDrawer"));
        } else {
            ASSERT_EQ(shell.boxes.size(), 1u);
            EXPECT_EQ(shell.boxes[0].text, c.message);
            EXPECT_EQ(shell.boxes[0].style, mb::kOk | mb::kIconExclamation);
            EXPECT_EQ(shell.boxes[0].caption, "Information");
            if (c.message.find(kept) != std::string::npos) {
                EXPECT_EQ(registry.Dump(), before);
            }
            EXPECT_TRUE(registry.HasKey(kNvcd1));
        }
        registry.FailCreateKey(0);
        registry.FailWritesAfter(-1);
        registry.FailWritesOf("Timeout", kRegSuccess);
        for (const char* key : {"NVCD1\\Sub", "Front", "NVCD1", "NVCD2"})
            modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", key);
    }
}

// OK under the name of another existing entry (in any letter case) asks
// first; only Yes writes over it (and, in property mode, moves the entry),
// leaving nothing of the entry it replaces.
TEST_F(SettingTest, WritingOverAnotherEntryNeedsTheUsersYes) {
    const struct {
        void (frmMain::*command)();
        const char* name;
        int answer;
    } cases[] = {
        {&frmMain::AddNewDevice, "front", mb::kIdNo},
        {&frmMain::AddNewDevice, "front", mb::kIdYes},
        {&frmMain::DeviceProperty, "FRONT", mb::kIdNo},
        {&frmMain::DeviceProperty, "FRONT", mb::kIdYes},
    };
    const std::string front = modRegistry::DeviceKeyPath("CashDrawer", "Front");
    for (const auto& c : cases) {
        const bool create = c.command == &frmMain::AddNewDevice;
        SCOPED_TRACE(std::string(create ? "create " : "property ") + (c.answer == mb::kIdYes ? "yes" : "no"));
        frmMain& f = LoadWithBenchDevice();
        AddDevice("CashDrawer", "Front", "Other.CashDrawer");
        registry.PutDword(front, "PulseOnTime", 77);
        registry.PutDword(front, "CS_Status", 0x301);  // hand-set on Front only
        registry.PutDword(kNvcd1, "CD_Port", 0x280);   // hand-set on NVCD1 only
        shell.boxes.clear();
        shell.answers = {c.answer};
        const size_t writes = registry.writes().size();
        OnDialog([&](frmSetting& d) {
            if (create) Pick(d, 1);
            Type(d, &frmSetting::txtDeviceName, c.name);
            d.btnOK_Click();
            EXPECT_EQ(d.Form.Visible(), c.answer == mb::kIdNo);
            if (d.Form.Visible()) d.btnCancel_Click();
        });
        (f.*c.command)();
        ASSERT_EQ(shell.boxes.size(), 1u);
        EXPECT_EQ(shell.boxes[0].text, std::string("A device named ") + c.name +
                                           " already exists.\n\nDo you want to replace its settings ?");
        EXPECT_EQ(shell.boxes[0].style, mb::kYesNo | mb::kIconExclamation | mb::kDefaultButton2);
        EXPECT_EQ(shell.boxes[0].caption, "Information");
        EXPECT_EQ(registry.writes().size(), writes + (c.answer != mb::kIdYes ? 0 : create ? 12 : 13));
        EXPECT_EQ(Written("Front").PulseOnTime, c.answer == mb::kIdYes ? 150 : 77);
        EXPECT_EQ(registry.HasKey(kNvcd1), create || c.answer == mb::kIdNo);
        // Yes leaves exactly the written entry: the record, and in property
        // mode the renamed entry's hand-set values; nothing of Front's own.
        if (c.answer == mb::kIdYes) {
            EXPECT_EQ(registry.ValueNames(front).size(), create ? 12u : 13u);
            EXPECT_EQ(registry.Find(front, "CS_Status"), nullptr);
            EXPECT_EQ(registry.Find(front, "CD_Port") != nullptr, !create);
        } else {
            EXPECT_NE(registry.Find(front, "CS_Status"), nullptr);
        }
        modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", "Front");
        modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", "NVCD1");
    }
}

// A name the store would not take as a key name, or one typed with
// characters the code page lacks: OK says why, writes nothing and keeps the
// dialog shown; in property mode the old entry stays.
TEST_F(SettingTest, RefusedNamesKeepTheDialogOpenAndWriteNothing) {
    const struct {
        std::string name;
        const char* message;  // nullptr: accepted
        bool exact;           // false: typed with characters the code page lacks
    } cases[] = {
        {"", "Please Enter Device Name !", true},
        {"A\\B", "Device Name cannot contain \"\\\" !", true},
        {std::string(256, 'x'), "Device Name cannot be longer than 255 characters !", true},
        {"Caja ?", "Device Name cannot contain characters outside the system code page !", false},
        {std::string(255, 'y'), nullptr, true},  // last: it is written (and renames in property mode)
    };
    frmMain& f = LoadWithBenchDevice();
    for (void (frmMain::*command)() : {&frmMain::AddNewDevice, &frmMain::DeviceProperty}) {
        Click("NVCD1", "CashDrawer");
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name.substr(0, 8) + (command == &frmMain::AddNewDevice ? " create" : " property"));
            shell.boxes.clear();
            const size_t writes = registry.writes().size();
            OnDialog([&](frmSetting& d) {
                if (command == &frmMain::AddNewDevice) Pick(d, 1);
                Type(d, &frmSetting::txtDeviceName, c.name, c.exact);
                d.btnOK_Click();
                EXPECT_EQ(d.Form.Visible(), c.message != nullptr);
                if (d.Form.Visible()) d.btnCancel_Click();
            });
            (f.*command)();
            EXPECT_EQ(registry.writes().size(), writes + (c.message == nullptr ? 12 : 0));
            EXPECT_EQ(registry.HasKey(kNvcd1), c.message != nullptr || command == &frmMain::AddNewDevice);
            if (c.message == nullptr) {
                EXPECT_TRUE(shell.boxes.empty());
                // Gone again, so that property mode renames to a free name.
                if (command == &frmMain::AddNewDevice)
                    modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", c.name);
                continue;
            }
            ASSERT_EQ(shell.boxes.size(), 1u);
            EXPECT_EQ(shell.boxes[0].text, c.message);
            EXPECT_EQ(shell.boxes[0].style, mb::kOk | mb::kIconInformation);
            EXPECT_EQ(shell.boxes[0].caption, "Information");
        }
    }
}

}  // namespace
}  // namespace trellup::test
