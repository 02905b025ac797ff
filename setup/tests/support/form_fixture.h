// The main form and the property dialog over fakes: an in-memory registry,
// OPOS.INI, a scripted shell and scripted control objects. Each test starts
// from the utility's start state.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/fake_opos_control.h"
#include "support/fake_profile.h"
#include "support/fake_registry.h"
#include "forms/setting/frm_setting.h"
#include "support/fake_shell.h"
#include "forms/main/frm_main.h"
#include "store/mod_registry.h"
#include "forms/main/utility_state.h"

namespace trellup::test {

class FormTest : public ::testing::Test {
protected:
    FormTest() : folder("C:\\Trellup") { ResetUtilityState(); }

    StorePlatform platform() { return StorePlatform{&registry, &profile, &folder}; }

    // A device key with its default value (the SO ProgID).
    void AddDevice(const std::string& cls, const std::string& device,
                   const std::string& prog_id = "Norvane.CashDrawer.1") {
        registry.PutString(modRegistry::DeviceKeyPath(cls, device), "", prog_id);
    }
    void AddClass(const std::string& cls) { registry.PutKey(std::string(kOposRoot) + "\\" + cls); }

    // OPOS.INI beside the program.
    void PutIni(const std::string& contents) { profile.PutFile("C:\\Trellup\\OPOS.INI", contents); }
    // Three hardware models: a usual one, the bench's, and one whose
    // section lacks "PulseOnTime" and has OpenStatusPhase 5.
    void PutModels(const std::string& version = "V1.0", const std::string& bench_pulse = "150") {
        PutIni("[device]\ncount=3\nvesrion=" + version +
               "\ndevice1=NV210_PORT1\ndevice2=BENCH\ndevice3=NOPULSE\n"
               "[NV210_PORT1]\nMaster=NV-210 board, drawer port 1\nSOName=Norvane.CashDrawer\n"
               "SODescription=Norvane OPOS Cash Drawer Service Object\nDeviceDesc=Port 1 of the NV-210\n"
               "MasterValue=1\nCheckStatusPeriod=300\nConnectorPinNo=1\nOpenStatusPhase=1\nPulseOnTime=100\n"
               "Timeout=2000\n"
               "[BENCH]\nMaster=Bench simulated terminal\nSOName=Norvane.CashDrawer\n"
               "SODescription=Norvane OPOS Cash Drawer Service Object\nDeviceDesc=Bench drawer\n"
               "MasterValue=8\nCheckStatusPeriod=250\nConnectorPinNo=3\nOpenStatusPhase=0\nPulseOnTime=" +
               bench_pulse +
               "\nTimeout=2000\n"
               "[NOPULSE]\nMaster=No pulse model\nSOName=Other.CashDrawer\nMasterValue=9\nOpenStatusPhase=5\n"
               "Timeout=1500\n");
    }

    // Creates the form and the property dialog of a program of `bits`, and
    // runs the form's start-up.
    frmMain& Load(int bits = 32) {
        form = std::make_unique<frmMain>(platform(), shell, factory, AppVersion{1, 0, 0, bits});
        setting = std::make_unique<frmSetting>(platform(), shell, [this] { form->GetOPOSClass(); });
        form->Form_Load();
        return *form;
    }

    // What happens while the property dialog is shown: the next showings
    // show it (Show(), as the window does) and run `script` on it. A script
    // that leaves the dialog shown fails the test: the modal showing would
    // never end.
    void OnDialog(std::function<void(frmSetting&)> script) {
        shell.on_dialog = [this, script] {
            setting->Show();
            script(*setting);
            EXPECT_FALSE(setting->Form.Visible()) << "the dialog is still shown";
        };
    }
    FakeOposControl& Co(const std::string& cls) { return *factory.created.at(cls); }

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

    FakeRegistry registry;
    FakeProfile profile;
    FakeProgramFolder folder;
    FakeShell shell;
    FakeOposFactory factory;
    std::unique_ptr<frmMain> form;
    std::unique_ptr<frmSetting> setting;
};

}  // namespace trellup::test
