#include "machine.h"
#include "region.h"

#include <time.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace winio_sim {
namespace {

class PosixRegion final : public Region {
public:
    PosixRegion(void* p, size_t n) : p_(p), n_(n) {}
    ~PosixRegion() override { munmap(p_, n_); }
    void* data() override { return p_; }

private:
    void* p_;
    size_t n_;
};

}  // namespace

std::string Region::path_of(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/winio-sim-" + name + ".bin";
}

std::unique_ptr<Region> Region::open(const std::string& name, size_t size, std::string* error) {
    const std::string path = path_of(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 ||
        (static_cast<size_t>(st.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0)) {
        *error = path + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED) {
        *error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<PosixRegion>(p, size);
}

uint64_t monotonic_us() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

std::string bench_name() {
    const char* n = std::getenv("WINIO_SIM");
    return n && *n ? n : "default";
}

}  // namespace winio_sim
