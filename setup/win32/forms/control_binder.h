// Keeps control models and real controls in step. A change of a bound model
// reaches its control at once; user input is written back into the model by
// TakeInput before the form's event procedure runs. Utility thread only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <set>
#include <vector>

#include "controls/control_model.h"
#include "controls/tree_view_model.h"
#include "win32_util.h"

namespace trellup::win32 {

enum class ControlKind {
    Title,  // a static text no one changes, or a window whose caption alone is bound
    Label,  // a value label: coloured background, tool tip, notifies clicks
    Button,
    CheckBox,
    OptionButton,
    TextBox,
    ComboBox,  // editable drop-down
    ListBox,
    Frame,
    Picture,
    TreeView,
};

class ControlBinder : public ModelObserver {
public:
    // `tooltip` is the tool tip control that shows every control's tip.
    explicit ControlBinder(HWND tooltip) : tooltip_(tooltip) {}
    ~ControlBinder();
    ControlBinder(const ControlBinder&) = delete;
    ControlBinder& operator=(const ControlBinder&) = delete;

    // Binds `model` to `hwnd` and shows the model's state on the control.
    // `frame` is the model of the frame the control lies in, or nullptr: a
    // control is enabled on screen only while its frame is too.
    void Bind(ControlModel& model, HWND hwnd, ControlKind kind, const ControlModel* frame);

    // A label whose text may be cut off: while its model has no tool tip of
    // its own, the tip shows the whole caption.
    void TipWithCaption(const ControlModel& model);

    // Moves a frame to a place the form gives in 96-DPI pixels; by default
    // scaled to the system DPI.
    void SetPlacer(std::function<void(HWND, int x, int y)> placer) { placer_ = std::move(placer); }

    // Enables or disables a window bound as a title (a form's window) when
    // its model says so; by default EnableWindow alone.
    void SetWindowEnabler(std::function<void(HWND, bool enabled)> enabler) { window_enabler_ = std::move(enabler); }

    HWND WindowOf(const ControlModel& model) const;
    ControlModel* ModelOf(HWND hwnd) const;

    // True while the binder itself writes to a control: the notifications
    // that the write causes are not user input.
    bool Writing() const { return writing_ > 0; }

    // Reads the user's input from `hwnd` into its model (text, check state,
    // selected index); returns the model, or nullptr when `hwnd` is not
    // bound. `code` is the notification that reported the input.
    ControlModel* TakeInput(HWND hwnd, UINT code);

    // The background brush of a bound label or text box, with `dc` set up
    // for it; nullptr for any other control.
    HBRUSH Background(HWND hwnd, HDC dc);

    // Tree items and nodes of the bound tree.
    int NodeOf(HTREEITEM item) const;
    HTREEITEM ItemOf(int node) const;

    void OnModelChanged(ControlModel& model, Prop what, int index) override;

private:
    struct Binding {
        ControlModel* model;
        HWND hwnd;
        ControlKind kind;
        const ControlModel* frame;
    };
    class WriteScope;

    const Binding* Find(const ControlModel& model) const;
    void ShowAll(const Binding& b);
    void ShowEnabled(const Binding& b);
    void ShowToolTip(const Binding& b);
    void ShowItems(const Binding& b);
    void AddTreeItem(const Binding& b, int node);
    HBRUSH BrushFor(Colour colour);

    HWND tooltip_;
    std::vector<Binding> bindings_;
    std::map<const ControlModel*, size_t> by_model_;
    std::map<HWND, size_t> by_window_;
    std::vector<HTREEITEM> tree_items_;  // by node of the bound tree
    std::map<Colour, UniqueBrush> brushes_;
    std::map<HWND, bool> has_tool_;
    std::set<const ControlModel*> caption_tips_;
    std::function<void(HWND, int, int)> placer_;
    std::function<void(HWND, bool)> window_enabler_;
    int writing_ = 0;
};

// A colour of the models as a COLORREF.
COLORREF ToColorRef(Colour colour);

}  // namespace trellup::win32
