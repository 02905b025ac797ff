// Shared pieces of TrellupCmd's native tests: a Latin-1 code page, an
// environment over the store's fakes, and a sample provisioning file.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cmd/cmd_app.h"
#include "support/fake_opos_control.h"
#include "support/fake_profile.h"
#include "support/fake_registry.h"

namespace trellup::cmd::test {

// Windows-1252 without its 0x80-0x9F extras: every code point up to U+00FF.
class Latin1Codec : public ITextCodec {
public:
    bool ToAnsi(const std::string& utf8, std::string* ansi) const override {
        ansi->clear();
        for (size_t i = 0; i < utf8.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(utf8[i]);
            if (c < 0x80) {
                ansi->push_back(static_cast<char>(c));
            } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
                ansi->push_back(static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F)));
            } else {
                return false;
            }
        }
        return true;
    }
    std::string ToUtf8(const std::string& ansi) const override {
        std::string out;
        for (unsigned char c : ansi) {
            if (c < 0x80) {
                out.push_back(static_cast<char>(c));
            } else {
                out.push_back(static_cast<char>(0xC0 | (c >> 6)));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            }
        }
        return out;
    }
};

// Control objects that answer as scripted here before the command runs.
class ScriptedFactory : public IOposControlFactory {
public:
    std::unique_ptr<IOposControl> Create(const std::string& class_name, IOposEvents* events) override {
        std::unique_ptr<IOposControl> object = fakes.Create(class_name, events);
        auto* fake = static_cast<trellup::test::FakeOposControl*>(object.get());
        fake->results = results;
        fake->properties = properties;
        return object;
    }
    trellup::test::FakeOposFactory fakes;
    std::map<std::string, int32_t> results;
    std::map<std::string, OposValue> properties;
};

class FakeEnv : public ICmdEnv {
public:
    StorePlatform store() override { return {&registry, &profile, &folder}; }
    const ITextCodec& codec() override { return codec_; }
    IOposControlFactory& controls() override { return factory; }
    FileResult ReadFile(const std::string& path, uint64_t max_bytes, std::string* content) override {
        auto it = files.find(path);
        if (it == files.end()) return FileResult::NotFound;
        if (it->second.size() > max_bytes) return FileResult::TooLarge;
        *content = it->second;
        return FileResult::Ok;
    }
    bool WriteFile(const std::string& path, const std::string& content, std::string*) override {
        files[path] = content;
        return true;
    }
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    int64_t NowMs() override { return clock += 7; }
    std::string NowUtc() override { return "2025-06-01T08:30:00Z"; }
    std::string Version() override { return "1.2.3.4"; }

    trellup::test::FakeRegistry registry;
    trellup::test::FakeProfile profile;
    trellup::test::FakeProgramFolder folder{"C:\\Kestrix"};
    ScriptedFactory factory;
    std::map<std::string, std::string> files;
    int64_t clock = 0;

private:
    Latin1Codec codec_;
};

inline const std::string kDrawerKey = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer";

// One device of the file: the values of a bench drawer (MasterValue 8)
// with `extra` JSON members appended inside "values".
inline std::string DeviceJson(const std::string& name, const std::string& extra = "",
                              const std::string& master_value = "8") {
    return R"({"name": ")" + name + R"J(", "class": "CashDrawer", "values": {
      "(default)": "Kestrix.CashDrawer", "Description": "Kestrix cash drawer", "DeviceName": ")J" +
           name + R"(",
      "DeviceDesc": "Bench drawer", "Master": "Bench", "CheckStatusPeriod": 300, "ConnectorPinNo": 1,
      "MasterValue": )" +
           master_value + R"(, "OpenStatusPhase": 0, "PulseOnTime": 100, "Timeout": 2000)" + extra + "}}";
}

inline std::string FileJson(const std::vector<std::string>& devices) {
    std::string list;
    for (const std::string& d : devices) list += (list.empty() ? "" : ", ") + d;
    return R"({"format": 1, "exported_by": "TrellupCmd 1.2.3.4", "devices": [)" + list + "]}";
}

// The five hand-set values of MasterValue 99 on the bench's ports.
inline const std::string kPorts = R"(, "CD_Port": 640, "CD_Fire": 16, "CS_Port": 641, "CS_Status": 1, "CD_Phase": 0)";

// Runs one command line; keeps its exit code and both streams.
struct CmdRun {
    CmdRun(FakeEnv& env, const std::vector<std::string>& args) { code = RunCommand(args, env, out_stream, err_stream); }
    std::string out() const { return out_stream.str(); }
    std::string err() const { return err_stream.str(); }
    int code = -1;
    std::ostringstream out_stream, err_stream;
};

}  // namespace trellup::cmd::test
