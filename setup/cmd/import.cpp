#include "cmd/import.h"

#include <algorithm>

#include "text/ascii_case.h"
#include "cmd/device_entries.h"
#include "common/entry/cash_drawer_entry.h"
#include "store/mod_registry.h"

namespace trellup::cmd {
namespace {

namespace entry = common::entry::narrow;

constexpr const char* kClass = entry::kCashDrawerClass;

// The folder the writer puts into DllPath: the one given to the import,
// whatever program runs it.
class GivenFolder : public IProgramFolder {
public:
    GivenFolder(std::string folder, const IProgramFolder* running) : folder_(std::move(folder)), running_(running) {}
    std::string Get() const override { return folder_; }
    bool Holds(const std::string& file_name) const override { return running_->Holds(file_name); }

private:
    std::string folder_;
    const IProgramFolder* running_;
};

EntryValue Text(const char* name, const std::string& text) {
    EntryValue v;
    v.name = name;
    v.is_text = true;
    v.text = text;
    return v;
}
EntryValue Number(const char* name, int32_t number) {
    EntryValue v;
    v.name = name;
    v.number = number;
    return v;
}

// Every value the entry holds once written: the record as the writer
// writes it, then the hand-set values.
std::vector<EntryValue> Desired(const DeviceEntry& e, const std::string& dll_path) {
    const CashDrawerDevice d = RecordOf(e);
    std::vector<EntryValue> v = {
        Text("", d.SOProgID),
        Text(entry::kDescription, d.Description),
        Text(entry::kDeviceName, e.name),
        Text(entry::kDeviceDesc, d.DeviceDesc),
        Text(entry::kDllPath, dll_path),
        Text(entry::kMaster, d.Master),
        Number(entry::kCheckStatusPeriod, d.CheckStatusPeriod),
        Number(entry::kConnectorPinNo, d.ConnectorPinNo),
        Number(entry::kMasterValue, d.MasterValue),
        Number(entry::kOpenStatusPhase, d.OpenStatusPhase),
        Number(entry::kPulseOnTime, d.PulseOnTime),
        Number(entry::kTimeout, d.Timeout),
    };
    for (EntryValue& h : HandSetValues(e)) v.push_back(std::move(h));
    return v;
}

// Names of the wanted values that `held` lacks or holds otherwise, then of
// the values `held` has beyond them.
std::string Differences(const std::vector<EntryValue>& wanted, const DeviceEntry& held) {
    std::string names;
    auto add = [&](const std::string& name) {
        if (!names.empty()) names += ", ";
        names += name.empty() ? kDefaultValueName : name;
    };
    for (const EntryValue& w : wanted) {
        if (std::none_of(held.values.begin(), held.values.end(), [&](const EntryValue& h) { return h == w; })) {
            add(w.name);
        }
    }
    for (const EntryValue& h : held.values) {
        if (std::none_of(wanted.begin(), wanted.end(),
                         [&](const EntryValue& w) { return SameIgnoringCase(w.name, h.name); })) {
            add(h.name);
        }
    }
    return names;
}

// One planned write and what undoes it.
struct Work {
    Work(const DeviceEntry* e, ImportLine* l, bool was) : entry(e), line(l), existed(was) {}
    const DeviceEntry* entry;
    ImportLine* line;
    bool existed;
    std::vector<modRegistry::DeviceValue> before;  // the entry's values before the write
};

// Puts the entry back as it was before the write: a new one is deleted; an
// existing one loses the values it did not have and gets its former ones
// back.
bool Restore(const StorePlatform& p, const Work& w) {
    if (!w.existed)
        return modRegistry::DeleteRegKey(p, modRegistry::ClassKeyPath(kClass), w.entry->name) == kRegSuccess;
    std::vector<modRegistry::DeviceValue> now;
    const std::string path = modRegistry::DeviceKeyPath(kClass, w.entry->name);
    modRegistry::ReadKeyValues(p, path, &now);
    IRegistry& r = *p.registry;
    IRegistry::Key key = 0;
    if (r.CreateKey(path.c_str(), &key) != kRegSuccess) return false;
    bool ok = true;
    for (const modRegistry::DeviceValue& v : now) {
        const bool had = std::any_of(w.before.begin(), w.before.end(), [&](const modRegistry::DeviceValue& b) {
            return SameIgnoringCase(b.name, v.name);
        });
        if (!had) ok = r.DeleteValue(key, v.name.c_str()) == kRegSuccess && ok;
    }
    for (const modRegistry::DeviceValue& v : w.before) {
        const uint8_t none = 0;
        ok = r.SetValue(key, v.name.c_str(), v.type, v.data.empty() ? &none : v.data.data(),
                        static_cast<uint32_t>(v.data.size())) == kRegSuccess &&
             ok;
    }
    r.CloseKey(key);
    return ok;
}

// Writes one entry: the record with the property dialog's saving writer,
// which writes it whole or not at all (and, replacing, leaves the key
// holding the record only), then the hand-set values. A failure after the
// record undoes it. The first failure, or kRegSuccess.
int32_t WriteEntry(const StorePlatform& writer, Work& w, bool* restored) {
    const DeviceEntry& e = *w.entry;
    if (w.existed) modRegistry::ReadKeyValues(writer, modRegistry::DeviceKeyPath(kClass, e.name), &w.before);
    const modRegistry::SaveResult saved = modRegistry::SaveDeviceRecord(writer, RecordOf(e), "", w.existed);
    if (saved.result != kRegSuccess) {
        *restored = saved.restored;
        return saved.result;
    }
    for (const EntryValue& h : HandSetValues(e)) {
        const int32_t rc = h.is_text ? modRegistry::SetDeviceString(writer, kClass, e.name, h.name, h.text)
                                     : modRegistry::SetDeviceDword(writer, kClass, e.name, h.name, h.number);
        if (rc != kRegSuccess) {
            *restored = Restore(writer, w);
            return rc;
        }
    }
    return kRegSuccess;
}

}  // namespace

const char* OutcomeText(Outcome o) {
    switch (o) {
    case Outcome::Created: return "created";
    case Outcome::Updated: return "updated";
    case Outcome::Unchanged: return "unchanged";
    case Outcome::Refused: break;
    }
    return "refused";
}

bool ImportReport::any_refused() const {
    return std::any_of(lines.begin(), lines.end(), [](const ImportLine& l) { return l.outcome == Outcome::Refused; });
}

ImportReport Import(const StorePlatform& p, const ProvisioningFile& file, const ImportOptions& o) {
    ImportReport report;
    report.lines.reserve(file.devices.size());
    std::vector<Work> work;

    // Plan every entry before writing any.
    for (const DeviceEntry& e : file.devices) {
        report.lines.push_back({e.name, Outcome::Created, ""});
        ImportLine& line = report.lines.back();
        DeviceEntry held;
        const int32_t rc = ReadDeviceEntry(p, e.name, true, &held, nullptr);
        if (rc == kRegFileNotFound) {
            work.emplace_back(&e, &line, false);
            continue;
        }
        if (rc != kRegSuccess) {
            line.outcome = Outcome::Refused;
            line.reason = "its entry cannot be read (registry error " + std::to_string(rc) + ")";
            continue;
        }
        const std::string changed = Differences(Desired(e, o.dll_path), held);
        if (changed.empty()) {
            line.outcome = Outcome::Unchanged;
        } else if (!o.replace) {
            line.outcome = Outcome::Refused;
            line.reason = "exists with other values (" + changed + "); --replace changes it";
        } else {
            line.outcome = Outcome::Updated;
            line.reason = changed;
            work.emplace_back(&e, &line, true);
        }
    }
    auto refuse_rest = [&](size_t from, const std::string& reason) {
        for (size_t i = from; i < work.size(); ++i) {
            work[i].line->outcome = Outcome::Refused;
            work[i].line->reason = reason;
        }
    };
    if (o.all_or_nothing && report.any_refused()) {
        refuse_rest(0, "not written: another entry is refused");
        return report;
    }
    if (o.dry_run || work.empty()) return report;

    // Rights to write the class key, asked once before the first write.
    IRegistry::Key class_key = 0;
    const int32_t rights = p.registry->CreateKey(modRegistry::ClassKeyPath(kClass).c_str(), &class_key);
    if (rights == kRegSuccess) p.registry->CloseKey(class_key);
    if (rights == kRegAccessDenied) {
        report.no_rights = true;
        report.registry_result = rights;
        refuse_rest(0, "not written: no rights to write the OPOS area");
        return report;
    }

    GivenFolder folder(o.dll_path, p.folder);
    StorePlatform writer = p;
    writer.folder = &folder;
    std::vector<size_t> written;
    for (size_t i = 0; i < work.size(); ++i) {
        Work& w = work[i];
        bool restored = true;
        int32_t rc = WriteEntry(writer, w, &restored);
        if (rc == kRegSuccess) {
            // What the registry holds now is what the file says.
            DeviceEntry now;
            ReadDeviceEntry(p, w.entry->name, true, &now, nullptr);
            if (Differences(Desired(*w.entry, o.dll_path), now).empty()) {
                written.push_back(i);
                continue;
            }
            restored = Restore(p, w);
        }
        w.line->outcome = Outcome::Refused;
        w.line->reason = std::string("could not be written whole (") +
                         (rc != kRegSuccess ? "registry error " + std::to_string(rc) : "it reads back otherwise") +
                         "); " + (restored ? "left as it was" : "could not be put back as it was");
        if (!o.all_or_nothing) continue;
        for (size_t j : written) {
            const bool undone = Restore(p, work[j]);
            work[j].line->outcome = Outcome::Refused;
            work[j].line->reason = undone ? "undone: another entry could not be written"
                                          : "another entry could not be written, and this one not be undone";
        }
        refuse_rest(i + 1, "not written: another entry could not be written");
        break;
    }
    return report;
}

}  // namespace trellup::cmd
