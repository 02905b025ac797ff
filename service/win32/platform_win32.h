// The Windows implementations of the service object's platform interfaces.
#pragma once

#include <windows.h>

#include "platform.h"

namespace kestrix::win32 {

// The core's strings are char16_t; Windows' wchar_t is the same 16-bit unit.
inline const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// HKEY_LOCAL_MACHINE through RegOpenKeyExW (KEY_READ, the view of the running
// build), RegQueryValueExW and RegCloseKey.
class RegistryKeyStore final : public IKeyStore {
public:
    Key OpenKey(const char16_t* path) override;
    bool QueryValue(Key key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) override;
    void CloseKey(Key key) override;
};

// LoadLibraryW by full path; the library is freed when its object is destroyed.
class ModuleLoader final : public ILibraryLoader {
public:
    std::unique_ptr<ILibrary> Load(const char16_t* path) override;
};

// MessageBoxW without owner window and without icon, topmost and in front.
class MessageBoxOperator final : public IOperator {
public:
    // The system's MessageBoxW, or a stand-in that sees the exact arguments.
    using ShowFn = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    explicit MessageBoxOperator(ShowFn show = &MessageBoxW) : show_(show) {}

    bool AskYesNo(const char16_t* caption, const char16_t* text) override;
    void ShowOk(const char16_t* caption, const char16_t* text) override;

private:
    ShowFn show_;
};

class SystemBeeper final : public IBeeper {
public:
    void Beep(uint32_t frequency_hz, uint32_t duration_ms) override;
};

// Sleep, GetTickCount64, and signals over manual-reset events whose
// dispatching wait runs the calling thread's message loop.
class SystemClock final : public IClock {
public:
    void Sleep(uint32_t ms) override;
    uint64_t NowMs() override;
    std::unique_ptr<ISignal> MakeSignal() override;
};

// One set of the above for the whole process; they hold no state of their own.
const Platform& SystemPlatform();

}  // namespace kestrix::win32
