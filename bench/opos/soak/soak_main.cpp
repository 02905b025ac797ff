// kestrix_soak: a terminal's long day in one process. The main thread and a
// second apartment thread each drive a cash drawer of the two-connector
// board through the bench's control object and Kestrix.dll, cycle after
// cycle, while the process's handles, threads and private bytes are sampled.
//
//   kestrix_soak [--cycles N | --minutes M] [--sample K] [--warmup W] [--trend-report-only]
//
// Prints a line every K cycles (1000 by default) of the main drawer and one
// closing verdict; exits 1 on a failed call, a lost or duplicate event, a
// figure that keeps rising over the last half of the run, or a thread left
// behind after the last Close.
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "device_entry.h"
#include "drawer_cycle.h"
#include "kestrix_product.h"
#include "machine.h"
#include "process_figures.h"
#include "setup_entries.h"

namespace kestrix_soak {
namespace {

constexpr int kTwoConnectorProfile = 3;
constexpr const char* kDeviceNames[2] = {"SoakTessik1", "SoakTessik2"};
constexpr const wchar_t* kDeviceNamesW[2] = {L"SoakTessik1", L"SoakTessik2"};
// Growth over the last half of the run that still counts as noise: Wine
// creates and ends helper threads and caches handles on its own.
constexpr double kHandleAllowance = 16;
constexpr double kThreadAllowance = 3;
constexpr double kPrivateBytesAllowance = 2.0 * 1024 * 1024;

struct Options {
    uint64_t cycles = 10000;
    uint64_t minutes = 0;  // 0: run by cycles
    uint64_t sample = 1000;
    // Cycles of both drawers before the baseline: the threading runtime and
    // Wine keep pools (thread records, their events) that fill up to the
    // run's highest concurrency and are reused from then on.
    uint64_t warmup = 50;
    // Prints the rises without failing on them: a short run cannot tell a
    // pool that is still filling from a leak; the long run judges trends.
    bool trend_report_only = false;
};

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--trend-report-only") == 0) {
            o->trend_report_only = true;
            continue;
        }
        const bool has_value = i + 1 < argc;
        const uint64_t value = has_value ? std::strtoull(argv[i + 1], nullptr, 10) : 0;
        if (std::strcmp(argv[i], "--cycles") == 0 && value > 0) {
            o->cycles = value;
        } else if (std::strcmp(argv[i], "--minutes") == 0 && value > 0) {
            o->minutes = value;
        } else if (std::strcmp(argv[i], "--sample") == 0 && value > 0) {
            o->sample = value;
        } else if (std::strcmp(argv[i], "--warmup") == 0 && has_value) {
            o->warmup = value;
        } else {
            return false;
        }
        ++i;
    }
    return true;
}

std::unique_ptr<winio_sim::Machine> PrepareBench() {
    const std::string name = "kestrix-soak-" + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA("WINIO_SIM", name.c_str());
    SetEnvironmentVariableA("OPOS_SIM", name.c_str());
    std::string error;
    auto machine = winio_sim::Machine::open(name, &error);
    if (!machine) {
        std::fprintf(stderr, "soak: bench machine: %s\n", error.c_str());
        return nullptr;
    }
    machine->reset();
    machine->set_timings({10, 10, 0});
    if (!machine->select_profile(kTwoConnectorProfile)) return nullptr;
    for (int i = 0; i < 2; ++i) {
        kestrix::test::DeviceEntry e;
        e.name = kDeviceNames[i];
        e.dll_path = OPOS_BENCH_PRODUCT_DIR;
        e.master_value = kTwoConnectorProfile + i;  // connector 1 and connector 2
        e.open_status_phase = 1;
        e.pulse_on_time = 20;
        e.timeout = 1000;
        e.check_status_period = 10;
        kestrix::test::WriteDeviceEntry(e);
    }
    return machine;
}

// The second drawer's application thread: its own apartment, its own
// control object, cycles until told to stop.
class SecondApplication {
public:
    explicit SecondApplication(winio_sim::Machine* machine) : machine_(machine) {}
    void Start(uint64_t max_cycles) {
        thread_ = std::thread([this, max_cycles] { Main(max_cycles); });
    }
    void StopAndJoin() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<uint64_t> cycles{0}, received{0}, expected{0};
    std::string failure;  // read after StopAndJoin

private:
    void Main(uint64_t max_cycles) noexcept {
        try {
            if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
                failure = "second thread: CoInitializeEx failed";
                return;
            }
            {
                DrawerCycle drawer(machine_, 1, kDeviceNamesW[1]);
                if (!drawer.ok()) failure = "second thread: no control object";
                while (failure.empty() && !stop_ && cycles < max_cycles) {
                    std::string why;
                    if (!drawer.Run(&why)) failure = "second drawer, cycle " + std::to_string(cycles + 1) + ": " + why;
                    received = drawer.events_received();
                    expected = drawer.events_expected();
                    ++cycles;
                }
            }
            CoUninitialize();
        } catch (...) {
            failure = "second thread: exception";
        }
    }
    winio_sim::Machine* machine_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Series {
    std::vector<Sample> handles, threads, private_bytes;
    void Add(uint64_t cycle, const ProcessFigures& f) {
        handles.push_back({cycle, static_cast<double>(f.handles)});
        threads.push_back({cycle, static_cast<double>(f.threads)});
        private_bytes.push_back({cycle, static_cast<double>(f.private_bytes)});
    }
};

