// Trellup.exe: the technician's setup and test utility for OPOS devices.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <vector>

#include "forms/setting/frm_setting.h"
#include "dispatch_control.h"
#include "forms/main/frm_main.h"
#include "win32/forms/main_window.h"
#include "win32/forms/setting_dialog.h"
#include "win32_shell.h"
#include "win32_store.h"

namespace {

// The first three numbers of this program's file version.
trellup::AppVersion ProgramVersion() {
    trellup::AppVersion v;
    v.bits = sizeof(void*) == 8 ? 64 : 32;
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return v;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return v;
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoW(path, 0, size, data.data()) &&
        VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) && info != nullptr &&
        length >= sizeof *info) {
        v.major = HIWORD(info->dwFileVersionMS);
        v.minor = LOWORD(info->dwFileVersionMS);
        v.revision = HIWORD(info->dwFileVersionLS);
    }
    return v;
}

int Run(HINSTANCE instance, int show) {
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);

    trellup::win32::Win32Store store;
    trellup::win32::Win32Shell shell;
    trellup::win32::DispatchControlFactory factory;
    trellup::frmMain form(store.platform(), shell, factory, ProgramVersion());
    trellup::win32::MainWindow window(form, shell, instance);
    trellup::frmSetting setting(store.platform(), shell, [&form] { form.GetOPOSClass(); });
    trellup::win32::SettingDialog setting_dialog(setting);
    shell.SetSettingDialog([&] { setting_dialog.ShowModal(window.hwnd()); });
    if (!window.Create()) {
        MessageBoxW(nullptr, L"The main window could not be created.", L"Trellup", MB_OK | MB_ICONSTOP);
        return 1;
    }
    form.Form_Load();
    ShowWindow(window.hwnd(), show);
    UpdateWindow(window.hwnd());

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.PreTranslate(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // The control objects and the service objects they load live in this
    // thread's single-threaded apartment.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        MessageBoxW(nullptr, L"COM could not be initialised.", L"Trellup", MB_OK | MB_ICONSTOP);
        return 1;
    }
    int rc = 1;
    try {
        rc = Run(instance, show);
    } catch (...) {
        MessageBoxW(nullptr, L"Trellup stopped after an unexpected error.", L"Trellup", MB_OK | MB_ICONSTOP);
    }
    CoUninitialize();
    return rc;
}
