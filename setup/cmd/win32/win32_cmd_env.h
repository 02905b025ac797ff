// TrellupCmd's environment on Windows: the store over the registry of the
// running build's view, the ANSI code page, the OPOS control objects over
// COM, files by UTF-8 path, the system clocks.
#pragma once

#include "cmd/cmd_app.h"
#include "dispatch_control.h"
#include "win32_store.h"

namespace trellup::cmd::win32 {

// The system's ANSI code page (CP_ACP), exact: a character without its own
// byte is refused, not replaced.
class AnsiCodec : public ITextCodec {
public:
    bool ToAnsi(const std::string& utf8, std::string* ansi) const override;
    std::string ToUtf8(const std::string& ansi) const override;
};

// UTF-8 to UTF-16 and back (invalid sequences become U+FFFD).
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);

// Used on one thread; `check` needs COM initialised on it (an apartment).
class Win32CmdEnv : public ICmdEnv {
public:
    StorePlatform store() override { return store_.platform(); }
    const ITextCodec& codec() override { return codec_; }
    IOposControlFactory& controls() override { return controls_; }
    FileResult ReadFile(const std::string& path, uint64_t max_bytes, std::string* content) override;
    bool WriteFile(const std::string& path, const std::string& content, std::string* error) override;
    bool FileExists(const std::string& path) override;
    int64_t NowMs() override;
    std::string NowUtc() override;
    std::string Version() override;
    void Pump() override;

private:
    trellup::win32::Win32Store store_;
    AnsiCodec codec_;
    trellup::win32::DispatchControlFactory controls_;
};

}  // namespace trellup::cmd::win32
