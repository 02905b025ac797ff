// Trellup's main window: creates the real controls of frmMain's models from
// its form table, binds them, and turns user input into the form's event
// procedures. One instance, on the utility's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "command_runner.h"
#include "control_binder.h"
#include "common/win32/window_base.h"
#include "form_window.h"
#include "log_list.h"
#include "forms/main/frm_main.h"
#include "win32_shell.h"
#include "win32_util.h"

namespace trellup::win32 {

constexpr wchar_t kMainClass[] = L"TrellupMain";

// The main window's controls (main_form.cpp).
FormTable MainForm(frmMain& form);
std::map<const MenuItem*, UINT> MainMenuIds(frmMain& form);
// Client size of the main window in 96-DPI pixels: by default, and the
// least that shows every panel (below it the window scrolls).
SIZE MainClientSize();
SIZE MainMinimumClientSize();

class MainWindow : public common::win32::WindowBase<MainWindow> {
public:
    MainWindow(frmMain& form, Win32Shell& shell, HINSTANCE instance);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window (hidden) and every control, bound to its model.
    bool Create();
    // Keyboard navigation between the controls, for the message loop: true
    // when the message was handled.
    bool PreTranslate(MSG* msg);

private:
    friend class common::win32::WindowBase<MainWindow>;
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnTreeMessage(HWND tree, UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void CreateImages();
    void CreateFont();
    int Scale(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }
    // Places every control for the window's size, DPI and scroll position.
    void Place();
    void PlaceFrame(HWND frame, int x96, int y96);
    void OnScroll(int bar, WPARAM wp);
    void OnMinMaxInfo(MINMAXINFO* info) const;
    void FitInWorkArea();
    void ShowTreeMenuAtSelection();
    void ReadingOrder();
    LRESULT OnNotify(const NMHDR* hdr);

    frmMain& form_;
    Win32Shell& shell_;
    HINSTANCE instance_;
    HWND tooltip_ = nullptr;
    HWND tree_ = nullptr;
    std::unique_ptr<ControlBinder> binder_;
    std::unique_ptr<FormWindow> controls_;
    UniqueFont font_;
    UniqueImageList tree_images_;

    int dpi_ = 96;
    POINT scroll_{0, 0};
    bool placing_ = false;
    std::unique_ptr<LogList> log_;
    std::unique_ptr<CommandRunner> runner_;  // runs the user's commands one at a time
};

}  // namespace trellup::win32
