#include "cmd/cmd_commands.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <ostream>

#include "cmd/device_entries.h"
#include "cmd/drawer_check.h"
#include "cmd/import.h"
#include "store/mod_registry.h"

namespace trellup::cmd {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kCashDrawer = common::entry::narrow::kCashDrawerClass;
constexpr const char* kPortLibrary = "WinIo32.dll";

// The check's control object needs somewhere to send events; the check
// looks at properties, not events.
class NoEvents : public IOposEvents {
public:
    void OnDataEvent(IOposControl&, int32_t) override {}
    void OnErrorEvent(IOposControl&, int32_t, int32_t, int32_t, int32_t*) override {}
    void OnStatusUpdateEvent(IOposControl&, int32_t) override {}
};

Json RecordJson(const CashDrawerDevice& d, const ITextCodec& c) {
    return Json{{"ClassName", c.ToUtf8(d.ClassName)},     {"SOProgID", c.ToUtf8(d.SOProgID)},
                {"Description", c.ToUtf8(d.Description)}, {"DeviceName", c.ToUtf8(d.DeviceName)},
                {"DeviceDesc", c.ToUtf8(d.DeviceDesc)},   {"Master", c.ToUtf8(d.Master)},
                {"MasterValue", d.MasterValue},           {"CheckStatusPeriod", d.CheckStatusPeriod},
                {"ConnectorPinNo", d.ConnectorPinNo},     {"OpenStatusPhase", d.OpenStatusPhase},
                {"PulseOnTime", d.PulseOnTime},           {"Timeout", d.Timeout}};
}

std::string Utf8Of(const ITextCodec& c, const std::string& ansi) { return c.ToUtf8(ansi); }

// The cash drawer devices of the registry, or a message and false.
bool CashDrawerNames(ICmdEnv& env, const Output& o, std::vector<std::string>* names) {
    const int32_t rc = modRegistry::SubkeyNames(env.store(), modRegistry::ClassKeyPath(kCashDrawer), names);
    if (rc != kRegSuccess && rc != kRegFileNotFound) {
        o.err << "the cash drawer entries cannot be read (registry error " << rc << ")\n";
        return false;
    }
    return true;
}

}  // namespace

int ListCommand(ICmdEnv& env, const Output& o) {
    const StorePlatform p = env.store();
    const ITextCodec& c = env.codec();
    std::vector<std::string> classes;
    const int32_t rc = modRegistry::SubkeyNames(p, kOposRoot, &classes);
    if (rc == kRegFileNotFound) {
        o.err << "no OPOS entries on this terminal\n";
        if (o.json) o.out << Json{{"classes", Json::array()}}.dump() << "\n";
        return kExitOk;
    }
    if (rc != kRegSuccess) {
        o.err << "the OPOS entries cannot be read (registry error " << rc << ")\n";
        return kExitRefused;
    }
    Json all = Json::array();
    int result = kExitOk;
    for (const std::string& cls : classes) {
        std::vector<std::string> devices;
        const int32_t drc = modRegistry::SubkeyNames(p, modRegistry::ClassKeyPath(cls), &devices);
        if (drc != kRegSuccess) {
            o.err << Utf8Of(c, cls) << ": its devices cannot be read (registry error " << drc << ")\n";
            result = kExitRefused;
        }
        Json class_json{{"class", c.ToUtf8(cls)}, {"devices", Json::array()}};
        if (devices.empty() && !o.json) o.out << c.ToUtf8(cls) << "\n";
        for (const std::string& name : devices) {
            std::string prog_id;
            modRegistry::QueryDeviceValue(p, cls, name, "", kRegSz, &prog_id, nullptr);
            Json device{{"name", c.ToUtf8(name)}, {"progid", c.ToUtf8(prog_id)}};
            if (!o.json) o.out << c.ToUtf8(cls) << "\t" << c.ToUtf8(name) << "\t" << c.ToUtf8(prog_id) << "\n";
            if (cls == kCashDrawer) {
                CashDrawerDevice d;
                modRegistry::ReadDeviceRecord(p, cls, name, &d);
                Json record = RecordJson(d, c);
                if (!o.json) {
                    for (const auto& item : record.items()) {
                        o.out << "\t" << item.key() << "\t"
                              << (item.value().is_string() ? item.value().get<std::string>() : item.value().dump())
                              << "\n";
                    }
                }
                device["record"] = std::move(record);
            }
            class_json["devices"].push_back(std::move(device));
        }
        all.push_back(std::move(class_json));
    }
    if (o.json) o.out << Json{{"classes", std::move(all)}}.dump() << "\n";
    return result;
}

