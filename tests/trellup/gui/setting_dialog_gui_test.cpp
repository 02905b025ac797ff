// The property dialog and the device commands of Trellup.exe, driven from
// another process: a cash drawer created from the bench's hardware model
// through the real dialog opens in Kestrix.dll and fires the bench drawer;
// the property dialog renames it; Delete Device asks, and only Yes deletes.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "gui_bench.h"
#include "machine.h"
#include "resource_ids.h"
#include "setup_entries.h"
#include "trellup_driver.h"

namespace trellup::test {
namespace {

using trellup::test::MessageBoxSeen;
using trellup::test::Trellup;

const std::wstring kDrawers = L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\";

std::wstring IniText(const wchar_t* section, const wchar_t* key) {
    const std::wstring ini = trellup::test::WindowsPath(TRELLUP_PRODUCT_DIR) + L"\\OPOS.INI";
    wchar_t text[256] = {};
    GetPrivateProfileStringW(section, key, L"", text, 256, ini.c_str());
    return text;
}

std::wstring RegText(const std::wstring& device, const wchar_t* name) {
    wchar_t text[512] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, (kDrawers + device).c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != 0)
        return L"<none>";
    return text;
}

DWORD RegNumber(const std::wstring& device, const wchar_t* name) {
    DWORD value = 0xDEADBEEF, size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, (kDrawers + device).c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

bool KeyExists(const std::wstring& device) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kDrawers + device).c_str(), 0, KEY_READ, &key) != 0) return false;
    RegCloseKey(key);
    return true;
}

// Every value of a drawer's key: name, type and bytes.
using Values = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;
Values AllValues(const std::wstring& device) {
    Values values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kDrawers + device).c_str(), 0, KEY_READ, &key) != 0) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256, type = 0, size = 1024;
        std::vector<BYTE> data(size);
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, data.data(), &size) != 0) break;
        data.resize(size);
        values[name] = {type, data};
    }
    RegCloseKey(key);
    return values;
}

void SetNumber(const std::wstring& device, const wchar_t* name, DWORD value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kDrawers + device).c_str(), name, REG_DWORD, &value, sizeof value),
              0);
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    DWORD_PTR ignored;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &ignored);
    return text;
}

