// Per-process bench for the control object tests: this thread in a
// single-threaded apartment, OposBench.dll registered into the prefix, the
// bench's device entries written, and private bench names.
#pragma once

#include <windows.h>

#include <string>

namespace opos_bench::test {

std::string BenchName();
// Class identifiers of the four control objects and their event interfaces.
extern const CLSID kCashDrawer, kLineDisplay, kMsr;
extern const IID kCashDrawerEvents, kLineDisplayEvents, kMsrEvents;

}  // namespace opos_bench::test
