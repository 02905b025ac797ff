// Trellup as a technician at a terminal meets it: the tree's menu and the
// Tab order by keyboard, the log's width, copy and save, and input during a
// call that takes its time.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "gui_fixture.h"

namespace trellup::test {
namespace {

using trellup::test::Trellup;

// The file name box of the system's save dialog: the edit control of its
// "cmb13" (0x47c), into `*found`.
BOOL CALLBACK FindFileNameBox(HWND h, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(h, cls, 16);
    if (GetDlgCtrlID(h) != 0x47c || _wcsicmp(cls, L"Edit") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
}

class TerminalGui : public GuiTest {
protected:
    HWND Focus() const {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        const DWORD thread = GetWindowThreadProcessId(app.main(), nullptr);
        return GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;
    }
    // Presses `key` with the modifiers in `held` held down.
    static void Chord(const std::vector<WORD>& held, WORD key) {
        std::vector<INPUT> in;
        auto add = [&in](WORD k, DWORD flags) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = k;
            i.ki.dwFlags = flags;
            in.push_back(i);
        };
        for (WORD h : held) add(h, 0);
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
        for (WORD h : held) add(h, KEYEVENTF_KEYUP);
        SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
        Sleep(300);
    }
    // Opens the log's context menu as the keyboard does and chooses entry
    // `index` (from 1): Copy, Copy All, Save As..., Clear.
    void LogMenu(int index) {
        PostMessageW(app.Control(IDC_List1), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(app.Control(IDC_List1)), -1);
        Sleep(500);
        std::vector<WORD> keys(static_cast<size_t>(index), VK_DOWN);
        keys.push_back(VK_RETURN);
        Trellup::PressKeys(keys);
        app.Sync();
    }
    static std::wstring ClipboardText() {
        std::wstring text;
        for (int i = 0; i < 50 && !OpenClipboard(nullptr); ++i) Sleep(100);
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
                text = p;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        return text;
    }
};

TEST_F(TerminalGui, AppsKeyAndShiftF10OpenTheMenuOfTheSelectedDevice) {
    PrepareOposArea();
    Start();
    const struct {
        const char* name;
        std::vector<WORD> held;
        WORD key;
    } cases[] = {{"Apps", {}, VK_APPS}, {"Shift+F10", {VK_SHIFT}, VK_F10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SelectDevice(L"CashDrawer", L"NVCD1");  // the click gives the tree the focus
        ASSERT_EQ(Focus(), app.Control(IDC_TreeView1));
        Chord(c.held, c.key);
        Trellup::PressKeys({VK_DOWN, VK_RETURN});  // the device menu's first entry
        trellup::test::MessageBoxSeen box;
        ASSERT_TRUE(trellup::test::WaitForBox(L"CashDrawer CheckHealth Internal", &box));
        EXPECT_EQ(box.text.rfind(L"Device Name  : NVCD1", 0), 0u) << box.text;
        ASSERT_TRUE(trellup::test::AnswerBox(box, IDOK));
    }
}

TEST_F(TerminalGui, TabVisitsTheEnabledControlsInReadingOrder) {
    PrepareOposArea();
    Start();
    app.Click(IDC_chkUserMode);  // off: a device click enables its panel and every button
    SelectDevice(L"CashDrawer", L"NVCD1");
    const int order[] = {IDC_chkUserMode,      IDC_chkClearLog, IDC_Image1,   IDC_Image2,
                         IDC_Image3,           IDC_Image4,      IDC_cmdFire,  IDC_cmdWaitCashDrawerClose,
                         IDC_cmdCashDrawerCap, IDC_cmdOpen,     IDC_cmdClaim, IDC_cmdEnable,
                         IDC_cmdEventOn,       IDC_cmdRelease,  IDC_cmdClose, IDC_List1,
                         IDC_TreeView1};
    ASSERT_EQ(Focus(), app.Control(IDC_TreeView1));
    for (int id : order) {
        Trellup::PressKeys({VK_TAB});
        app.Sync();
        EXPECT_EQ(GetDlgCtrlID(Focus()), id);
        if (id == IDC_Image1) Shot("keyboard-picture-focus");
    }
    // On a picture, Space and Enter click it: Image1 opens the create dialog.
    for (WORD key : {VK_SPACE, VK_RETURN}) {
        for (int i = 0; i < 20 && GetDlgCtrlID(Focus()) != IDC_Image1; ++i) {
            Trellup::PressKeys({VK_TAB});
            app.Sync();
        }
        ASSERT_EQ(GetDlgCtrlID(Focus()), IDC_Image1);
        Trellup::PressKeys({key});
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && dialog == nullptr; ++i, Sleep(50)) {
            HWND popup = GetLastActivePopup(app.main());
            if (popup != app.main() && IsWindowVisible(popup)) dialog = popup;
        }
        ASSERT_NE(dialog, nullptr) << key;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 200 && IsWindowVisible(dialog); ++i) Sleep(50);
        app.Sync();
    }
}

TEST_F(TerminalGui, TheLogShowsLongLinesWholeCopiesAndSaves) {
    PrepareOposArea();
    Start();
    SelectDevice(L"CashDrawer", L"NVCD1");
    app.Click(IDC_cmdOpen);
    ASSERT_TRUE(WaitForLogLine(L"Open : [0] Success"));
    const std::vector<std::wstring> lines = {L"Cash Drawer ========================", L"Open : [0] Success"};
    ASSERT_EQ(app.ListItems(IDC_List1), lines);

    // The longest line fits the horizontal extent, wider than the list.
    HWND list = app.Control(IDC_List1);
    // At its least width the log is narrower than the line.
    SetWindowPos(app.main(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    app.Sync();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE text{};
    GetTextExtentPoint32W(dc, lines[0].c_str(), static_cast<int>(lines[0].size()), &text);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    RECT client{};
    GetClientRect(list, &client);
    const LRESULT extent = SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GE(extent, text.cx);
    EXPECT_GT(extent, client.right);
    SendMessageW(list, WM_HSCROLL, SB_RIGHT, 0);
    app.Sync();
    Shot("log-scrolled-right");
    SendMessageW(list, WM_HSCROLL, SB_LEFT, 0);

    // Ctrl+C copies the selected line; cut-off descriptions show whole in their tips.
    HWND first = app.Control(IDC_List1);
    PostMessageW(first, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    PostMessageW(first, WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    app.Sync();
    Chord({VK_CONTROL}, 'C');
    EXPECT_EQ(ClipboardText(), L"Cash Drawer ========================\r\n");
    EXPECT_FALSE(app.Text(IDC_CODescription).empty());
    EXPECT_EQ(app.ToolTip(IDC_CODescription), app.Text(IDC_CODescription));
    EXPECT_EQ(app.ToolTip(IDC_lblSODescription), L"Kestrix cash drawer");

    LogMenu(2);  // Copy All
    EXPECT_EQ(ClipboardText(), L"Cash Drawer ========================\r\nOpen : [0] Success\r\n");

    const std::string unix_path = std::string(TRELLUP_SCREENSHOT_DIR) + "/../trellup-log.txt";
    const std::wstring path = trellup::test::WindowsPath(unix_path);
    DeleteFileW(path.c_str());
    LogMenu(3);  // Save As...
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && dialog == nullptr; ++i, Sleep(50)) dialog = FindWindowW(L"#32770", L"Save As");
    ASSERT_NE(dialog, nullptr);
    Sleep(300);
    HWND name = nullptr;
    EnumChildWindows(dialog, FindFileNameBox, reinterpret_cast<LPARAM>(&name));
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    std::string saved;
    for (int i = 0; i < 200 && saved.empty(); ++i, Sleep(50)) {
        std::ifstream in(unix_path, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        saved = all.str();
    }
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[32];
    snprintf(date, sizeof date, "Date: %04d-%02d-%02d\r\n", today.wYear, today.wMonth, today.wDay);
    const std::regex expected(std::string("Device: NVCD1\r\nTrellup v1\\.0\\.0 \\(") +
                              (sizeof(void*) == 8 ? "64" : "32") + "-bit\\)\r\n" + date +
                              "\r\n"
                              "\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d Cash Drawer ========================\r\n"
                              "\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d Open : \\[0\\] Success\r\n");
    EXPECT_TRUE(std::regex_match(saved, expected)) << saved;
    EXPECT_EQ(app.ListItems(IDC_List1), lines);  // no times in the list itself

    LogMenu(4);  // Clear
    EXPECT_TRUE(app.ListItems(IDC_List1).empty());
}

TEST_F(TerminalGui, InputDuringASlowCallChangesNothing) {
    PrepareOposArea();
    SetEnvironmentVariableW(L"OPOS_BENCH_SLOW_OPEN_MS", L"3000");
    Start();
    SetEnvironmentVariableW(L"OPOS_BENCH_SLOW_OPEN_MS", nullptr);
    SelectDevice(L"CashDrawer", L"NVCD1");
    HTREEITEM drawer = app.SelectedTreeItem(IDC_TreeView1);
    app.PostClick(IDC_cmdOpen);
    Sleep(800);  // Open is running and dispatching messages now
    // A click on another device and one on a check box, as the mouse sends them.
    HWND tree = app.Control(IDC_TreeView1);
    HTREEITEM display = app.FindTreeItem(IDC_TreeView1, L"LineDisplay", L"BenchDisplay");
    ASSERT_NE(display, nullptr);
    const auto items = app.Tree(IDC_TreeView1);
    int row = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].item == display) row = static_cast<int>(i);
    }
    // Rows are as high as the tree says; the click lands inside the label.
    const int height = static_cast<int>(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
    const LPARAM where = MAKELPARAM(40, row * height + height / 2);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(tree, WM_LBUTTONUP, 0, where);
    HWND check = app.Control(IDC_chkClearLog);
    PostMessageW(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(check, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Shot("input-during-slow-call");

    ASSERT_TRUE(WaitForLogLine(L"Open : [0] Success"));
    EXPECT_EQ(app.SelectedTreeItem(IDC_TreeView1), drawer);
    EXPECT_EQ(app.Text(IDC_lblDeviceName), L"NVCD1");
    EXPECT_TRUE(app.Visible(IDC_frameCashDrawer));
    EXPECT_FALSE(app.Visible(IDC_frameLineDisplay));
    EXPECT_TRUE(Checked(IDC_chkClearLog));
    EXPECT_EQ(app.ListItems(IDC_List1),
              (std::vector<std::wstring>{L"Cash Drawer ========================", L"Open : [0] Success"}));
    // Afterwards the window takes input again.
    app.Click(IDC_cmdClaim);
    EXPECT_TRUE(WaitForLogLine(L"Claim : [0] Success"));
}

TEST_F(TerminalGui, ScreenReadersHearTheTitleOfEveryBoxAndValue) {
    PrepareOposArea();
    Start();
    const struct {
        int id;
        const wchar_t* name;
        long role;  // 0: the control's own
    } cases[] = {
        {IDC_TreeView1, L"Devices", 0},
        {IDC_List1, L"Result Information", 0},
        {IDC_lblSOName, L"SO Name", 0},
        {IDC_lblSODescription, L"Description", 0},
        {IDC_lblDeviceName, L"Device Name", 0},
        {IDC_lblDeviceDescription, L"Description", 0},
        {IDC_SODescription1, L"SO Description", 0},
        {IDC_SOVersion1, L"SO Version", 0},
        {IDC_COVersion, L"CO Version", 0},
        {IDC_ResultCodeExtended, L"ResultCodeExtended", 0},
        {IDC_State, L"State", 0},
        {IDC_lblPulseOnTime, L"Pulse On Time", 0},
        {IDC_DrawerOpened, L"DrawerOpened", 0},
        {IDC_txtDisplayText, L"Display Text", 0},
        {IDC_cmbDisplayType, L"Display Type", 0},
        {IDC_cmbScrollText, L"Scroll Direction", 0},
        {IDC_txtScrollUnits, L"Units", 0},
        {IDC_txtBlinkRate, L"Blink Rate(ms)", 0},
        {IDC_txtCursorColumn, L"Cursor Column", 0},
        {IDC_txtCursorRow, L"Cursor Row", 0},
        {IDC_txtDeviceBrightness, L"Brightness", 0},
        {IDC_DeviceRows, L"Device Rows", 0},
        {IDC_Track1, L"Track 1 Data", 0},
        {IDC_lblAutoDisable, L"AutoDisable", 0},
        {IDC_Frame1, L"OPOS Common Properties", ROLE_SYSTEM_GROUPING},
        {IDC_Frame2, L"SO Information  (Registry Information)", ROLE_SYSTEM_GROUPING},
        {IDC_frameLineDisplay, L"Line Display", ROLE_SYSTEM_GROUPING},
    };
    for (const auto& c : cases) {
        long role = -1;
        EXPECT_EQ(trellup::test::AccessibleName(app.Control(c.id), &role), c.name) << c.id;
        if (c.role != 0) {
            EXPECT_EQ(role, c.role) << c.id;
        }
    }
    // A value label tells its value under its name.
    SelectDevice(L"CashDrawer", L"NVCD1");
    std::wstring value = L"<unset>";
    EXPECT_EQ(trellup::test::AccessibleName(app.Control(IDC_lblDeviceName), nullptr, &value), L"Device Name");
    EXPECT_EQ(value, L"NVCD1");
}

}  // namespace
}  // namespace trellup::test