class SettingDialogGui : public ::testing::Test {
protected:
    // The bench's entries with the drawer under `drawer`, its hardware
    // model named `master`.
    void Start(const std::wstring& drawer, const std::wstring& master = L"") {
        PrepareOposArea(drawer);
        if (!master.empty()) {
            ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kDrawers + drawer).c_str(), L"Master", REG_SZ,
                                      master.c_str(), static_cast<DWORD>((master.size() + 1) * sizeof(wchar_t))),
                      0);
        }
        std::string error;
        machine = winio_sim::Machine::open(BenchName(), &error);
        ASSERT_TRUE(machine != nullptr) << error;
        machine->close_drawer(0);
        ASSERT_TRUE(app.Start(TrellupExe())) << "Trellup.exe did not show its window";
    }

    // The dialog once it is shown with this caption, owned by the main
    // window.
    void WaitForDialog(const std::wstring& caption) {
        MessageBoxSeen seen;
        ASSERT_TRUE(trellup::test::WaitForBox(caption, &seen))
            << "no dialog \"" << std::string(caption.begin(), caption.end()) << '"';
        dialog = seen.hwnd;
        ASSERT_EQ(GetWindow(dialog, GW_OWNER), app.main());
        app.Sync();
    }
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    std::wstring Text(int id) const { return TextOf(Item(id)); }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // A character typed into a box, and a text set from outside (a paste).
    // Sent, so that it returns once the key filter and the change rule have
    // run; a posted character could still be queued when Sync is answered.
    void Type(int id, wchar_t c) const {
        DWORD_PTR ignored;
        SendMessageTimeoutW(Item(id), WM_CHAR, c, 1, SMTO_NORMAL, 20000, &ignored);
    }
    void SetText(int id, const std::wstring& text) const {
        SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        app.Sync();
    }
    // Replaces a box's text with `text` from the clipboard.
    void Paste(int id, const std::wstring& text) const {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(data), text.c_str(), bytes);
        GlobalUnlock(data);
        SetClipboardData(CF_UNICODETEXT, data);
        CloseClipboard();
        SendMessageW(Item(id), EM_SETSEL, 0, -1);
        SendMessageW(Item(id), WM_PASTE, 0, 0);
        app.Sync();
    }
    void PickMaster(const std::wstring& name) const {
        HWND combo = Item(IDC_MasterDevice);
        const LRESULT index =
            SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
        ASSERT_GE(index, 0);
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_MasterDevice, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        app.Sync();
    }
    // Presses a button of the dialog; true once the dialog is hidden.
    bool PressAndWaitHidden(int id) const {
        PostMessageW(Item(id), BM_CLICK, 0, 0);
        for (int i = 0; i < 400 && IsWindowVisible(dialog); ++i) Sleep(25);
        app.Sync();
        return !IsWindowVisible(dialog);
    }
    // OK is refused with an information box of this text (saved as the
    // screenshot `shot`, when named); the dialog stays.
    void ExpectRefusal(const std::wstring& text, const char* shot = nullptr) const {
        PostMessageW(Item(IDOK), BM_CLICK, 0, 0);
        MessageBoxSeen box;
        ASSERT_TRUE(trellup::test::WaitForBox(L"Information", &box));
        EXPECT_EQ(box.text, text);
        EXPECT_TRUE(box.has_icon);
        if (shot != nullptr) Shot(shot);
        ASSERT_TRUE(trellup::test::AnswerBox(box, IDOK));
        app.Sync();
        EXPECT_TRUE(IsWindowVisible(dialog));
    }
    // Right-clicks a device and chooses a device menu entry by its
    // underlined letter.
    void DeviceMenu(const std::wstring& device, WORD letter) {
        HTREEITEM item = app.FindTreeItem(IDC_TreeView1, L"CashDrawer", device);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(app.ClickTreeItem(IDC_TreeView1, item, true));
        Sleep(500);
        Trellup::PressKeys({letter});
    }
    std::wstring SelectedNode() const {
        HTREEITEM selected = app.SelectedTreeItem(IDC_TreeView1);
        for (const auto& t : app.Tree(IDC_TreeView1))
            if (t.item == selected) return t.text;
        return L"<none>";
    }
    // A screenshot once the utility has painted what it has to paint (paint
    // messages come after every other message).
    void Shot(const char* name) const {
        for (int i = 0; i < 3; ++i) {
            app.Sync();
            Sleep(200);
        }
        trellup::test::SaveScreenshot(ScreenshotPath(name));
    }
    std::wstring LastLogLine(const std::wstring& expected) const {
        std::wstring last;
        for (int i = 0; i < 200; ++i) {
            const auto lines = app.ListItems(IDC_List1);
            last = lines.empty() ? L"" : lines.back();
            if (last == expected) break;
            Sleep(50);
        }
        return last;
    }

    Trellup app;
    std::unique_ptr<winio_sim::Machine> machine;
    HWND dialog = nullptr;
};

