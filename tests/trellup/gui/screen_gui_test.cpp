// Trellup's window on the screens of real terminals: inside the work area,
// the log taking what is left, every panel shown, at the DPIs such a screen
// is run at. The screen is the one the test runs on (see CMakeLists.txt);
// the DPI is set in the prefix for each Trellup.exe started.
#include <gtest/gtest.h>

#include <string>

#include "gui_fixture.h"

namespace trellup::test {
namespace {

// Sets the DPI that Wine gives the processes started from now on; puts the
// previous value back at the end.
class ScopedDpi {
public:
    explicit ScopedDpi(DWORD dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~ScopedDpi() {
        if (had_) {
            RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        } else {
            RegDeleteValueW(key_, L"LogPixels");
        }
        RegCloseKey(key_);
    }
    ScopedDpi(const ScopedDpi&) = delete;
    ScopedDpi& operator=(const ScopedDpi&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD old_ = 96;
    bool had_ = false;
};

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class ScreenGui : public GuiTest {};

TEST_F(ScreenGui, TheWindowFitsTheWorkAreaAndTheLogTakesTheRest) {
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    // The DPIs each screen is run at.
    const struct {
        int cx, cy;
        std::vector<DWORD> dpis;
    } screens[] = {{1280, 1024, {96}}, {1024, 768, {96}}, {1366, 768, {120, 144}}};
    const std::vector<DWORD>* dpis = nullptr;
    for (const auto& s : screens) {
        if (s.cx == cx && s.cy == cy) dpis = &s.dpis;
    }
    ASSERT_NE(dpis, nullptr) << "a screen of " << cx << "x" << cy;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

    PrepareOposArea();
    for (DWORD dpi : *dpis) {
        SCOPED_TRACE(dpi);
        ScopedDpi scoped(dpi);
        Start();
        SelectDevice(L"CashDrawer", L"NVCD1");
        RECT window{};
        GetWindowRect(app.main(), &window);
        EXPECT_TRUE(Inside(window, work))
            << window.left << "," << window.top << " " << window.right << "," << window.bottom;
        RECT client{};
        GetClientRect(app.main(), &client);
        const auto scaled = [dpi](int px) { return MulDiv(px, static_cast<int>(dpi), 96); };
        const RECT log = app.ClientRect(IDC_List1);
        if (dpi == 96) {
            // Nothing scrolls: every frame whole in the client area, the log to
            // its right and bottom edges, the frames where they always were.
            for (int id : {IDC_Frame1, IDC_Frame2, IDC_frameCashDrawer, IDC_TreeView1, IDC_List1}) {
                EXPECT_TRUE(Inside(app.ClientRect(id), client)) << id;
            }
            EXPECT_EQ(log.right, client.right - 8);
            EXPECT_EQ(log.bottom, client.bottom - 8);
            EXPECT_EQ(app.ClientRect(IDC_frameCashDrawer).left, 176);
            EXPECT_EQ(app.ClientRect(IDC_Frame1).left, 596);
            if (cx == 1280) {
                EXPECT_EQ(client.right, 1096);  // the default size, where it fits
                EXPECT_EQ(client.bottom, 620);
            }
        } else {
            // The log keeps its place beside the common frame, at this DPI.
            EXPECT_EQ(log.left, scaled(864) - GetScrollPos(app.main(), SB_HORZ));
            EXPECT_GE(log.right - log.left, scaled(40));
        }
        Shot(("screen-" + std::to_string(cx) + "x" + std::to_string(cy) + "-" + std::to_string(dpi)).c_str());
        // Smaller by the mouse: never below what shows every panel (or the
        // work area), and maximised it fills the work area.
        SetWindowPos(app.main(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        app.Sync();
        GetClientRect(app.main(), &client);
        RECT shrunk{};
        GetWindowRect(app.main(), &shrunk);
        EXPECT_TRUE(client.right >= scaled(992) || shrunk.right - shrunk.left >= work.right - work.left - 1);
        ShowWindow(app.main(), SW_MAXIMIZE);
        app.Sync();
        EXPECT_TRUE(IsZoomed(app.main()));
        ASSERT_TRUE(app.Close());
    }
}

}  // namespace
}  // namespace trellup::test
