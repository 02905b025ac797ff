// A scripted shell for the forms' tests: records every message box (text,
// style, caption) and answers from a queue (OK when empty), counts beeps,
// and answers popup menus with a chosen entry after recording which entries
// were enabled.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace trellup::test {

class FakeShell : public IShell {
public:
    struct Box {
        std::string text;
        int style;
        std::string caption;
    };
    struct Popup {
        std::string menu;                  // the menu's name
        std::vector<std::string> enabled;  // names of its enabled entries, in order
        int x, y;
    };

    int MsgBox(const std::string& text, int style, const std::string& caption) override {
        boxes.push_back(Box{text, style, caption});
        if (answers.empty()) return mb::kIdOk;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void Beep() override { ++beeps; }
    const MenuItem* PopupMenu(const MenuModel& menu, int x, int y) override {
        Popup p{menu.name, {}, x, y};
        const MenuItem* pick = nullptr;
        for (const MenuItem* item : menu.items) {
            if (item != nullptr && item->enabled) p.enabled.push_back(item->name);
            if (item != nullptr && item->name == choose) pick = item;
        }
        popups.push_back(p);
        return pick != nullptr && pick->enabled ? pick : nullptr;
    }
    // The system's texts of the results the tests meet; "Error <code>." for
    // the rest.
    std::string ErrorText(int32_t code) override {
        switch (code) {
        case 2: return "The system cannot find the file specified.";
        case 5: return "Access is denied.";
        case 1113: return "No mapping for the Unicode character exists in the target multi-byte code page.";
        default: return "Error " + std::to_string(code) + ".";
        }
    }
    void ShowSettingDialog() override {
        ++dialogs;
        if (on_dialog) on_dialog();
    }

    std::deque<int> answers;
    std::vector<Box> boxes;
    int beeps = 0;
    std::vector<Popup> popups;
    std::string choose;  // name of the entry the next popups pick ("" none)
    int dialogs = 0;
    std::function<void()> on_dialog;  // runs while the dialog is "shown"
};

}  // namespace trellup::test
