// A form described as a table: one row per control saying everything the
// window needs to make, place, bind, name and route it. Adding a control
// means adding its model member, its ID and one row.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "control_binder.h"
#include "win32_util.h"

namespace trellup::win32 {

// How a control follows the window's size: not at all, down to the bottom
// edge, or down to the bottom and across to the right edge.
enum class Grow { None, Down, RightDown };

struct FormRow {
    int id;  // 0 for a title: titles are numbered as they are made
    ControlKind kind;
    ControlModel* model;          // nullptr for a title
    int parent;                   // ID of the frame it lies in; 0 for the form's window
    int x, y, w, h;               // 96-DPI pixels inside the parent, at the default size
    const char* title = nullptr;  // text of a title
    Grow grow = Grow::None;
    std::function<void()> clicked{};         // button, picture or check box clicked; option chosen
    std::function<void()> changed{};         // text typed or item picked
    std::function<void()> entered{};         // Enter typed in a text box, which then takes Enter itself
    std::function<void(int* key)> filter{};  // a character typed in a text box, before the box takes it:
                                             // *key may become another character, or 0 to drop it
    const char* name = nullptr;              // accessible name where no title just before the control gives it
    int icon = 0;                            // icon resource of a picture, and its size in 96-DPI pixels
    int icon_size = 0;
    bool tip_caption = false;  // a tip shows the whole caption while the model has no tip of its own
    int named_by = 0;          // ID of an earlier control whose text names it
    bool own_styles = false;   // the styles below (with WS_VISIBLE where it starts shown) in place of
                               // the kind's own
    DWORD style = 0;
    DWORD ex_style = 0;

    FormRow Click(std::function<void()> f) && {
        clicked = std::move(f);
        return std::move(*this);
    }
    FormRow Change(std::function<void()> f) && {
        changed = std::move(f);
        return std::move(*this);
    }
    FormRow Enter(std::function<void()> f) && {
        entered = std::move(f);
        return std::move(*this);
    }
    FormRow Filter(std::function<void(int*)> f) && {
        filter = std::move(f);
        return std::move(*this);
    }
    FormRow Named(const char* n) && {
        name = n;
        return std::move(*this);
    }
    FormRow Icon(int resource, int size) && {
        icon = resource;
        icon_size = size;
        return std::move(*this);
    }
    FormRow Grows(Grow g) && {
        grow = g;
        return std::move(*this);
    }
    FormRow TipCaption() && {
        tip_caption = true;
        return std::move(*this);
    }
    FormRow NamedBy(int title) && {
        named_by = title;
        return std::move(*this);
    }
    FormRow Styles(DWORD s, DWORD ex = 0) && {
        own_styles = true;
        style = s;
        ex_style = ex;
        return std::move(*this);
    }
};

using FormTable = std::vector<FormRow>;

// A title: a static text that names the value beside it.
inline FormRow Title(int parent, int x, int y, int w, const char* text) {
    return FormRow{0, ControlKind::Title, nullptr, parent, x, y + 3, w, 16, text};
}

}  // namespace trellup::win32
