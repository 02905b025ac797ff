// frmMain: start-up, the device tree, the node click and the context menus.
#include "forms/main/frm_main.h"

#include <algorithm>
#include <cctype>

#include "store/cash_drawer_device.h"
#include "store/mod_registry.h"
#include "forms/main/utility_state.h"

namespace trellup {

std::string gCurNodeText;
std::string gCurClass;
PopupNode gPopupNode;

void ResetUtilityState() {
    gCurNodeText.clear();
    gCurClass.clear();
    gPopupNode = PopupNode{};
    gCurDevice = CashDrawerDevice{};
    gEditDevice = CashDrawerDevice{};
    gSettingMode = kSettingCreate;
}

namespace {

constexpr const char* kClassCashDrawer = "CashDrawer";
constexpr const char* kClassLineDisplay = "LineDisplay";
constexpr const char* kClassPOSPrinter = "POSPrinter";
constexpr const char* kClassMSR = "MSR";

// Added to "not available" when no control object of the class is
// registered for the 64-bit program.
constexpr const char* k64BitHint =
    " : this is the 64-bit Trellup, and the installed control objects may be 32-bit only;"
    " use the 32-bit Trellup";

// A registry key opened for reading; closed when destroyed.
class ReadKey {
public:
    ReadKey(IRegistry& registry, const std::string& path) : registry_(registry) {
        if (registry_.OpenKey(path.c_str(), &key_) != kRegSuccess) key_ = 0;
    }
    ~ReadKey() {
        if (key_ != 0) registry_.CloseKey(key_);
    }
    ReadKey(const ReadKey&) = delete;
    ReadKey& operator=(const ReadKey&) = delete;
    explicit operator bool() const { return key_ != 0; }

