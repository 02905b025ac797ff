#include "ui_automation.h"

namespace kestrix::test {

BoxAnswerer::BoxAnswerer(std::wstring caption, int button, DWORD timeout_ms, std::function<void()> before_press)
    : caption_(std::move(caption)),
      before_press_(std::move(before_press)),
      button_(button),
      timeout_ms_(timeout_ms),
      thread_([this] { Run(); }) {}

BoxAnswerer::~BoxAnswerer() {
    if (thread_.joinable()) thread_.join();
}

bool BoxAnswerer::Join() {
    if (thread_.joinable()) thread_.join();
    return answered_;
}

void BoxAnswerer::Run() {
    const ULONGLONG end = GetTickCount64() + timeout_ms_;
    while (GetTickCount64() < end) {
        HWND box = FindWindowW(L"#32770", caption_.c_str());
        if (box && IsWindowVisible(box)) {
            wchar_t buf[1024] = {};
            GetDlgItemTextW(box, 0xFFFF, buf, 1024);
            text_ = buf;
            style_ = GetWindowLongW(box, GWL_STYLE);
            had_owner_ = GetWindow(box, GW_OWNER) != nullptr;
            was_foreground_ = GetForegroundWindow() == box;
            // The icon of a message box is a static control with ID 0x0014.
            had_icon_ = GetDlgItem(box, 0x0014) != nullptr && IsWindowVisible(GetDlgItem(box, 0x0014));
            if (before_press_) before_press_();
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
            // Wait until it is gone, so the next box with the same caption is a new one.
            while (IsWindow(box) && GetTickCount64() < end) Sleep(20);
            answered_ = true;
            return;
        }
        Sleep(20);
    }
}

std::wstring WinIoDir() {
    std::string unix_path = WINIO_DIR_PATH;
    std::wstring w(L"Z:");
    for (char c : unix_path) w += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return w;
}

}  // namespace kestrix::test