int ExportCommand(ICmdEnv& env, const Output& o, const std::string& file, const std::vector<std::string>& wanted) {
    const StorePlatform p = env.store();
    const ITextCodec& c = env.codec();
    std::vector<std::string> names;
    for (const std::string& utf8 : wanted) {
        std::string ansi;
        if (!c.ToAnsi(utf8, &ansi) || !modRegistry::DeviceKeyExists(p, kCashDrawer, ansi)) {
            o.err << "export: there is no cash drawer device \"" << utf8 << "\"; nothing written\n";
            return kExitUsage;
        }
        names.push_back(ansi);
    }
    if (wanted.empty() && !CashDrawerNames(env, o, &names)) return kExitRefused;
    if (names.empty()) {
        o.err << "export: there is no cash drawer device to export; nothing written\n";
        return kExitRefused;
    }
    std::vector<DeviceEntry> entries;
    int result = kExitOk;
    for (const std::string& name : names) {
        DeviceEntry e;
        std::vector<std::string> skipped;
        const int32_t rc = ReadDeviceEntry(p, name, false, &e, &skipped);
        if (rc != kRegSuccess) {
            o.err << "export: " << c.ToUtf8(name) << ": cannot be read (registry error " << rc
                  << "); nothing written\n";
            return kExitRefused;
        }
        for (const std::string& s : skipped) {
            o.err << "export: " << c.ToUtf8(name) << ": value \"" << c.ToUtf8(s)
                  << "\" left out: only texts (REG_SZ) and numbers (REG_DWORD) are carried\n";
            result = kExitRefused;
        }
        entries.push_back(std::move(e));
    }
    std::string error;
    const std::string text = WriteProvisioning(entries, {"TrellupCmd " + env.Version(), env.NowUtc()}, c);
    if (!env.WriteFile(file, text, &error)) {
        o.err << "export: " << file << ": " << error << "\n";
        return kExitUsage;
    }
    for (const DeviceEntry& e : entries) o.out << "exported\t" << c.ToUtf8(e.name) << "\n";
    return result;
}

int ImportCommand(ICmdEnv& env, const Output& o, const ImportArgs& a) {
    const ITextCodec& c = env.codec();
    std::string text;
    switch (env.ReadFile(a.file, kMaxFileBytes, &text)) {
    case ICmdEnv::FileResult::Ok: break;
    case ICmdEnv::FileResult::NotFound:
        o.err << "import: " << a.file << ": no such file; nothing written\n";
        return kExitUsage;
    case ICmdEnv::FileResult::TooLarge:
        o.err << "import: " << a.file << ": larger than " << kMaxFileBytes / (1024 * 1024)
              << " MiB, not a provisioning file; nothing written\n";
        return kExitUsage;
    case ICmdEnv::FileResult::Unreadable:
        o.err << "import: " << a.file << ": cannot be read; nothing written\n";
        return kExitUsage;
    }
    const ReadResult read = ReadProvisioning(text, c);
    if (!read.errors.empty()) {
        for (const FileError& e : read.errors) o.err << "import: " << a.file << ": " << Describe(e) << "\n";
        o.err << "import: " << a.file << " refused; nothing written\n";
        return read.unreadable ? kExitUsage : kExitRefused;
    }

    ImportOptions options;
    options.replace = a.replace;
    options.dry_run = a.dry_run;
    options.all_or_nothing = a.all_or_nothing;
    std::string folder_utf8 = a.dll_path;
    if (folder_utf8.empty()) {
        options.dll_path = env.store().folder->Get();
        folder_utf8 = c.ToUtf8(options.dll_path);
    } else {
        while (folder_utf8.size() > 1 && (folder_utf8.back() == '\\' || folder_utf8.back() == '/')) {
            folder_utf8.pop_back();
        }
        if (!c.ToAnsi(folder_utf8, &options.dll_path)) {
            o.err << "import: --dllpath " << a.dll_path << ": not a folder name the registry can hold\n";
            return kExitUsage;
        }
    }
    if (!env.FileExists(folder_utf8 + "\\" + kPortLibrary)) {
        o.err << "import: warning: " << kPortLibrary << " is not in " << folder_utf8
              << ", which the entries' DllPath names: the drawers open once the port library is put there\n";
    }

    const ImportReport report = Import(env.store(), read.file, options);
    if (report.no_rights) {
        o.err << "import: no rights to write HKEY_LOCAL_MACHINE\\" << kOposRoot << " (registry error "
              << report.registry_result << "): run it as an administrator; nothing written\n";
    }
    for (const ImportLine& l : report.lines) {
        const std::string name = c.ToUtf8(l.device);
        if (o.json) {
            Json line{{"device", name}, {"status", OutcomeText(l.outcome)}};
            if (!l.reason.empty()) line[l.outcome == Outcome::Updated ? "changes" : "reason"] = c.ToUtf8(l.reason);
            if (a.dry_run) line["dry_run"] = true;
            o.out << line.dump() << "\n";
        } else {
            o.out << OutcomeText(l.outcome) << "\t" << name;
            if (!l.reason.empty()) o.out << "\t" << c.ToUtf8(l.reason);
            o.out << "\n";
        }
    }
    if (a.dry_run) o.err << "import: dry run: nothing written\n";
    if (report.no_rights) return kExitNoRights;
    return report.any_refused() ? kExitRefused : kExitOk;
}

