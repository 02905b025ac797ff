// Writing a validated provisioning file into the OPOS area, one device entry
// at a time: the record with the property dialog's saving writer (all of it
// or nothing), then the hand-set values. An entry is either written whole or
// left as it was: after writing, every value is read back and compared; on a
// failure or any difference the entry is restored (a new one deleted, an
// existing one given back exactly its former values). Replacing an entry
// leaves it holding exactly the file's values and its DllPath.
#pragma once

#include <string>
#include <vector>

#include "cmd/provisioning.h"
#include "platform/store_platform.h"

namespace trellup::cmd {

struct ImportOptions {
    std::string dll_path;         // the entries' DllPath, without trailing backslash
    bool replace = false;         // change existing entries that hold other values
    bool dry_run = false;         // report only; write nothing
    bool all_or_nothing = false;  // one refused entry: write none, undo those written
};

enum class Outcome { Created, Updated, Unchanged, Refused };
const char* OutcomeText(Outcome o);  // "created", "updated", "unchanged", "refused"

struct ImportLine {
    std::string device;  // ANSI, as the registry holds it
    Outcome outcome = Outcome::Refused;
    std::string reason;  // why refused, or what an update changes ("Timeout, DllPath")
};

struct ImportReport {
    std::vector<ImportLine> lines;  // one per device, in file order
    bool no_rights = false;         // the class key cannot be written: nothing was
    int32_t registry_result = 0;    // the result that said so
    bool any_refused() const;
};

ImportReport Import(const StorePlatform& p, const ProvisioningFile& file, const ImportOptions& options);

}  // namespace trellup::cmd