TEST_F(SettingDialogGui, CreatedFromTheBenchModelTheDrawerFires) {
    ASSERT_NO_FATAL_FAILURE(Start(opos_bench::kBenchDrawer));
    app.PostClick(IDC_Image1);
    ASSERT_NO_FATAL_FAILURE(WaitForDialog(L"Create Cash Drawer Device " + IniText(L"device", L"vesrion")));

    // Size, place and tab order of the window.
    const int dpi = [] {
        HDC dc = GetDC(nullptr);
        const int v = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
        return v;
    }();
    RECT client, self, main;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, MulDiv(279, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(209, dpi, 96));
    GetWindowRect(dialog, &self);
    GetWindowRect(app.main(), &main);
    EXPECT_EQ(self.left, main.left + ((main.right - main.left) - (self.right - self.left)) / 2);
    EXPECT_EQ(self.top, main.top + ((main.bottom - main.top) - (self.bottom - self.top)) / 2);
    std::vector<int> tab_stops;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) tab_stops.push_back(GetDlgCtrlID(c));
    EXPECT_EQ(tab_stops, (std::vector<int>{IDC_MasterDevice, IDC_txtDeviceName, IDC_txtPulseOnTime, IDCANCEL, IDOK,
                                           IDC_MasterName, IDC_txtTimeOut, IDC_OpenStatusHigh}));
    EXPECT_FALSE(IsWindowEnabled(app.main()));
    // Each box is named by its title, which comes just before it.
    const std::pair<int, const wchar_t*> names[] = {
        {IDC_MasterDevice, L"Master Device"},        {IDC_MasterName, L"Master Device"},
        {IDC_lblMasterDevice, L"Master Device"},     {IDC_txtDeviceName, L"Device Name"},
        {IDC_txtPulseOnTime, L"Pulse On Time (ms)"}, {IDC_txtTimeOut, L"Time Out (ms)"},
    };
    for (const auto& [id, name] : names) EXPECT_EQ(trellup::test::AccessibleName(Item(id)), name) << id;
    const std::pair<int, int> titled[] = {{IDC_MasterDevice, IDC_Label2},
                                          {IDC_txtDeviceName, IDC_Label1},
                                          {IDC_txtPulseOnTime, IDC_Label21},
                                          {IDC_txtTimeOut, IDC_Label3}};
    for (const auto& [id, title] : titled) EXPECT_EQ(GetWindow(Item(id), GW_HWNDPREV), Item(title)) << id;

    // What the create mode shows.
    EXPECT_EQ(Text(IDOK), L"Create");
    EXPECT_EQ(Text(IDC_txtDeviceName), L"NVCD1");
    EXPECT_EQ(Text(IDC_txtPulseOnTime), L"100");
    EXPECT_EQ(Text(IDC_txtTimeOut), L"2500");
    EXPECT_TRUE(Checked(IDC_OpenStatusHigh));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_MasterDevice)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_lblMasterDevice)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_MasterName)));
    Shot("setting-create");

    // OK without a hardware model: the box, and the dialog stays.
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(L"Please Select Master Device !"));
    EXPECT_FALSE(IsWindowEnabled(app.main()));
    EXPECT_FALSE(KeyExists(L"NVCD1"));

    const std::wstring master = IniText(L"BENCH", L"Master");
    ASSERT_NO_FATAL_FAILURE(PickMaster(master));
    EXPECT_EQ(Text(IDC_txtPulseOnTime), IniText(L"BENCH", L"PulseOnTime"));
    EXPECT_EQ(Text(IDC_txtTimeOut), IniText(L"BENCH", L"Timeout"));
    EXPECT_TRUE(Checked(IDC_OpenStatusLow));
    // Typed characters pass the key filter; a pasted text passes whole.
    SetText(IDC_txtPulseOnTime, L"");
    for (wchar_t c : std::wstring(L"x12a0")) Type(IDC_txtPulseOnTime, c);
    EXPECT_EQ(Text(IDC_txtPulseOnTime), L"120");
    Paste(IDC_txtTimeOut, L"2500");
    EXPECT_EQ(Text(IDC_txtTimeOut), L"2500");
    ASSERT_TRUE(PressAndWaitHidden(IDOK));

    EXPECT_EQ(RegText(L"NVCD1", L""), IniText(L"BENCH", L"SOName"));
    EXPECT_EQ(RegText(L"NVCD1", L"DeviceName"), L"NVCD1");
    EXPECT_EQ(RegText(L"NVCD1", L"Master"), master);
    EXPECT_EQ(_wcsicmp(RegText(L"NVCD1", L"DllPath").c_str(), trellup::test::WindowsPath(TRELLUP_PRODUCT_DIR).c_str()),
              0);
    EXPECT_EQ(RegNumber(L"NVCD1", L"MasterValue"), static_cast<DWORD>(opos_bench::kBenchMasterValue));
    EXPECT_EQ(RegNumber(L"NVCD1", L"PulseOnTime"), 120u);
    EXPECT_EQ(RegNumber(L"NVCD1", L"Timeout"), 2500u);
    EXPECT_EQ(RegNumber(L"NVCD1", L"OpenStatusPhase"), 0u);
    EXPECT_TRUE(IsWindowEnabled(app.main()));
    EXPECT_EQ(SelectedNode(), L"NVCD1");

    // The entry opens in Kestrix.dll through the cash drawer control object,
    // and the bench drawer opens.
    app.Click(IDC_cmdOpen);
    ASSERT_EQ(LastLogLine(L"Open : [0] Success"), L"Open : [0] Success");
    app.Click(IDC_cmdClaim);
    app.Click(IDC_cmdEnable);
    app.Click(IDC_cmdFire);
    EXPECT_EQ(LastLogLine(L"OpenDrawer : [0] Success"), L"OpenDrawer : [0] Success");
    EXPECT_EQ(machine->drawer(0).releases, 1u);
}

