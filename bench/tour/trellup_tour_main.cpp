// trellup-tour: the demo's tour of Trellup.exe on the bench, driven from
// outside by window messages. Creates a cash drawer through the property
// dialog, selects it, opens, claims and enables it, fires it, has the bench
// tool close it, writes a text to the line display and swipes a card on the
// MSR; prints each log line as the window shows it and saves a screenshot
// after each step. Exit 0 when every step showed what it should.
//
//   trellup-tour --shots DIR          the whole tour, screenshots into DIR
//   trellup-tour --keep               only create and select the drawer, then
//                                     wait until the person closes the window
//
// Runs in a prefix prepared by opos-bench-setup (bench registered, port
// bench powered on, device entries written) with Kestrix.dll registered;
// WINIO_SIM and OPOS_SIM name the bench, and Trellup.exe inherits them.
#include <windows.h>

#include <cstdio>
#include <string>

#include "resource_ids.h"
#include "store/mod_registry.h"
#include "tour_session.h"
#include "win32_store.h"

namespace trellup_tour {
namespace {

using trellup::test::WindowsPath;

const std::wstring kProduct = WindowsPath(TOUR_PRODUCT_DIR);
const std::wstring kWinioSim = WindowsPath(TOUR_WINIO_DIR) + L"\\winio-sim.exe";
const std::wstring kOposSim = WindowsPath(TOUR_OPOS_DIR) + L"\\opos-sim.exe";

std::wstring Ini(const wchar_t* section, const wchar_t* key) {
    wchar_t text[256] = {};
    GetPrivateProfileStringW(section, key, L"", text, 256, (kProduct + L"\\OPOS.INI").c_str());
    return text;
}

std::wstring BenchName(const wchar_t* variable) {
    wchar_t name[128] = {};
    const DWORD n = GetEnvironmentVariableW(variable, name, 128);
    return n > 0 && n < 128 ? name : L"default";
}

// The store's record writer names the running program's folder as DllPath;
// a tour entry names the product folder, where the port library lies.
class ProductFolder : public trellup::IProgramFolder {
public:
    std::string Get() const override { return Narrow(kProduct); }
    bool Holds(const std::string&) const override { return true; }
};

// The entry a Trellup.exe without its property dialog cannot create: the
// bench's hardware model written by the store's record writer.
bool WriteDrawerRecord(const std::wstring& name) {
    trellup::win32::Win32Registry registry;
    trellup::win32::Win32Profile profile;
    ProductFolder folder;
    const trellup::StorePlatform platform{&registry, &profile, &folder};
    trellup::CashDrawerDevice d;
    d.ClassName = "CashDrawer";
    d.SOProgID = "Norvane.CashDrawer.1";
    d.Description = Narrow(Ini(L"BENCH", L"SODescription"));
    d.DeviceName = Narrow(name);
    d.DeviceDesc = Narrow(Ini(L"BENCH", L"DeviceDesc"));
    d.Master = Narrow(Ini(L"BENCH", L"Master"));
    d.MasterValue = _wtoi(Ini(L"BENCH", L"MasterValue").c_str());
    d.CheckStatusPeriod = _wtoi(Ini(L"BENCH", L"CheckStatusPeriod").c_str());
    d.ConnectorPinNo = _wtoi(Ini(L"BENCH", L"ConnectorPinNo").c_str());
    d.OpenStatusPhase = _wtoi(Ini(L"BENCH", L"OpenStatusPhase").c_str());
    d.PulseOnTime = _wtoi(Ini(L"BENCH", L"PulseOnTime").c_str());
    d.Timeout = _wtoi(Ini(L"BENCH", L"Timeout").c_str());
    return trellup::modRegistry::WriteDeviceRecord(platform, d) == 0;
}

// Creates a cash drawer from the bench's hardware model and leaves it
// selected; its name goes into *name.
bool CreateDrawer(TourSession& s, std::wstring* name) {
    s.Step("Create a cash drawer through the property dialog");
    s.app().PostClick(IDC_Image1);
    const std::wstring caption = L"Create Cash Drawer Device " + Ini(L"device", L"vesrion");
    if (s.WaitForDialog(caption, 10000)) {
        const std::wstring master = Ini(L"BENCH", L"Master");
        if (!s.Expect(s.PickMaster(master), "hardware model \"" + Narrow(master) + "\" offered")) return false;
        *name = s.DialogText(IDC_txtDeviceName);
        std::printf("   model %s, device name %s\n", Narrow(master).c_str(), Narrow(*name).c_str());
        s.Shot("property-dialog");
        if (!s.Expect(s.PressAndWaitHidden(IDOK), "the dialog closes on Create")) return false;
    } else {
        std::printf(
            "   This Trellup.exe shows no property dialog: the entry is written by the store's record\n"
            "   writer instead, and Trellup.exe is started again to show it.\n");
        *name = L"NVCD1";
        if (!s.Expect(WriteDrawerRecord(*name), "the record writer writes NVCD1")) return false;
        s.app().Close();
        if (!s.Expect(s.app().Start(kProduct + L"\\Trellup.exe"), "Trellup.exe starts again")) return false;
    }
    s.Step("Select it");
    if (!s.Expect(s.Select(L"CashDrawer", *name), "the tree selects CashDrawer\\" + Narrow(*name))) return false;
    s.EchoLog();
    s.Expect(s.app().Visible(IDC_frameCashDrawer), "the cash drawer panel shows");
    s.Shot("drawer-selected");
    return !s.failed();
}

bool DrawerSteps(TourSession& s) {
    s.Step("Open, Claim, DeviceEnabled");
    if (!s.OpenClaimEnable()) return false;
    s.Shot("drawer-enabled");

    s.Step("OpenDrawer");
    s.app().Click(IDC_cmdFire);
    if (!s.Expect(s.WaitLog(L"OpenDrawer : [0] Success"), "OpenDrawer : [0] Success")) return false;
    s.Expect(s.WaitVisible(IDC_CashDrawerOpen, true), "the picture shows an open drawer");
    s.Shot("drawer-open");

    s.Step("The bench closes the drawer");
    if (!s.Expect(s.RunTool(kWinioSim, L"--name " + BenchName(L"WINIO_SIM") + L" close") == 0, "winio-sim close"))
        return false;
    if (!s.Expect(s.WaitLog(L"StatusUpdateEvent : [0] Drawer Closed"), "StatusUpdateEvent : [0] Drawer Closed"))
        return false;
    s.Expect(s.WaitVisible(IDC_CashDrawerClose, true), "the picture shows a closed drawer");
    s.Shot("drawer-closed");
    return !s.failed();
}

bool LineDisplaySteps(TourSession& s) {
    s.Step("Line display: DisplayText");
    if (!s.Expect(s.Select(L"LineDisplay", L"BenchDisplay"), "the tree selects LineDisplay\\BenchDisplay"))
        return false;
    if (!s.OpenClaimEnable()) return false;
    s.app().SetText(IDC_txtDisplayText, L"Hello from Trellup");
    s.app().Click(IDC_cmdDisplayText);
    if (!s.Expect(s.WaitLog(L"DisplayText : [0] Success"), "DisplayText : [0] Success")) return false;
    s.Shot("line-display-text");
    return true;
}

bool MsrSteps(TourSession& s) {
    s.Step("MSR: a card swipe");
    if (!s.Expect(s.Select(L"MSR", L"BenchMSR"), "the tree selects MSR\\BenchMSR")) return false;
    if (!s.OpenClaimEnable()) return false;
    s.app().Click(IDC_cmdEnentEnabled);
    if (!s.Expect(s.WaitText(IDC_lblDataEventEnabled, L"True"), "DataEventEnabled True")) return false;
    const std::wstring t1 = L"B4111111111111111^DEMO/CARD^3012", t2 = L"4111111111111111=3012", t3 = L"0123456789";
    if (!s.Expect(
            s.RunTool(kOposSim, L"--name " + BenchName(L"OPOS_SIM") + L" swipe " + t1 + L" " + t2 + L" " + t3) == 0,
            "opos-sim swipe"))
        return false;
    wchar_t line[64] = {};
    swprintf(line, 64, L"Data Event : [%X]", static_cast<unsigned>(t1.size() | t2.size() << 8 | t3.size() << 16));
    if (!s.Expect(s.WaitLog(line), Narrow(line))) return false;
    s.Expect(s.WaitText(IDC_Track1, t1), "Track1 shows the card's track 1");
    s.Expect(s.WaitText(IDC_Track2, t2), "Track2 shows the card's track 2");
    s.Expect(s.WaitText(IDC_Track3, t3), "Track3 shows the card's track 3");
    s.Shot("msr-swipe");
    return !s.failed();
}

int Tour(const std::wstring& shots) {
    TourSession s(shots);
    s.Step("Start Trellup.exe");
    if (!s.Expect(s.app().Start(kProduct + L"\\Trellup.exe"), "Trellup.exe shows its window")) return 1;
    s.EchoLog();
    s.Shot("start");
    std::wstring name;
    const bool ok = CreateDrawer(s, &name) && DrawerSteps(s) && LineDisplaySteps(s) && MsrSteps(s);
    if (!ok) s.Shot("failed");
    s.Step("Close Trellup.exe");
    s.Expect(s.app().Close(), "Trellup.exe ends when its window closes");
    std::printf("Screenshots in %s:\n", Narrow(shots).c_str());
    for (const std::wstring& f : s.shots()) std::printf("   %s\n", Narrow(f).c_str());
    std::printf(s.failed() ? "The tour FAILED.\n" : "The tour passed.\n");
    return s.failed() ? 1 : 0;
}

int Keep() {
    TourSession s(L"");
    if (!s.Expect(s.app().Start(kProduct + L"\\Trellup.exe"), "Trellup.exe shows its window")) return 1;
    std::wstring name;
    if (!CreateDrawer(s, &name)) return 1;
    std::printf("Trellup.exe stays until its window is closed.\n");
    std::fflush(stdout);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, s.app().process_id());
    if (process != nullptr) {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    return 0;
}

}  // namespace
}  // namespace trellup_tour

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"--shots") return trellup_tour::Tour(argv[2]);
    if (argc == 2 && std::wstring(argv[1]) == L"--keep") return trellup_tour::Keep();
    std::fprintf(stderr, "usage: trellup-tour --shots DIR | --keep\n");
    return 2;
}
