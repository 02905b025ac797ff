#include "hardware/port_lock.h"

namespace kestrix {

std::mutex g_csPortAccess;

}  // namespace kestrix
