// The layout of Trellup.exe at 96 DPI, pinned: every child window of the
// main window (frames' controls too) and of the property dialog in create
// mode, in Z (Tab) order, with its ID, class, styles and rectangle in its
// top-level window's client area, against the rows of layout_96dpi.txt.
//
// Visibility and enabled state follow the shown panel and the device's
// state, which other tests pin; they are left out of the styles here.
//
// To regenerate the table, run the test with TRELLUP_LAYOUT_WRITE set to a
// (Unix) file name: it writes the rows it sees there instead of comparing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui_fixture.h"

namespace trellup::test {
namespace {

constexpr DWORD kStateBits = WS_VISIBLE | WS_DISABLED;

std::string Row(const char* form, HWND top, HWND parent, HWND hwnd) {
    char cls[128] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    RECT rc;
    if (hwnd == top) {
        GetClientRect(hwnd, &rc);  // the top-level window itself: its client size
    } else {
        GetWindowRect(hwnd, &rc);
        MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rc), 2);
    }
    char row[512];
    std::snprintf(row, sizeof row, "%s %d %d %s %08lx %08lx %ld %ld %ld %ld", form,
                  parent == nullptr ? 0 : GetDlgCtrlID(parent), hwnd == top ? 0 : GetDlgCtrlID(hwnd), cls,
                  static_cast<unsigned long>(GetWindowLongW(hwnd, GWL_STYLE) & ~kStateBits),
                  static_cast<unsigned long>(GetWindowLongW(hwnd, GWL_EXSTYLE)), rc.left, rc.top, rc.right, rc.bottom);
    return row;
}

// The window, then each child and its children, in Z order.
void Walk(const char* form, HWND top, HWND parent, std::vector<std::string>* rows) {
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        rows->push_back(Row(form, top, parent == top ? nullptr : parent, c));
        Walk(form, top, c, rows);
    }
}

std::vector<std::string> Layout(const char* form, HWND top) {
    std::vector<std::string> rows{Row(form, top, nullptr, top)};
    Walk(form, top, top, &rows);
    return rows;
}

// The visible dialog owned by `owner`, or null after 20 s.
HWND WaitForOwnedDialog(HWND owner) {
    for (int i = 0; i < 400; ++i) {
        for (HWND h = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); h != nullptr;
             h = FindWindowExW(nullptr, h, L"#32770", nullptr)) {
            if (GetWindow(h, GW_OWNER) == owner && IsWindowVisible(h)) return h;
        }
        Sleep(50);
    }
    return nullptr;
}

std::vector<std::string> ExpectedRows() {
    std::vector<std::string> rows;
    FILE* file = _wfopen(WindowsPath(TRELLUP_LAYOUT_TABLE).c_str(), L"r");
    if (file == nullptr) return rows;
    char line[512];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        std::string row(line);
        while (!row.empty() && (row.back() == '\n' || row.back() == '\r')) row.pop_back();
        if (!row.empty() && row[0] != '#') rows.push_back(row);
    }
    std::fclose(file);
    return rows;
}

class LayoutGui : public GuiTest {};

TEST_F(LayoutGui, EveryControlKeepsItsIdClassStylesAndPlace) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 96);

    PrepareOposArea();
    ASSERT_NO_FATAL_FAILURE(Start());
    std::vector<std::string> rows = Layout("main", app.main());

    app.PostClick(IDC_Image1);
    HWND dialog = WaitForOwnedDialog(app.main());
    ASSERT_NE(dialog, nullptr);
    app.Sync();
    // OK is the dialog's default button, also while Cancel has the focus
    // (and is drawn as the default), and is drawn so again once it is left.
    const auto type = [dialog](int id) { return GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & BS_TYPEMASK; };
    for (int focus : {0, IDCANCEL, IDC_txtDeviceName}) {
        if (focus != 0) SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, focus)), TRUE);
        EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID)) << focus;
        EXPECT_EQ(type(IDOK), focus == IDCANCEL ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON) << focus;
        EXPECT_EQ(type(IDCANCEL), focus == IDCANCEL ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) << focus;
    }
    for (const std::string& row : Layout("setting", dialog)) rows.push_back(row);
    PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);

    if (const char* out = std::getenv("TRELLUP_LAYOUT_WRITE")) {
        FILE* file = _wfopen(WindowsPath(out).c_str(), L"w");
        ASSERT_NE(file, nullptr) << out;
        std::fputs(
            "# form parent-id id class style ex-style left top right bottom: 96 DPI, in the top-level\n"
            "# client area, styles without WS_VISIBLE and WS_DISABLED; a form's first row is its window\n"
            "# with its client size\n",
            file);
        for (const std::string& row : rows) std::fprintf(file, "%s\n", row.c_str());
        std::fclose(file);
        GTEST_SKIP() << "rows written to " << out;
    }
    const std::vector<std::string> expected = ExpectedRows();
    ASSERT_FALSE(expected.empty()) << TRELLUP_LAYOUT_TABLE;
    for (size_t i = 0; i < rows.size() && i < expected.size(); ++i) EXPECT_EQ(rows[i], expected[i]) << "row " << i;
    EXPECT_EQ(rows.size(), expected.size());
}

}  // namespace
}  // namespace trellup::test
