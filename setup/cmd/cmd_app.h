// TrellupCmd's commands (list, export, import, check) over the store's
// platform, a control object factory and the few file and clock services
// below. Arguments and output are UTF-8; data goes to `out`, messages to
// `err`. Portable: the Windows program and the installer's action supply the
// environment, tests a fake one.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "cmd/provisioning.h"
#include "platform/opos_control.h"
#include "platform/store_platform.h"

namespace trellup::cmd {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;   // some entries refused, or some drawers failing
constexpr int kExitUsage = 2;     // bad usage or unreadable file
constexpr int kExitNoRights = 3;  // no rights to write HKLM

class ICmdEnv {
public:
    enum class FileResult { Ok, NotFound, TooLarge, Unreadable };

    virtual ~ICmdEnv() = default;
    virtual StorePlatform store() = 0;
    virtual const ITextCodec& codec() = 0;
    // The cash drawer control object, created when `check` needs it.
    virtual IOposControlFactory& controls() = 0;
    // Reads the whole file at `path` (UTF-8) into *content; a file larger
    // than `max_bytes` is not read (TooLarge).
    virtual FileResult ReadFile(const std::string& path, uint64_t max_bytes, std::string* content) = 0;
    // Writes `content` to `path`, replacing it; false (with *error) on failure.
    virtual bool WriteFile(const std::string& path, const std::string& content, std::string* error) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual int64_t NowMs() = 0;        // a monotonic clock
    virtual std::string NowUtc() = 0;   // "2025-06-01T08:30:00Z"
    virtual std::string Version() = 0;  // "1.0.0.0"
    // Delivers events a control object posted to this thread.
    virtual void Pump() {}
};

// Runs one command line (`args` without the program name).
int RunCommand(const std::vector<std::string>& args, ICmdEnv& env, std::ostream& out, std::ostream& err);

}  // namespace trellup::cmd
