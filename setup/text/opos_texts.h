// Short English texts for the OPOS codes the utility shows. Pure functions;
// a value outside a table gives "Unknowen".
#pragma once

#include <cstdint>
#include <string>

namespace trellup {

std::string ResultCodeText(int32_t code);   // ResultCode and method results
std::string OpenResultText(int32_t code);   // OpenResult
std::string PowerStateText(int32_t value);  // PowerState
std::string StateText(int32_t value);       // State

}  // namespace trellup
