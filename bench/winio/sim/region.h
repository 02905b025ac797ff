// A named block of shared memory backed by a file, so that it outlives the
// processes that use it: natively a mapped file in the temporary folder, on
// Windows a named file mapping over a file in %TEMP%.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace winio_sim {

class Region {
public:
    virtual ~Region() = default;
    virtual void* data() = 0;
    // Maps (creating if needed) the region called `name` of `size` bytes.
    // A new region reads as zeros. Null on failure, with a reason in *error.
    static std::unique_ptr<Region> open(const std::string& name, size_t size, std::string* error);
    // The backing file of a region, for people and tests.
    static std::string path_of(const std::string& name);
};

// The bench name of this process: WINIO_SIM from the environment, else "default".
std::string bench_name();

}  // namespace winio_sim
