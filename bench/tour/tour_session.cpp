#include "tour_session.h"

#include <cstdio>

#include "resource_ids.h"

namespace trellup_tour {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

namespace {

// A handle closed when the owner goes.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != nullptr) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

std::wstring WindowText(HWND hwnd) {
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &ignored);
    return text;
}

}  // namespace

TourSession::TourSession(std::wstring shots) : shot_dir_(std::move(shots)) {
    if (!shot_dir_.empty()) CreateDirectoryW(shot_dir_.c_str(), nullptr);
}

void TourSession::Step(const char* title) {
    std::printf("== %s\n", title);
    std::fflush(stdout);
}

bool TourSession::Expect(bool ok, const std::string& what) {
    if (!ok) {
        std::printf("   FAILED: %s\n", what.c_str());
        std::fflush(stdout);
        failed_ = true;
    }
    return ok;
}

void TourSession::EchoLog() {
    const auto lines = app_.ListItems(IDC_List1);
    if (lines.size() < echoed_) echoed_ = 0;  // the log was cleared
    for (size_t i = echoed_; i < lines.size(); ++i) std::printf("   log: %s\n", Narrow(lines[i]).c_str());
    echoed_ = lines.size();
    std::fflush(stdout);
}

bool TourSession::WaitLog(const std::wstring& line) {
    for (int i = 0; i < 200; ++i) {
        EchoLog();
        for (const std::wstring& l : app_.ListItems(IDC_List1)) {
            if (l == line) {
                app_.Sync();
                EchoLog();
                return true;
            }
        }
        Sleep(50);
    }
    return false;
}

bool TourSession::WaitText(int id, const std::wstring& text) {
    for (int i = 0; i < 100; ++i) {
        if (app_.Text(id) == text) return true;
        Sleep(50);
    }
    return false;
}

bool TourSession::WaitVisible(int id, bool visible) {
    for (int i = 0; i < 100; ++i) {
        if (app_.Visible(id) == visible) return true;
        Sleep(50);
    }
    return false;
}

void TourSession::Shot(const char* name) {
    if (shot_dir_.empty()) return;
    // Paint messages come after every other message: a few rounds of
    // handled messages and a pause let the window finish drawing.
    for (int i = 0; i < 3; ++i) {
        app_.Sync();
        Sleep(150);
    }
    wchar_t file[128] = {};
    swprintf(file, 128, L"%02u-%hs.png", static_cast<unsigned>(files_.size() + 1), name);
    const std::wstring path = shot_dir_ + L"\\" + file;
    if (Expect(trellup::test::SaveScreenshot(path), "screenshot " + Narrow(file) + " saved")) files_.push_back(file);
}

int TourSession::RunTool(const std::wstring& exe, const std::wstring& args) {
    const std::wstring name = exe.substr(exe.find_last_of(L"\\/") + 1);
    std::printf("   $ %s %s\n", Narrow(name).c_str(), Narrow(args).c_str());
    std::fflush(stdout);
    std::wstring command = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    Handle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

bool TourSession::WaitForDialog(const std::wstring& caption, DWORD timeout_ms) {
    trellup::test::MessageBoxSeen seen;
    if (!trellup::test::WaitForBox(caption, &seen, timeout_ms)) return false;
    dialog_ = seen.hwnd;
    app_.Sync();
    return true;
}

bool TourSession::PickMaster(const std::wstring& name) {
    HWND combo = GetDlgItem(dialog_, IDC_MasterDevice);
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    if (index < 0) return false;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_MasterDevice, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    app_.Sync();
    return true;
}

std::wstring TourSession::DialogText(int id) const { return WindowText(GetDlgItem(dialog_, id)); }

bool TourSession::PressAndWaitHidden(int id) {
    PostMessageW(GetDlgItem(dialog_, id), BM_CLICK, 0, 0);
    for (int i = 0; i < 400 && IsWindowVisible(dialog_); ++i) Sleep(25);
    app_.Sync();
    return !IsWindowVisible(dialog_);
}

bool TourSession::Select(const std::wstring& cls, const std::wstring& device) {
    HTREEITEM item = app_.FindTreeItem(IDC_TreeView1, cls, device);
    return item != nullptr && app_.ClickTreeItem(IDC_TreeView1, item) && WaitText(IDC_lblDeviceName, device);
}

bool TourSession::OpenClaimEnable() {
    app_.Click(IDC_cmdOpen);
    if (!Expect(WaitLog(L"Open : [0] Success"), "Open : [0] Success")) return false;
    app_.Click(IDC_cmdClaim);
    if (!Expect(WaitLog(L"Claim : [0] Success"), "Claim : [0] Success")) return false;
    app_.Click(IDC_cmdEnable);
    return Expect(WaitText(IDC_DeviceEnabled, L"True"), "DeviceEnabled True");
}

}  // namespace trellup_tour
