#include "controls/control_model.h"

#include "controls/tree_view_model.h"

namespace trellup {

void ControlModel::SetEnabled(bool on) {
    if (enabled_ == on) return;
    enabled_ = on;
    Notify(Prop::Enabled);
}

void ControlModel::SetVisible(bool on) {
    if (visible_ == on) return;
    visible_ = on;
    Notify(Prop::Visible);
}

void ControlModel::SetToolTipText(const std::string& text) {
    if (tool_tip_ == text) return;
    tool_tip_ = text;
    Notify(Prop::ToolTip);
}

void CaptionedModel::SetCaption(const std::string& text) {
    // A control that shows what the caption could not hold shows the
    // caption again, even an unchanged one.
    if (caption_ == text && exact_) return;
    caption_ = text;
    exact_ = true;
    Notify(Prop::Caption);
}

void ColouredModel::SetBackColor(Colour c) {
    if (back_ == c) return;
    back_ = c;
    Notify(Prop::BackColor);
}

void CheckBox::SetValue(int value) {
    if (value_ == value) return;
    value_ = value;
    Notify(Prop::Value);
}

void Frame::Move(int left, int top) {
    if (left_ == left && top_ == top) return;
    left_ = left;
    top_ = top;
    Notify(Prop::Position);
}

void ListModel::AddItem(const std::string& text) {
    items_.push_back(text);
    Notify(Prop::ItemAdded, ListCount() - 1);
}

void ListModel::Clear() {
    if (items_.empty() && list_index_ == -1) return;
    items_.clear();
    list_index_ = -1;
    Notify(Prop::Items);
}

void ListModel::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) index = -1;
    if (index >= 0) SetCaption(items_[static_cast<size_t>(index)]);
    if (list_index_ == index) return;
    list_index_ = index;
    Notify(Prop::ListIndex);
}

void TreeViewModel::Clear() {
    nodes_.clear();
    selected_ = kNone;
    Notify(Prop::Items);
}

int TreeViewModel::Add(int parent, std::string key, std::string text, std::string tag, int image, int selected_image) {
    Node n;
    n.key = std::move(key);
    n.text = std::move(text);
    n.tag = std::move(tag);
    n.image = image;
    n.selected_image = selected_image;
    n.parent = parent >= 0 && parent < Count() ? parent : kNone;
    nodes_.push_back(std::move(n));
    Notify(Prop::ItemAdded, Count() - 1);
    return Count() - 1;
}

void TreeViewModel::Expand(int node) {
    if (node < 0 || node >= Count() || nodes_[static_cast<size_t>(node)].expanded) return;
    nodes_[static_cast<size_t>(node)].expanded = true;
    Notify(Prop::Expanded, node);
}

void TreeViewModel::Select(int node) {
    if (node < kNone || node >= Count()) node = kNone;
    if (selected_ == node) return;
    selected_ = node;
    Notify(Prop::ListIndex, node);
}

}  // namespace trellup