TEST_F(SettingDialogGui, PropertyRenamesAndDeleteActsOnYesOnly) {
    ASSERT_NO_FATAL_FAILURE(Start(L"NVCD1", L"Bench model"));
    HTREEITEM nvcd1 = app.FindTreeItem(IDC_TreeView1, L"CashDrawer", L"NVCD1");
    ASSERT_TRUE(app.ClickTreeItem(IDC_TreeView1, nvcd1));
    DeviceMenu(L"NVCD1", 'P');
    ASSERT_NO_FATAL_FAILURE(WaitForDialog(L"Cash Drawer Property " + IniText(L"device", L"vesrion")));
    EXPECT_EQ(Text(IDOK), L"OK");
    EXPECT_FALSE(IsWindowVisible(Item(IDC_MasterDevice)));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_lblMasterDevice)));
    EXPECT_EQ(Text(IDC_lblMasterDevice), L"Bench model");
    EXPECT_EQ(Text(IDC_txtDeviceName), L"NVCD1");
    EXPECT_EQ(Text(IDC_txtPulseOnTime), L"100");
    EXPECT_EQ(Text(IDC_txtTimeOut), L"1000");
    EXPECT_TRUE(Checked(IDC_OpenStatusLow));
    Shot("setting-property");

    // Another entry under the new name in another letter case: asked
    // first, and No writes nothing.
    const wchar_t kept[] = L"Other.CashDrawer";
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kDrawers + L"Front").c_str(), L"", REG_SZ, kept, sizeof kept), 0);
    SetText(IDC_txtDeviceName, L"FRONT");
    PostMessageW(Item(IDOK), BM_CLICK, 0, 0);
    MessageBoxSeen overwrite;
    ASSERT_TRUE(trellup::test::WaitForBox(L"Information", &overwrite));
    EXPECT_EQ(overwrite.text, L"A device named FRONT already exists.\n\nDo you want to replace its settings ?");
    EXPECT_TRUE(overwrite.has_icon);
    EXPECT_EQ(GetWindowLongW(GetDlgItem(overwrite.hwnd, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    Shot("setting-overwrite-box");
    ASSERT_TRUE(trellup::test::AnswerBox(overwrite, IDNO));
    app.Sync();
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(KeyExists(L"NVCD1"));
    EXPECT_EQ(RegText(L"Front", L""), kept);
    EXPECT_EQ(RegText(L"Front", L"DeviceName"), L"<none>");
    ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kDrawers + L"Front").c_str()), 0);

    SetText(IDC_txtDeviceName, L"Front");
    ASSERT_TRUE(PressAndWaitHidden(IDOK));
    EXPECT_FALSE(KeyExists(L"NVCD1"));
    EXPECT_EQ(RegText(L"Front", L"DeviceName"), L"Front");
    EXPECT_EQ(RegNumber(L"Front", L"Timeout"), 1000u);
    EXPECT_EQ(SelectedNode(), L"Front");
    EXPECT_EQ(app.Text(IDC_lblDeviceName), L"Front");

    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        DeviceMenu(L"Front", 'D');
        MessageBoxSeen box;
        ASSERT_TRUE(trellup::test::WaitForBox(L"Delete CashDrawer Device", &box));
        EXPECT_EQ(box.text, L"Are you sure you want to delete all setting information about\n\rCashDrawer\\Front");
        EXPECT_TRUE(box.has_icon);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box.hwnd, IDYES)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box.hwnd, IDNO)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(box.hwnd, IDOK)));
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(box.hwnd, nullptr), &gui));
        EXPECT_EQ(gui.hwndFocus, GetDlgItem(box.hwnd, IDNO));  // No is the default button
        EXPECT_EQ(GetWindowLongW(GetDlgItem(box.hwnd, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        ASSERT_TRUE(trellup::test::AnswerBox(box, answer));
        app.Sync();
        EXPECT_EQ(KeyExists(L"Front"), answer == IDNO);
        EXPECT_EQ(app.FindTreeItem(IDC_TreeView1, L"CashDrawer", L"Front") != nullptr, answer == IDNO);
    }
}

// The dialog writes what it shows. A time it cannot write (a sixth digit, a
// pasted -1) is refused and nothing is written; each create writes the
// model its list shows, whatever an earlier dialog left in the record; a
// rename onto another entry, answered Yes, leaves exactly the renamed
// entry's values, its hand-set ports included.
TEST_F(SettingDialogGui, WritesWhatItShows) {
    ASSERT_NO_FATAL_FAILURE(Start(L"NVCD1", L"Hand-set ports"));
    SetNumber(L"NVCD1", L"MasterValue", 99);
    for (const wchar_t* port : {L"CD_Port", L"CD_Fire", L"CS_Port", L"CS_Status", L"CD_Phase"})
        SetNumber(L"NVCD1", port, 0x280 + port[3]);
    const Values nvcd1 = AllValues(L"NVCD1");
    const std::wstring property = L"Cash Drawer Property " + IniText(L"device", L"vesrion");
    const std::wstring create = L"Create Cash Drawer Device " + IniText(L"device", L"vesrion");

    DeviceMenu(L"NVCD1", 'P');
    ASSERT_NO_FATAL_FAILURE(WaitForDialog(property));
    SetText(IDC_txtPulseOnTime, L"");
    for (wchar_t c : std::wstring(L"400000")) Type(IDC_txtPulseOnTime, c);
    EXPECT_EQ(Text(IDC_txtPulseOnTime), L"400000");
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(L"Pulse On Time (ms) must be a whole number from 1 to 32767 !"));
    SetText(IDC_txtPulseOnTime, L"150");
    Paste(IDC_txtTimeOut, L"-1");
    ASSERT_NO_FATAL_FAILURE(
        ExpectRefusal(L"Time Out (ms) must be a whole number from 1 to 32767 !", "setting-refused-time"));
    ASSERT_TRUE(PressAndWaitHidden(IDCANCEL));
    EXPECT_EQ(AllValues(L"NVCD1"), nvcd1);

    // A model picked and cancelled, then Property cancelled: the record
    // holds NVCD1's values, yet the create writes the model it shows.
    const std::wstring master = IniText(L"BENCH", L"Master");
    app.PostClick(IDC_Image1);
    ASSERT_NO_FATAL_FAILURE(WaitForDialog(create));
    ASSERT_NO_FATAL_FAILURE(PickMaster(master));
    ASSERT_TRUE(PressAndWaitHidden(IDCANCEL));
    DeviceMenu(L"NVCD1", 'P');
    ASSERT_NO_FATAL_FAILURE(WaitForDialog(property));
    ASSERT_TRUE(PressAndWaitHidden(IDCANCEL));
    app.PostClick(IDC_Image1);
    ASSERT_NO_FATAL_FAILURE(WaitForDialog(create));
    EXPECT_EQ(Text(IDC_MasterDevice), master);
    EXPECT_EQ(Text(IDC_txtDeviceName), L"NVCD2");
    ASSERT_TRUE(PressAndWaitHidden(IDOK));
    EXPECT_EQ(RegText(L"NVCD2", L"Master"), master);
    EXPECT_EQ(RegNumber(L"NVCD2", L"MasterValue"), static_cast<DWORD>(opos_bench::kBenchMasterValue));
    for (const wchar_t* name :
         {L"CheckStatusPeriod", L"ConnectorPinNo", L"OpenStatusPhase", L"PulseOnTime", L"Timeout"})
        EXPECT_EQ(RegNumber(L"NVCD2", name), static_cast<DWORD>(_wtoi(IniText(L"BENCH", name).c_str()))) << name;
    EXPECT_EQ(AllValues(L"NVCD2").count(L"CD_Port"), 0u);
    // Ports of its own, which the rename below must not leave behind.
    for (const wchar_t* port : {L"CD_Port", L"CD_Fire", L"CS_Port", L"CS_Status", L"CD_Phase", L"CD_Other"})
        SetNumber(L"NVCD2", port, 0x300);

    DeviceMenu(L"NVCD1", 'P');
    ASSERT_NO_FATAL_FAILURE(WaitForDialog(property));
    SetText(IDC_txtDeviceName, L"NVCD2");
    PostMessageW(Item(IDOK), BM_CLICK, 0, 0);
    MessageBoxSeen replace;
    ASSERT_TRUE(trellup::test::WaitForBox(L"Information", &replace));
    EXPECT_EQ(replace.text, L"A device named NVCD2 already exists.\n\nDo you want to replace its settings ?");
    ASSERT_TRUE(trellup::test::AnswerBox(replace, IDYES));
    for (int i = 0; i < 400 && IsWindowVisible(dialog); ++i) Sleep(25);
    app.Sync();
    EXPECT_FALSE(KeyExists(L"NVCD1"));
    // DllPath names Trellup's folder, which holds the port library.
    EXPECT_EQ(_wcsicmp(RegText(L"NVCD2", L"DllPath").c_str(), trellup::test::WindowsPath(TRELLUP_PRODUCT_DIR).c_str()),
              0);
    Values renamed = nvcd1, written = AllValues(L"NVCD2");
    renamed.erase(L"DllPath");
    written.erase(L"DllPath");
    const wchar_t name[] = L"NVCD2";
    renamed[L"DeviceName"] = {REG_SZ, std::vector<BYTE>(reinterpret_cast<const BYTE*>(name),
                                                        reinterpret_cast<const BYTE*>(name) + sizeof name)};
    EXPECT_EQ(written, renamed);
    EXPECT_EQ(SelectedNode(), L"NVCD2");
}

}  // namespace
}  // namespace trellup::test
