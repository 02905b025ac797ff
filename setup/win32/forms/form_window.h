// A form's controls made from its table inside a window (the main window or
// a dialog), bound to their models, named for screen readers, and user
// input on them turned into the rows' actions. Utility thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <vector>

#include "form_table.h"
#include "win32_util.h"

namespace trellup::win32 {

class FormWindow {
public:
    // Runs one of the form's actions: the caller may refuse it (another
    // command still running) or guard it.
    using Runner = std::function<void(const std::function<void()>& action)>;
    // Called for each control once it is made, before it is bound.
    using Made = std::function<void(const FormRow& row, HWND control)>;

    FormWindow(HINSTANCE instance, ControlBinder& binder, Runner run);
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // Makes every control of `table` inside `window`, in table order (the
    // Tab order), at its place scaled by `scale` and with `font`.
    void Create(HWND window, FormTable table, const std::function<int(int)>& scale, HFONT font,
                const Made& made = nullptr);

    struct Placed {
        HWND hwnd;
        const FormRow* row;
    };
    const std::vector<Placed>& placed() const { return placed_; }
    // The row of a control other than a title, or nullptr.
    const FormRow* RowOf(int id) const;
    HWND WindowOf(int id) const;

    // A WM_COMMAND the form's window received from `control` (or, from the
    // dialog manager's Enter and Escape, from no window).
    void OnCommand(HWND control, int id, UINT code);

private:
    void Name(HWND control, const FormRow& row, const FormRow* previous) const;
    LRESULT OnBoxMessage(HWND box, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnPictureMessage(HWND picture, UINT msg, WPARAM wp, LPARAM lp);

    HINSTANCE instance_;
    ControlBinder& binder_;
    Runner run_;
    FormTable table_;
    std::vector<Placed> placed_;
    std::map<int, size_t> by_id_;  // into table_
    std::vector<UniqueIcon> icons_;
};

}  // namespace trellup::win32
