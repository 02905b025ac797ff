// Trellup's main window: creates the real controls of frmMain's models from
// the layout table, binds them, and turns user input into the form's event
// procedures. One instance, on the utility's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "control_binder.h"
#include "log_list.h"
#include "frm_main.h"
#include "win32_shell.h"
#include "win32_util.h"

namespace trellup::win32 {

constexpr wchar_t kMainClass[] = L"TrellupMain";

// How a control follows the window's size: not at all, down to the bottom
// edge, or down to the bottom and across to the right edge.
enum class Grow { None, Down, RightDown };

// One control of the main window: its ID, kind, model (nullptr for a title)
// and place in 96-DPI pixels inside its parent (the main window, or the
// frame of ID `parent`), at the window's default size.
struct LayoutEntry {
    int id;
    ControlKind kind;
    ControlModel* model;
    int parent;
    int x, y, w, h;
    const char* title;  // text of a title; nullptr for bound controls
    Grow grow = Grow::None;
};

// What a control does when the user acts on it.
struct ControlAction {
    int id;
    std::function<void()> clicked;          // button click, picture click, check box click
    std::function<bool(int key)> key_typed;  // a typed character; true when it was taken
};

// The main window's layout and actions (main_layout.cpp).
std::vector<LayoutEntry> MainLayout(frmMain& form);
std::vector<ControlAction> MainActions(frmMain& form);
std::map<const MenuItem*, UINT> MainMenuIds(frmMain& form);
// Accessible names of controls that no title just before them names.
std::map<int, const char*> MainAccessibleNames();
// Client size of the main window in 96-DPI pixels: by default, and the
// least that shows every panel (below it the window scrolls).
SIZE MainClientSize();
SIZE MainMinimumClientSize();

class MainWindow {
public:
    MainWindow(frmMain& form, Win32Shell& shell, HINSTANCE instance);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window (hidden) and every control, bound to its model.
    bool Create();
    HWND hwnd() const { return hwnd_; }
    // Keyboard navigation between the controls, for the message loop: true
    // when the message was handled.
    bool PreTranslate(MSG* msg);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK TreeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK InputHook(int code, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void CreateImages();
    void CreateFont();
    // The accessible name of a control: its entry in `names`, or the title
    // just before it; a frame is a group named by its caption.
    static void Name(HWND control, const LayoutEntry& e, const LayoutEntry* previous,
                     const std::map<int, const char*>& names);
    int Scale(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }
    // Places every control for the window's size, DPI and scroll position.
    void Place();
    void PlaceFrame(HWND frame, int x96, int y96);
    void OnScroll(int bar, WPARAM wp);
    void OnMinMaxInfo(MINMAXINFO* info) const;
    void FitInWorkArea();
    void ShowTreeMenuAtSelection();
    void ReadingOrder();
    void MakePicturesFocusable();
    void OnCommand(HWND control, int id, UINT code);
    LRESULT OnNotify(const NMHDR* hdr);
    // Runs a user command unless another one is still running (a control
    // object that dispatches messages while it works lets clicks through).
    void RunCommand(const std::function<void()>& command);

    frmMain& form_;
    Win32Shell& shell_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND tree_ = nullptr;
    std::unique_ptr<ControlBinder> binder_;
    UniqueFont font_;
    UniqueImageList tree_images_;
    std::vector<UniqueIcon> icons_;
    std::map<int, ControlAction> actions_;
    bool running_command_ = false;
    bool close_pending_ = false;

    struct Placed {
        HWND hwnd;
        LayoutEntry entry;
        const Frame* frame;  // the entry's model when it is a frame the form moves
    };
    std::vector<Placed> placed_;
    int dpi_ = 96;
    POINT scroll_{0, 0};
    bool placing_ = false;
    std::unique_ptr<LogList> log_;
    HHOOK input_hook_ = nullptr;
    static MainWindow* hooked_;
};

}  // namespace trellup::win32
