// The model of a tree control: nodes with a key, text, tag and image
// indexes, in the order they were added (which, for trees built parent
// first, is also the order they are shown). A node is named by its index,
// valid until the next Clear.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/control_model.h"

namespace trellup {

class TreeViewModel : public ControlModel {
public:
    static constexpr int kNone = -1;

    struct Node {
        std::string key;
        std::string text;
        std::string tag;
        int image = 0;
        int selected_image = 0;
        int parent = kNone;
        bool expanded = false;
    };

    explicit TreeViewModel(const char* name) : ControlModel(name) {}

    const std::vector<Node>& Nodes() const { return nodes_; }
    int Count() const { return static_cast<int>(nodes_.size()); }
    const Node& At(int node) const { return nodes_.at(static_cast<size_t>(node)); }

    // Removes every node; nothing is selected afterwards.
    void Clear();
    // Appends a node (a child of `parent`, or top level for kNone) and
    // returns its index.
    int Add(int parent, std::string key, std::string text, std::string tag, int image, int selected_image);
    void Expand(int node);

    // The selected node, kNone when there is none. Selecting from code does
    // not run the form's node-click handling.
    int SelectedItem() const { return selected_; }
    void Select(int node);
    void SelectionFromUser(int node) { selected_ = node; }

    // The node at a point of the control's client area (pixels), or kNone.
    // The Windows side supplies the lookup; without one there is no node
    // anywhere.
    int HitTest(int x, int y) const { return hit_test_ ? hit_test_(x, y) : kNone; }
    void SetHitTest(std::function<int(int, int)> lookup) { hit_test_ = std::move(lookup); }

private:
    std::vector<Node> nodes_;
    int selected_ = kNone;
    std::function<int(int, int)> hit_test_;
};

}  // namespace trellup
