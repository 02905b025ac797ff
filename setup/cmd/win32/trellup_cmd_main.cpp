// TrellupCmd.exe: the console program beside Trellup.exe. Arguments arrive
// as UTF-16 and go on as UTF-8; output is UTF-8 (the console is switched to
// it). COM is initialised for `check`, in a single-threaded apartment as
// Trellup's window thread has it.
#include <windows.h>
#include <objbase.h>

#include <iostream>
#include <string>
#include <vector>

#include "win32_cmd_env.h"

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(trellup::cmd::win32::Utf8FromWide(argv[i]));
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code;
    try {
        trellup::cmd::win32::Win32CmdEnv env;
        code = trellup::cmd::RunCommand(args, env, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "TrellupCmd: " << e.what() << "\n";
        code = trellup::cmd::kExitRefused;
    }
    std::cout.flush();
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