int CheckCommand(ICmdEnv& env, const Output& o, const CheckArgs& a) {
    const ITextCodec& c = env.codec();
    std::vector<std::string> names;
    if (a.all) {
        if (!CashDrawerNames(env, o, &names)) return kExitRefused;
        if (names.empty()) {
            o.err << "check: there is no cash drawer device entry\n";
            return kExitRefused;
        }
    }
    for (const std::string& utf8 : a.names) {
        std::string ansi;
        if (!c.ToAnsi(utf8, &ansi)) ansi = utf8;  // cannot name an entry: the Open fails and says so
        names.push_back(ansi);
    }
    NoEvents events;
    const std::unique_ptr<IOposControl> drawer = env.controls().Create(kCashDrawer, &events);
    const int32_t level = a.fire ? kCheckExternal : kCheckInternal;
    int result = kExitOk;
    for (const std::string& name : names) {
        const CheckLine line = CheckDrawer(
            *drawer, name, level, [&] { return env.NowMs(); }, [&] { env.Pump(); });
        if (!line.healthy) result = kExitRefused;
        if (o.json) {
            Json steps = Json::array();
            for (const CheckStep& s : line.steps) {
                Json step{{"step", s.name}};
                if (s.status == kOk) {
                    step["result"] = s.result;
                } else {
                    char hex[16];
                    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(s.status));
                    step["hresult"] = hex;
                }
                step["text"] = s.text;
                steps.push_back(std::move(step));
            }
            o.out << Json{{"device", c.ToUtf8(line.device)},     {"healthy", line.healthy},
                          {"steps", std::move(steps)},           {"check_health_text", c.ToUtf8(line.health_text)},
                          {"drawer_opened", line.drawer_opened}, {"ms", line.milliseconds}}
                         .dump()
                  << std::endl;
        } else {
            o.out << c.ToUtf8(line.device) << "\t" << (line.healthy ? "healthy" : "failing") << "\t";
            for (size_t i = 0; i < line.steps.size(); ++i) {
                const CheckStep& s = line.steps[i];
                o.out << (i ? "; " : "") << s.name << " ";
                if (s.status == kOk) o.out << s.result << " ";
                o.out << s.text;
            }
            o.out << "\tCheckHealthText \"" << c.ToUtf8(line.health_text) << "\"\tDrawerOpened "
                  << (line.drawer_opened ? "True" : "False") << "\t" << line.milliseconds << " ms" << std::endl;
        }
    }
    return result;
}

}  // namespace trellup::cmd
