// Answering message boxes from a test: a background thread waits for a box
// with the given caption, records its text and presses a button.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace kestrix::test {

class BoxAnswerer {
public:
    // Starts watching for a "#32770" window titled `caption`; presses
    // `button` (IDYES, IDNO, IDOK) once it appears.
    // `before_press` runs on the watcher thread once the box is up.
    BoxAnswerer(std::wstring caption, int button, DWORD timeout_ms = 20000, std::function<void()> before_press = {});
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Waits for the watcher; true when a box was found and answered.
    bool Join();
    const std::wstring& text() const { return text_; }
    LONG style() const { return style_; }
    bool had_icon() const { return had_icon_; }
    bool had_owner() const { return had_owner_; }
    // The box was the foreground window when found.
    bool was_foreground() const { return was_foreground_; }

private:
    void Run();

    std::wstring caption_;
    std::function<void()> before_press_;
    int button_;
    DWORD timeout_ms_;
    std::wstring text_;
    LONG style_ = 0;
    bool had_icon_ = false;
    bool had_owner_ = false;
    bool was_foreground_ = false;
    bool answered_ = false;
    std::thread thread_;
};

// The folder of the bench's WinIo32.dll, as a Windows path.
std::wstring WinIoDir();

}  // namespace kestrix::test
