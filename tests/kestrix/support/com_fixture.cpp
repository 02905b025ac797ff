#include "com_fixture.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include "device_entry.h"
#include "ui_automation.h"

namespace kestrix::test {

namespace {

struct ComEnvironment : ::testing::Environment {
    ComEnvironment() { SetEnvironmentVariableA("WINIO_SIM", BenchName().c_str()); }
    void SetUp() override {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        ASSERT_EQ(Regsvr32(L""), 0);
    }
    void TearDown() override {
        CoFreeUnusedLibrariesEx(0, 0);
        CoUninitialize();
        DeleteFileA(winio_sim::Region::path_of(BenchName()).c_str());
    }
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace

namespace {
std::wstring WindowsPath(const std::string& unix_path) {
    std::wstring w(L"Z:");
    for (char c : unix_path) w += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return w;
}
}  // namespace

std::wstring KestrixDll() { return WindowsPath(KESTRIX_DLL_PATH); }

#ifdef _WIN64
std::wstring KestrixDll32() { return WindowsPath(KESTRIX_DLL32_PATH); }
#endif

std::string BenchName() { return "com-wine-" + std::to_string(GetCurrentProcessId()); }

int RunProcess(const std::wstring& command_line, std::string* output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return -1;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end;
    si.hStdError = write_end;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = command_line;
    const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(write_end);
    if (!started) {
        CloseHandle(read_end);
        return -1;
    }
    std::string text;
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(read_end);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (output != nullptr) *output = text;
    return static_cast<int>(code);
}

int Regsvr32(const std::wstring& args) {
    return RunProcess(L"regsvr32.exe /s " + args + L" \"" + KestrixDll() + L"\"");
}

Bench::Bench() {
    std::string error;
    machine_ = winio_sim::Machine::open(BenchName(), &error);
    if (!machine_) {
        ADD_FAILURE() << error;
        return;
    }
    machine_->reset();
    machine_->select_profile(8);
    machine_->set_timings({20, 150, 0});
    kestrix::test::DeviceEntry entry;
    entry.dll_path = kestrix::test::WinIoDir();
    kestrix::test::WriteDeviceEntry(entry);
}

Bench::~Bench() {
    kestrix::test::DeleteDeviceEntry("KxWineDrawer");
    if (machine_) machine_->reset();
}

}  // namespace kestrix::test
