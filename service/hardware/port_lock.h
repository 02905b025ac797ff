// The process-wide port lock.
#pragma once

#include <mutex>

namespace kestrix {

// Serialises every whole Pulse (its waits included) and every ReadStatus of
// every hardware variant of every service object in the process, so that one
// Super I/O configuration sequence never interleaves with another.
//
// Lifetime: a namespace-scope std::mutex is constant-initialised (it exists
// before any constructor of the process runs) and has nothing to release, so
// it is usable from the first service object to the last, in whatever order
// they are created and destroyed. No variant creates or deletes it.
extern std::mutex g_csPortAccess;

}  // namespace kestrix
