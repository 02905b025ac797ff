// The installer's provisioning actions, run by Windows Installer from the
// package's Binary table. Both run TrellupCmd's import on the file named by
// the DEVICES property, in this DLL's process and registry view, with every
// line of its report written into the installer's log:
//   ValidateDevices  immediate, before any file is installed: a dry run, so
//                    a refused file fails the install before it changes
//                    anything;
//   ImportDevices    deferred, elevated, after the files: the import.
// Both take "<file>|<dll folder>|<replace>" ('|' cannot occur in a path):
// the first from the property KxDeviceImport, the second as its
// CustomActionData. The import runs with --all-or-nothing, so a failed
// install leaves the device entries as they were. No exception leaves an
// entry point.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <sstream>
#include <string>
#include <vector>

#include "win32_cmd_env.h"

namespace {

using trellup::cmd::win32::Utf8FromWide;
using trellup::cmd::win32::WideFromUtf8;

// A record handle that closes itself.
class Record {
public:
    explicit Record(UINT fields) : h_(MsiCreateRecord(fields)) {}
    ~Record() {
        if (h_ != 0) MsiCloseHandle(h_);
    }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    MSIHANDLE get() const { return h_; }

private:
    MSIHANDLE h_;
};

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    DWORD size = 0;
    wchar_t empty[1] = {L'\0'};
    if (MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA) return std::wstring();
    std::vector<wchar_t> buffer(size + 1);
    size = static_cast<DWORD>(buffer.size());
    if (MsiGetPropertyW(install, name, buffer.data(), &size) != ERROR_SUCCESS) return std::wstring();
    return std::wstring(buffer.data(), size);
}

void Log(MSIHANDLE install, INSTALLMESSAGE kind, const std::string& text) {
    Record r(0);
    if (r.get() == 0) return;
    MsiRecordSetStringW(r.get(), 0, WideFromUtf8(text).c_str());
    MsiProcessMessage(install, kind, r.get());
}

UINT Run(MSIHANDLE install, const std::wstring& data, bool dry_run) {
    std::vector<std::string> fields;
    std::stringstream in(Utf8FromWide(data));
    for (std::string f; std::getline(in, f, '|');) fields.push_back(f);
    fields.resize(3);
    const std::string prefix = dry_run ? "TrellupCmd import (check before install): " : "TrellupCmd import: ";
    std::vector<std::string> args = {"import", fields[0], "--all-or-nothing"};
    if (!fields[1].empty()) args.insert(args.end(), {"--dllpath", fields[1]});
    if (!fields[2].empty() && fields[2] != "0") args.push_back("--replace");
    if (dry_run) args.push_back("--dry-run");

    std::ostringstream out, err;
    int code;
    try {
        trellup::cmd::win32::Win32CmdEnv env;
        code = trellup::cmd::RunCommand(args, env, out, err);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        code = trellup::cmd::kExitRefused;
    }
    for (const std::string& text : {out.str(), err.str()}) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) Log(install, INSTALLMESSAGE_INFO, prefix + line);
    }
    if (code == trellup::cmd::kExitOk) return ERROR_SUCCESS;
    Log(install, INSTALLMESSAGE_INFO,
        prefix + "the provisioning file " + fields[0] + " was refused (exit code " + std::to_string(code) +
            "); the device entries are as they were");
    return ERROR_INSTALL_FAILURE;
}

}  // namespace

extern "C" UINT __stdcall ValidateDevices(MSIHANDLE install) {
    try {
        return Run(install, Property(install, L"KxDeviceImport"), true);
    } catch (...) {
        return ERROR_INSTALL_FAILURE;
    }
}

extern "C" UINT __stdcall ImportDevices(MSIHANDLE install) {
    try {
        return Run(install, Property(install, L"CustomActionData"), false);
    } catch (...) {
        return ERROR_INSTALL_FAILURE;
    }
}
