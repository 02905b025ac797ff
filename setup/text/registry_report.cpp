#include "text/registry_report.h"

namespace trellup {

std::string EntryName(const std::string& cls, const std::string& device) { return cls + "\\" + device; }

void ReportRegistryFailure(IShell& shell, const std::string& action, const std::string& reason,
                           const std::string& kept) {
    shell.MsgBox("Could not " + action + " : " + reason + "\n\n" + kept, mb::kOk | mb::kIconExclamation, "Information");
}

void ReportRegistryFailure(IShell& shell, const std::string& action, int32_t code, const std::string& kept) {
    ReportRegistryFailure(shell, action, shell.ErrorText(code), kept);
}

}  // namespace trellup
