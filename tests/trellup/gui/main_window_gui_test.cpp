// Trellup.exe as its own process, driven from outside by window messages:
// the tree, the selection of a cash drawer, the life-cycle commands with
// their log lines and property labels, the context menu and a missing
// control object class.
#include <gtest/gtest.h>

#include "gui_fixture.h"

namespace trellup::test {
namespace {

using trellup::test::Trellup;

constexpr COLORREF kRedPixel = RGB(255, 0, 0);

class MainWindowGui : public GuiTest {
protected:
    // The last line of the log, once it equals `expected` or after 10 s.
    std::wstring LastLogLine(const std::wstring& expected = L"") const {
        std::wstring last;
        for (int i = 0; i < 200; ++i) {
            const auto lines = app.ListItems(IDC_List1);
            last = lines.empty() ? L"" : lines.back();
            if (expected.empty() || last == expected) break;
            Sleep(50);
        }
        return last;
    }
    // The background of a value label, sampled inside its right end where
    // no text is drawn.
    COLORREF Background(int id) const {
        const RECT rc = app.ClientRect(id);
        return app.Pixel(id, rc.right - rc.left - 4, (rc.bottom - rc.top) / 2);
    }
};

TEST_F(MainWindowGui, ShowsTheTreeOfThePreparedRegistry) {
    PrepareOposArea();
    WriteDeviceKey(L"Scale", L"S1", L"Other.Scale");
    Start();
    wchar_t caption[64] = {};
    GetWindowTextW(app.main(), caption, 64);
    EXPECT_STREQ(caption, L"Trellup v1.0.0");

    struct Item {
        const wchar_t* text;
        int level, image, selected;
    };
    const Item expected[] = {
        {L"CashDrawer", 0, 0, 3}, {L"NVCD1", 1, 0, 3},    {L"LineDisplay", 0, 1, 4}, {L"BenchDisplay", 1, 1, 4},
        {L"MSR", 0, 6, 7},        {L"BenchMSR", 1, 6, 7}, {L"POSPrinter", 0, 2, 5},  {L"BenchPrinter", 1, 2, 5},
        {L"Scale", 0, 8, 8},      {L"S1", 1, 8, 8},
    };
    const auto tree = app.Tree(IDC_TreeView1);
    ASSERT_EQ(tree.size(), std::size(expected));
    for (size_t i = 0; i < tree.size(); ++i) {
        EXPECT_EQ(tree[i].text, expected[i].text);
        EXPECT_EQ(tree[i].level, expected[i].level) << i;
        EXPECT_EQ(tree[i].image, expected[i].image) << i;
        EXPECT_EQ(tree[i].selected_image, expected[i].selected) << i;
    }
    // The first class is selected and handled as a class click.
    EXPECT_EQ(app.SelectedTreeItem(IDC_TreeView1), tree[0].item);
    EXPECT_FALSE(app.Enabled(IDC_cmdOpen));
    EXPECT_FALSE(app.Visible(IDC_frameCashDrawer));
    EXPECT_EQ(app.ToolTip(IDC_Image1), L"Create Cash Drawer Device");
    EXPECT_EQ(app.ToolTip(IDC_List1), L"Result Information");
    Shot("main-start");
}

TEST_F(MainWindowGui, SelectingADrawerShowsItsEntryAndPanel) {
    PrepareOposArea();
    Start();
    SelectDevice(L"CashDrawer", L"NVCD1");
    EXPECT_EQ(app.Text(IDC_lblDeviceName), L"NVCD1");
    EXPECT_EQ(app.Text(IDC_lblSOName), L"Norvane.CashDrawer.1");
    EXPECT_EQ(app.Text(IDC_lblSODescription), L"Kestrix cash drawer");
    EXPECT_EQ(app.Text(IDC_lblPulseOnTime), L"100");
    EXPECT_EQ(app.Text(IDC_lblTimeout), L"1000");
    EXPECT_EQ(app.Text(IDC_lblOpenStatusPhase), L"Low");
    ASSERT_TRUE(app.Visible(IDC_frameCashDrawer));
    const RECT frame = app.ClientRect(IDC_frameCashDrawer);
    EXPECT_EQ(frame.left, 176);
    EXPECT_EQ(frame.top, 288);
    EXPECT_FALSE(app.Visible(IDC_frameMSR));
    EXPECT_EQ(app.ListItems(IDC_List1), std::vector<std::wstring>{L"Cash Drawer ========================"});
    // User mode: only Open, and the panel waits for an open device.
    EXPECT_TRUE(app.Enabled(IDC_cmdOpen));
    EXPECT_FALSE(app.Enabled(IDC_cmdClaim));
    EXPECT_FALSE(app.Enabled(IDC_cmdFire));
    Shot("main-drawer-selected");
}

TEST_F(MainWindowGui, LifeCycleCommandsLogAndRefreshTheProperties) {
    PrepareOposArea();
    Start();
    SelectDevice(L"CashDrawer", L"NVCD1");

    app.Click(IDC_cmdOpen);
    EXPECT_EQ(LastLogLine(L"Open : [0] Success"), L"Open : [0] Success");
    EXPECT_EQ(app.Text(IDC_OpenResult), L"0");
    EXPECT_EQ(app.Text(IDC_State), L"2");
    EXPECT_EQ(app.Text(IDC_Claimed), L"False");
    EXPECT_EQ(app.Text(IDC_SODescription1).empty(), false);
    // Red values say in their tips that they changed.
    EXPECT_EQ(app.ToolTip(IDC_State), L"Device idle (changed)");
    EXPECT_EQ(app.ToolTip(IDC_OpenResult), L"Success (changed)");
    EXPECT_EQ(app.ToolTip(IDC_Claimed), L"Changed");
    EXPECT_EQ(Background(IDC_State), kRedPixel);  // emptied by the selection, so changed
    EXPECT_FALSE(app.Enabled(IDC_cmdOpen));
    EXPECT_TRUE(app.Enabled(IDC_cmdClaim));
    EXPECT_TRUE(app.Enabled(IDC_cmdFire));

    app.Click(IDC_cmdClaim);
    EXPECT_EQ(LastLogLine(L"Claim : [0] Success"), L"Claim : [0] Success");
    EXPECT_EQ(app.Text(IDC_Claimed), L"True");
    EXPECT_EQ(Background(IDC_Claimed), kRedPixel);
    EXPECT_EQ(Background(IDC_OpenResult), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(app.ToolTip(IDC_OpenResult), L"Success");
    EXPECT_TRUE(app.Enabled(IDC_cmdRelease));
    EXPECT_FALSE(app.Enabled(IDC_cmdClaim));

    const size_t lines = app.ListItems(IDC_List1).size();
    app.Click(IDC_cmdEnable);
    EXPECT_EQ(app.Text(IDC_DeviceEnabled), L"True");
    app.Click(IDC_cmdEventOn);
    EXPECT_EQ(app.Text(IDC_FreezeEvents), L"True");
    app.Click(IDC_cmdEventOn);
    EXPECT_EQ(app.Text(IDC_FreezeEvents), L"False");
    EXPECT_EQ(app.ListItems(IDC_List1).size(), lines);  // the toggles log nothing
    Shot("main-drawer-enabled");

    app.Click(IDC_cmdEnable);
    app.Click(IDC_cmdRelease);
    EXPECT_EQ(LastLogLine(L"Release : [0] Success"), L"Release : [0] Success");
    app.Click(IDC_cmdClose);
    EXPECT_EQ(LastLogLine(L"Close : [0] Success"), L"Close : [0] Success");
    EXPECT_EQ(app.Text(IDC_State), L"1");
    EXPECT_EQ(app.ToolTip(IDC_State), L"Device closed (changed)");
    EXPECT_TRUE(app.Enabled(IDC_cmdOpen));
    EXPECT_FALSE(app.Enabled(IDC_cmdClose));
    EXPECT_EQ(app.ListIndex(IDC_List1), static_cast<int>(app.ListItems(IDC_List1).size()) - 1);
}

TEST_F(MainWindowGui, ClassMenuRescanFromTheKeyboard) {
    PrepareOposArea();
    Start();
    WriteDeviceKey(L"CashDrawer", L"NVCD9", L"Norvane.CashDrawer.1");
    ASSERT_TRUE(app.RightClickTreeSpace(IDC_TreeView1));
    Sleep(500);
    // The class menu: Create New Device, a separator, Rescan.
    Trellup::PressKeys({VK_UP, VK_RETURN});
    app.Sync();
    EXPECT_NE(app.FindTreeItem(IDC_TreeView1, L"CashDrawer", L"NVCD9"), nullptr);
}

TEST_F(MainWindowGui, MissingControlObjectClassIsLoggedAndTheWindowKeepsRunning) {
    PrepareOposArea();
    const CLSID line_display = {0xCCB90102, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}};
    UnregisterControlObject(line_display);
    Start();
    RegisterBench();
    const auto log = app.ListItems(IDC_List1);
    ASSERT_FALSE(log.empty());
    // The 64-bit program adds where 32-bit-only control objects can be used.
    EXPECT_EQ(log[0], std::wstring(L"LineDisplay control object not available (0x80040154)") +
                          (sizeof(void*) == 8 ? L" : this is the 64-bit Trellup, and the installed control objects "
                                                L"may be 32-bit only; use the 32-bit Trellup"
                                              : L""));
    ASSERT_NO_FATAL_FAILURE(SelectDevice(L"LineDisplay", L"BenchDisplay"));
    app.Click(IDC_cmdOpen);
    EXPECT_EQ(LastLogLine(L"Open : call failed (0x80040154)"), L"Open : call failed (0x80040154)");
    // The cash drawer still works.
    SelectDevice(L"CashDrawer", L"NVCD1");
    app.Click(IDC_cmdOpen);
    EXPECT_EQ(LastLogLine(L"Open : [0] Success"), L"Open : [0] Success");
}

}  // namespace
}  // namespace trellup::test