bool Judge(const char* what, const std::vector<Sample>& s, double allowance, std::string* failure) {
    const double rise = RiseOverLastHalf(s);
    std::printf("soak: %s rise over the last half %.0f (allowed %.0f)\n", what, rise, allowance);
    if (rise <= allowance) return true;
    if (failure->empty()) *failure = std::string(what) + " keeps rising";
    return false;
}

int Run(const Options& o) {
    auto machine = PrepareBench();
    if (!machine || !opos_bench::RegisterBenchServer(true) || !opos_bench::test::RegisterKestrixOnce()) {
        std::fprintf(stderr, "soak: the bench could not be prepared\n");
        return 2;
    }
    std::string failure;
    {
        // Warm-up, so that whatever the system creates once per process (or
        // once per level of concurrency) is there before the baseline.
        const uint64_t cycles = o.warmup > 0 ? o.warmup : 1;
        SecondApplication warm(machine.get());
        warm.Start(cycles);
        DrawerCycle first(machine.get(), 0, kDeviceNamesW[0]);
        if (!first.ok()) failure = "no control object";
        for (uint64_t i = 0; i < cycles && failure.empty(); ++i)
            if (!first.Run(&failure)) failure = "warm-up: " + failure;
        warm.StopAndJoin();
        if (failure.empty() && !warm.failure.empty()) failure = "warm-up: " + warm.failure;
    }
    if (!failure.empty()) {
        std::printf("soak: FAIL %s\n", failure.c_str());
        return 1;
    }
    opos_bench::test::CoClient::Pump(200);
    const ProcessFigures baseline = TakeFigures();
    std::printf("soak: baseline handles %" PRIu32 " threads %" PRIu32 " private_bytes %" PRIu64 "\n", baseline.handles,
                baseline.threads, baseline.private_bytes);

    Series series;
    const ULONGLONG start = GetTickCount64();
    const ULONGLONG end = start + o.minutes * 60000;
    uint64_t cycle = 0;
    {
        SecondApplication second(machine.get());
        second.Start(UINT64_MAX);
        DrawerCycle first(machine.get(), 0, kDeviceNamesW[0]);
        if (!first.ok()) failure = "no control object";
        for (;;) {
            if (!failure.empty()) break;
            if (o.minutes ? GetTickCount64() >= end : cycle >= o.cycles) break;
            std::string why;
            if (!first.Run(&why)) failure = "first drawer, cycle " + std::to_string(cycle + 1) + ": " + why;
            ++cycle;
            if (cycle % o.sample == 0) {
                const ProcessFigures f = TakeFigures();
                series.Add(cycle, f);
                std::printf("soak: cycle %" PRIu64 " handles %" PRIu32 " threads %" PRIu32 " private_bytes %" PRIu64
                            " events_received %" PRIu64 " events_expected %" PRIu64 " second_cycles %" PRIu64
                            " elapsed_s %.1f\n",
                            cycle, f.handles, f.threads, f.private_bytes,
                            first.events_received() + second.received.load(),
                            first.events_expected() + second.expected.load(), second.cycles.load(),
                            static_cast<double>(GetTickCount64() - start) / 1000.0);
                std::fflush(stdout);
            }
        }
        second.StopAndJoin();
        if (failure.empty()) failure = second.failure;
        std::printf("soak: cycles %" PRIu64 " and %" PRIu64 " (second drawer), events received %" PRIu64
                    " expected %" PRIu64 ", %.1f s\n",
                    cycle, second.cycles.load(), first.events_received() + second.received.load(),
                    first.events_expected() + second.expected.load(),
                    static_cast<double>(GetTickCount64() - start) / 1000.0);
    }
    std::string trend;
    Judge("handles", series.handles, kHandleAllowance, &trend);
    Judge("threads", series.threads, kThreadAllowance, &trend);
    Judge("private_bytes", series.private_bytes, kPrivateBytesAllowance, &trend);
    if (!trend.empty()) {
        if (o.trend_report_only) {
            std::printf("soak: note: %s (not judged in this run)\n", trend.c_str());
        } else if (failure.empty()) {
            failure = trend;
        }
    }
    // Every monitor ends with its Close; give Wine a moment to reap them.
    ProcessFigures after{};
    opos_bench::test::CoClient::PumpUntil([&] { return (after = TakeFigures()).threads <= baseline.threads; }, 2000);
    std::printf("soak: threads after the last Close %" PRIu32 " (baseline %" PRIu32 ")\n", after.threads,
                baseline.threads);
    if (after.threads > baseline.threads && failure.empty()) failure = "threads left behind after the last Close";
    if (!failure.empty()) {
        std::printf("soak: FAIL %s\n", failure.c_str());
        return 1;
    }
    std::printf("soak: PASS\n");
    return 0;
}

}  // namespace
}  // namespace kestrix_soak

int main(int argc, char** argv) {
    kestrix_soak::Options o;
    if (!kestrix_soak::ParseOptions(argc, argv, &o)) {
        std::fprintf(
            stderr, "usage: kestrix_soak [--cycles N | --minutes M] [--sample K] [--warmup W] [--trend-report-only]\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int rc = kestrix_soak::Run(o);
    CoUninitialize();
    return rc;
}
