// The main form over fakes: an in-memory registry, OPOS.INI, a scripted
// shell and scripted control objects. Each test starts from the utility's
// start state.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_opos_control.h"
#include "fakes/fake_profile.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "frm_main.h"
#include "store/mod_registry.h"
#include "utility_state.h"

namespace trellup::testing {

class FormTest : public ::testing::Test {
protected:
    FormTest() : folder("C:\\Trellup") { ResetUtilityState(); }

    StorePlatform platform() { return StorePlatform{&registry, &profile, &folder}; }

    // A device key with its default value (the SO ProgID).
    void AddDevice(const std::string& cls, const std::string& device, const std::string& prog_id = "Norvane.CashDrawer.1") {
        registry.PutString(modRegistry::DeviceKeyPath(cls, device), "", prog_id);
    }
    void AddClass(const std::string& cls) { registry.PutKey(std::string(kOposRoot) + "\\" + cls); }

    // Creates the form and runs its start-up.
    frmMain& Load() {
        form = std::make_unique<frmMain>(platform(), shell, factory, AppVersion{1, 0, 0});
        form->Form_Load();
        return *form;
    }
    fakes::FakeOposControl& Co(const std::string& cls) { return *factory.created.at(cls); }

    // Index of the node with this text under a parent of this text ("" for
    // top level); -1 when there is none.
    int Node(const std::string& text, const std::string& parent = "") const {
        const auto& nodes = form->TreeView1.Nodes();
        for (size_t i = 0; i < nodes.size(); ++i) {
            const std::string p = nodes[i].parent >= 0 ? nodes[static_cast<size_t>(nodes[i].parent)].text : "";
            if (nodes[i].text == text && p == parent) return static_cast<int>(i);
        }
        return -1;
    }
    void Click(const std::string& device, const std::string& cls) { form->TreeView1_NodeClick(Node(device, cls)); }

    // Journal lines from `from` on.
    std::vector<std::string> JournalFrom(size_t from) const {
        return std::vector<std::string>(factory.journal.begin() + static_cast<long>(from), factory.journal.end());
    }
    std::vector<std::string> Log() const { return form->List1.Items(); }

    fakes::FakeRegistry registry;
    fakes::FakeProfile profile;
    fakes::FakeProgramFolder folder;
    fakes::FakeShell shell;
    fakes::FakeOposFactory factory;
    std::unique_ptr<frmMain> form;
};

}  // namespace trellup::testing