    // Subkey name `index` as the tree shows it: fetched into 256 bytes
    // prefilled with NULs and cut at the first NUL. A name that cannot be
    // read (the code page lacks one of its characters, or it is longer than
    // the buffer) is skipped: *name is "" for it. False ends the listing.
    bool SubkeyName(uint32_t index, std::string* name) const {
        char buffer[256] = {};
        const int32_t rc = registry_.EnumKey(key_, index, buffer, sizeof buffer);
        name->clear();
        if (rc == kRegNoUnicodeTranslation || rc == kRegMoreData) return true;
        if (rc != kRegSuccess) return false;
        *name = frmMain::TrimNull(std::string(buffer, sizeof buffer));
        return true;
    }

private:
    IRegistry& registry_;
    IRegistry::Key key_ = 0;
};

// Normal and selected image of a class's nodes.
std::pair<int, int> ImagesOf(const std::string& class_name) {
    if (class_name == kClassCashDrawer) return {kImageCashDrawer, kImageCashDrawer1};
    if (class_name == kClassLineDisplay) return {kImageLineDisplay, kImageLineDisplay1};
    if (class_name == kClassPOSPrinter) return {kImagePOSPrinter, kImagePOSPrinter1};
    if (class_name == kClassMSR) return {kImageMSR, kImageMSR1};
    return {kImageUnknow, kImageUnknow};
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

frmMain::frmMain(const StorePlatform& store, IShell& shell, IOposControlFactory& factory, AppVersion version)
    : store_(store), shell_(shell), factory_(factory), version_(version) {
    // Enabled states as the window opens, before the user-mode rule.
    cmdClaim.SetEnabled(false);
    cmdEnable.SetEnabled(false);
    cmdOpen.SetToolTipText("Open Method");
    cmdClaim.SetToolTipText("ClaimDevice Method");
    cmdEnable.SetToolTipText("Set DeviceEnabled Property");
    cmdEventOn.SetToolTipText("Set FreezeEvents Property");
    cmdRelease.SetToolTipText("ReleaseDevice Method");
    cmdClose.SetToolTipText("Close Method");
    List1.SetToolTipText("Result Information");
    Image1.SetToolTipText("Create Cash Drawer Device");
    Image2.SetToolTipText("Create MSR Device");
    Image3.SetToolTipText("Create VFD Device");
    Image4.SetToolTipText("Create Printer Device");
    cmdFire.SetToolTipText("OpenDrawer Method");
    cmdWaitCashDrawerClose.SetToolTipText("WaitForDrawerClose Method");
    CashDrawerClose.SetToolTipText("Drawer Was Cloased");
    CashDrawerOpen.SetToolTipText("Drawer Was Opened");
    CashDrawerOpen.SetVisible(false);
    for (Frame* f : {&frameCashDrawer, &frameLineDisplay, &frameMSR, &framePOSPrinter}) {
        f->Move(kTestFrameLeft, kTestFrameTop);
        f->SetVisible(false);
    }
}

frmMain::~frmMain() = default;

void frmMain::Form_Load() {
    Form.SetCaption("Trellup v" + std::to_string(version_.major) + "." + std::to_string(version_.minor) + "." +
                    std::to_string(version_.revision));

    for (const char* item : {"Normal", "Blink", "Reverse", "Blink Reverse"}) cmbDisplayType.AddItem(item);
    cmbDisplayType.SetListIndex(0);
    for (const char* item : {"Up", "Down", "Left", "Right"}) cmbScrollText.AddItem(item);
    cmbScrollText.SetListIndex(0);

    OPOSCashDrawer1 = factory_.Create(kClassCashDrawer, this);
    OPOSLineDisplay1 = factory_.Create(kClassLineDisplay, this);
    OPOSPOSPrinter1 = factory_.Create(kClassPOSPrinter, this);
    OPOSMSR1 = factory_.Create(kClassMSR, this);
    for (IOposControl* co : {OPOSCashDrawer1.get(), OPOSLineDisplay1.get(), OPOSPOSPrinter1.get(), OPOSMSR1.get()}) {
        if (co->CreateResult() != kOk) {
            std::string line =
                co->ClassName() + " control object not available (" + HexStatus(co->CreateResult()) + ")";
            // Most terminals' control objects are 32-bit only, and a 64-bit
            // program cannot load them: say where to go instead.
            if (version_.bits == 64 && co->CreateResult() == kClassNotRegistered) line += k64BitHint;
            AppendLogLine(line);
        } else if (co->EventsResult() != kOk) {
            AppendLogLine(co->ClassName() + " control object events not connected (" + HexStatus(co->EventsResult()) +
                          ")");
        }
    }

    if (chkUserMode.Value() != 0) DisableSessionControls();
    GetOPOSClass();
}

std::string frmMain::TrimNull(const std::string& text) {
    const size_t nul = text.find('\0');
    if (nul == std::string::npos) return std::string();
    return text.substr(0, nul);
}

void frmMain::GetOPOSClass() {
    TreeView1.Clear();
    m_CashDrawerNames.clear();
    {
        ReadKey root(*store_.registry, kOposRoot);
        if (!root) return;
        std::string name;
        for (uint32_t index = 0; root.SubkeyName(index, &name); ++index) {
            if (name.empty()) continue;
            const auto images = ImagesOf(name);
            const int node =
                TreeView1.Add(TreeViewModel::kNone, "Class_" + name, name, "Class", images.first, images.second);
            AddOPOSDevices(std::string(kOposRoot) + "\\" + name, node);
            TreeView1.Expand(node);
        }
    }
    if (TreeView1.Count() == 0) return;

    TreeView1.Select(0);
    // A node click may run event handlers (closing a control object
    // dispatches messages); the bound is read afresh each time.
    for (int node = 0; node < TreeView1.Count(); ++node) {
        if (TreeView1.At(node).text == gCurNodeText) {
            TreeView1.Select(node);
            TreeView1_NodeClick(node);
        }
    }
    if (TreeView1.SelectedItem() == 0) TreeView1_NodeClick(0);
}

void frmMain::AddOPOSDevices(const std::string& class_key_path, int class_node) {
    ReadKey key(*store_.registry, class_key_path);
    if (!key) return;
    const std::string class_name = TreeView1.At(class_node).text;
    const auto images = ImagesOf(class_name);
    std::string device;
    for (uint32_t index = 0; key.SubkeyName(index, &device); ++index) {
        if (device.empty()) continue;
        if (class_name == kClassCashDrawer) m_CashDrawerNames.push_back(device);
        TreeView1.Add(class_node, "Device_" + class_name + "_" + device, device, "Device", images.first, images.second);
    }
}

void frmMain::HideTestFrames() {
    for (Frame* f : {&frameCashDrawer, &frameLineDisplay, &frameMSR, &framePOSPrinter}) f->SetVisible(false);
}

void frmMain::TreeView1_NodeClick(int node) {
    if (node < 0 || node >= TreeView1.Count()) return;
    // Copies: the handlers that closing a control object may run can
    // rebuild the tree.
    const TreeViewModel::Node clicked = TreeView1.At(node);
    const std::string parent_text = clicked.parent >= 0 ? TreeView1.At(clicked.parent).text : std::string();

    ClearCommonProperties();
    gCurNodeText = clicked.text;
    m_OwnServiceObject = false;
    HideTestFrames();

    // Nothing to open and no entry to show.
    const auto show_no_entry = [this] {
        DisableSessionControls();
        for (Label* l : {&lblSODescription, &lblDeviceName, &lblDeviceDescription, &lblSOName, &lblPulseOnTime,
                         &lblTimeout, &lblOpenStatusPhase}) {
            l->SetCaption("");
        }
    };
    if (clicked.tag == "Class") {
        show_no_entry();
        return;
    }

    if (chkUserMode.Value() != 0) {
        DisableSessionControls();
        cmdOpen.SetEnabled(true);
    } else {
        for (Button* b : {&cmdOpen, &cmdClaim, &cmdEnable, &cmdEventOn, &cmdRelease, &cmdClose}) b->SetEnabled(true);
    }
    gCurClass = parent_text;
    const int32_t read = modRegistry::ReadDeviceRecord(store_, parent_text, clicked.text, &gCurDevice);
    if (read != kRegSuccess) {
        // Gone (or shut) since the tree was built: said once; nothing is
        // made in the registry and no control object is called.
        show_no_entry();
        if (chkClearLog.Value() != 0) List1.Clear();
        const std::string entry = parent_text + "\\" + clicked.text + " : ";
        AppendLogLine(read == kRegFileNotFound ? entry + "not found in the registry, Rescan to update the tree"
                                               : entry + "could not be read : " + shell_.ErrorText(read));
        return;
    }
    lblSODescription.SetCaption(gCurDevice.Description);
    lblDeviceName.SetCaption(gCurDevice.DeviceName);
    lblDeviceDescription.SetCaption(gCurDevice.DeviceDesc);
    lblSOName.SetCaption(gCurDevice.SOProgID);
    lblPulseOnTime.SetCaption(std::to_string(gCurDevice.PulseOnTime));
    lblTimeout.SetCaption(std::to_string(gCurDevice.Timeout));
    lblOpenStatusPhase.SetCaption(gCurDevice.OpenStatusPhase == 1 ? "High" : "Low");
    m_OwnServiceObject = IsOwnServiceObject(lblSOName.Caption());
    if (chkClearLog.Value() != 0) List1.Clear();

    struct ClassPanel {
        const char* class_name;
        Frame* frame;
        const char* header;
        IOposControl* control;
    };
    const ClassPanel panels[] = {
        {kClassCashDrawer, &frameCashDrawer, "Cash Drawer ========================", OPOSCashDrawer1.get()},
        {kClassLineDisplay, &frameLineDisplay, "Line Display =========================", OPOSLineDisplay1.get()},
        {kClassMSR, &frameMSR, "MSR ==============================", OPOSMSR1.get()},
        {kClassPOSPrinter, &framePOSPrinter, "POS Printer =========================", OPOSPOSPrinter1.get()},
    };
    for (const ClassPanel& p : panels) {
        if (parent_text != p.class_name) continue;
        p.frame->SetVisible(true);
        p.frame->SetEnabled(chkUserMode.Value() == 0);
        p.frame->Move(kTestFrameLeft, kTestFrameTop);
        List1.AddItem(p.header);
        m_Device = p.control;
    }

    // Every selection starts from a closed control object; the result is
    // not looked at.
    if (m_Device != nullptr && m_Device->CreateResult() == kOk) {
        OposValue ignored;
        m_Device->Call("Close", {}, OposValue::Type::Long, &ignored);
    }
}

void frmMain::TreeView1_MouseUp(int button, int /*shift*/, int x, int y) {
    for (MenuItem* m : {&Menu_Add_New_Device, &Menu_Device_Property, &Menu_Check_Health_Internal,
                        &Menu_Check_Health_External, &Menu_Check_Health_Interactive}) {
        m->enabled = false;
    }
    if (button != 2) return;

    const int node = TreeView1.HitTest(x, y);
    if (node == TreeViewModel::kNone) {
        Menu_Add_New_Device.enabled = true;
        MenuCommand(shell_.PopupMenu(Menu_Class, x, y));
        return;
    }
    TreeView1.Select(node);
    const TreeViewModel::Node& n = TreeView1.At(node);
    gPopupNode = PopupNode{true, n.text, n.parent >= 0 ? TreeView1.At(n.parent).text : std::string(), n.tag};
    // Property is offered for the device right-clicked, not the one shown.
    if (n.tag == "Device") {
        std::string prog_id;
        modRegistry::QueryDeviceValue(store_, gPopupNode.parent_text, gPopupNode.text, "", kRegSz, &prog_id, nullptr);
        Menu_Device_Property.enabled = IsOwnServiceObject(prog_id);
    }
    Menu_Check_Health_Internal.enabled = true;
    Menu_Check_Health_External.enabled = true;
    Menu_Check_Health_Interactive.enabled = true;
    if (n.text == kClassCashDrawer) Menu_Add_New_Device.enabled = true;
    MenuCommand(shell_.PopupMenu(n.tag == "Class" ? Menu_Class : Menu_Device, x, y));
}

void frmMain::MenuCommand(const MenuItem* item) {
    if (item == nullptr || !item->enabled) return;
    if (item == &Menu_Class_Rescan || item == &Menu_Device_Rescan) {
        GetOPOSClass();
    } else if (item == &Menu_Add_New_Device) {
        AddNewDevice();
    } else if (item == &Menu_Delete_Device) {
        DeleteDevice();
    } else if (item == &Menu_Device_Property) {
        DeviceProperty();
    } else if (gPopupNode.valid) {
        const int32_t level = item == &Menu_Check_Health_Internal      ? 1
                              : item == &Menu_Check_Health_External    ? 2
                              : item == &Menu_Check_Health_Interactive ? 3
                                                                       : 0;
        if (level != 0) RunCheckHealth(gPopupNode.parent_text, gPopupNode.text, level);
    }
}

void frmMain::Image1_Click() { AddNewDevice(); }

bool frmMain::IsOwnServiceObject(const std::string& prog_id) { return Lower(prog_id.substr(0, 7)) == "norvane"; }

int frmMain::DeviceNode(const std::string& cls, const std::string& device) const {
    for (int node = 0; node < TreeView1.Count(); ++node) {
        const TreeViewModel::Node& n = TreeView1.At(node);
        if (n.tag == "Device" && n.text == device && n.parent >= 0 && TreeView1.At(n.parent).text == cls) return node;
    }
    return -1;
}

void frmMain::DisableSessionControls() {
    for (Button* b : {&cmdOpen, &cmdClaim, &cmdEnable, &cmdEventOn, &cmdRelease, &cmdClose}) b->SetEnabled(false);
    for (Frame* f : {&frameMSR, &frameCashDrawer, &frameLineDisplay, &framePOSPrinter}) f->SetEnabled(false);
}

IOposControl* frmMain::ControlFor(const std::string& class_name) const {
    if (class_name == kClassCashDrawer) return OPOSCashDrawer1.get();
    if (class_name == kClassLineDisplay) return OPOSLineDisplay1.get();
    if (class_name == kClassPOSPrinter) return OPOSPOSPrinter1.get();
    if (class_name == kClassMSR) return OPOSMSR1.get();
    return nullptr;
}

}  // namespace trellup
