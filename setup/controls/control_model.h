// Control models: what a form's controls hold (captions, texts, colours,
// enabled and visible states, tool tips, items), without any window. A form
// is a class holding these models under the names its logic uses; the
// Windows side binds each model to a real control and keeps the two in step:
// a change made by the form reaches the control through the model's
// observer, and user input is written back into the model (without a
// notification) before the form's event procedure runs.
//
// Setters notify only when the value really changes. Everything here runs on
// the utility's one thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trellup {

// Colours as the forms use them: an RGB value 0x00BBGGRR, or a system colour
// 0x800000nn where nn is the system colour index.
using Colour = uint32_t;
constexpr Colour kRed = 0x000000FF;
constexpr Colour kButtonFace = 0x8000000F;
constexpr Colour kWindowBackground = 0x80000005;

// What changed in a model. `index` of the notification names the item for
// ItemAdded and the node for the tree's node changes, else -1.
enum class Prop {
    Caption,  // caption of a label, button, frame, check box; text of a text box or combo box
    Enabled,
    Visible,
    BackColor,
    ToolTip,
    Value,      // check box state, option button state
    Items,      // the whole item list was replaced or emptied
    ItemAdded,  // one item appended (index)
    ListIndex,  // selection of a list or combo box, selected node of a tree
    Position,   // left/top of a frame
    Expanded,   // a tree node was expanded (index)
};

class ControlModel;

// Receives the changes of the models bound to it. The Windows side
// implements it; tests may too.
class ModelObserver {
public:
    virtual void OnModelChanged(ControlModel& control, Prop what, int index) = 0;

protected:
    ~ModelObserver() = default;
};

// What every control has.
class ControlModel {
public:
    explicit ControlModel(const char* name) : name_(name) {}
    virtual ~ControlModel() = default;
    ControlModel(const ControlModel&) = delete;
    ControlModel& operator=(const ControlModel&) = delete;

    const char* name() const { return name_; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    const std::string& ToolTipText() const { return tool_tip_; }
    void SetToolTipText(const std::string& text);

    // One observer at a time; nullptr unbinds. Not owned.
    void Bind(ModelObserver* observer) { observer_ = observer; }

protected:
    void Notify(Prop what, int index = -1) {
        if (observer_ != nullptr) observer_->OnModelChanged(*this, what, index);
    }

private:
    const char* name_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string tool_tip_;
    ModelObserver* observer_ = nullptr;
};

// A control with a caption or text: labels, buttons, frames, check boxes,
// option buttons, text boxes.
class CaptionedModel : public ControlModel {
public:
    CaptionedModel(const char* name, std::string caption) : ControlModel(name), caption_(std::move(caption)) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    // User input: stores the text the control now shows, without notifying.
    // `exact` false: the control showed characters the ANSI code page lacks,
    // which `text` holds replaced.
    void CaptionFromUser(const std::string& text, bool exact = true) {
        caption_ = text;
        exact_ = exact;
    }
    // Whether the caption is what the control shows, character for
    // character: false after user input with characters the code page
    // lacks, true again once the form sets the caption.
    bool CaptionIsExact() const { return exact_; }

private:
    std::string caption_;
    bool exact_ = true;
};

// A label or text box that paints its background in a colour.
class ColouredModel : public CaptionedModel {
public:
    ColouredModel(const char* name, std::string caption, Colour back)
        : CaptionedModel(name, std::move(caption)), back_(back) {}
    Colour BackColor() const { return back_; }
    void SetBackColor(Colour c);

private:
    Colour back_;
};

class Label : public ColouredModel {
public:
    explicit Label(const char* name, std::string caption = {}, Colour back = kButtonFace)
        : ColouredModel(name, std::move(caption), back) {}
};

class TextBox : public ColouredModel {
public:
    explicit TextBox(const char* name, std::string text = {})
        : ColouredModel(name, std::move(text), kWindowBackground) {}
    const std::string& Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }
};

class Button : public CaptionedModel {
public:
    Button(const char* name, std::string caption) : CaptionedModel(name, std::move(caption)) {}
};

// A check box (Value 0 unchecked, 1 checked, 2 grayed) or an option button
// (Value 0 or 1).
class CheckBox : public CaptionedModel {
public:
    CheckBox(const char* name, std::string caption, int value = 0)
        : CaptionedModel(name, std::move(caption)), value_(value) {}
    int Value() const { return value_; }
    void SetValue(int value);
    void ValueFromUser(int value) { value_ = value; }

private:
    int value_;
};
using OptionButton = CheckBox;

// A frame: a captioned container whose position the form may set (in
// pixels at 96 DPI).
class Frame : public CaptionedModel {
public:
    Frame(const char* name, std::string caption) : CaptionedModel(name, std::move(caption)) {}
    int Left() const { return left_; }
    int Top() const { return top_; }
    // Moves the frame; the Windows side scales to the screen's DPI.
    void Move(int left, int top);

private:
    int left_ = -1;
    int top_ = -1;
};

// A picture: an image shown (or hidden) at a fixed place, that may react to
// a click.
class Picture : public ControlModel {
public:
    explicit Picture(const char* name) : ControlModel(name) {}
};

// A list box or combo box: text items and the selected index (-1 none). A
// combo box's editable text is its caption.
class ListModel : public CaptionedModel {
public:
    explicit ListModel(const char* name) : CaptionedModel(name, {}) {}
    const std::vector<std::string>& Items() const { return items_; }
    int ListCount() const { return static_cast<int>(items_.size()); }
    int ListIndex() const { return list_index_; }
    void AddItem(const std::string& text);
    void Clear();
    // Selects item `index` (-1 selects none); a combo box's text becomes the
    // item's. An index outside the list selects none.
    void SetListIndex(int index);
    void ListIndexFromUser(int index) { list_index_ = index; }

private:
    std::vector<std::string> items_;
    int list_index_ = -1;
};
using ListBox = ListModel;
using ComboBox = ListModel;

}  // namespace trellup
