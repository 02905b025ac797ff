// The message box that tells the user a registry change did not happen:
// "Could not <action> : <reason>" and, after a blank line, what the registry
// now holds. Utility thread only.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shell.h"

namespace trellup {

// What a failed change that was undone (or never began) leaves.
constexpr const char* kRegistryNotChanged = "The registry was not changed.";

// "<class>\<device>", as the messages name an entry.
std::string EntryName(const std::string& cls, const std::string& device);

// Shows "Could not <action> : <reason>\n\n<kept>" with the caption
// "Information", an exclamation icon and an OK button.
void ReportRegistryFailure(IShell& shell, const std::string& action, const std::string& reason,
                           const std::string& kept = kRegistryNotChanged);

// The same with the system's text of registry result `code` as the reason.
void ReportRegistryFailure(IShell& shell, const std::string& action, int32_t code,
                           const std::string& kept = kRegistryNotChanged);

}  // namespace trellup
