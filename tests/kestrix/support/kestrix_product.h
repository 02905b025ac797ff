// What the programs that run Kestrix.dll on the bench share: the product
// folder's Kestrix.dll registered into the prefix, and the process's thread
// count (a monitor left behind shows there). Compiled into each program with
// its OPOS_BENCH_PRODUCT_DIR.
#pragma once

namespace opos_bench::test {

// Registers the product folder's Kestrix.dll through its DllRegisterServer,
// once per process (the library stays loaded); later calls give the first
// call's answer. False when the library is missing or refuses.
bool RegisterKestrixOnce();

// Threads of this process now; -1 when the snapshot fails.
int ThreadCount();

}  // namespace opos_bench::test
