// Figures of the road of a status event through the bench's CashDrawer
// control object, in one process with Kestrix.dll on the port bench:
//   - sensor change to the application's handler (the monitor's sampling,
//     the event call and the control object's hand-over together), with the
//     changes placed in the monitor's period as the core benchmark places
//     them, so that this figure minus the core's "sensor change to event
//     call" is what the control object adds;
//   - the control object's hand-over alone: SOStatusUpdate called on a
//     worker thread until the application's handler has run on its thread.
// Prints figures (and "BENCH|" lines for scripts/bench.sh); asserts nothing.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "co_client.h"
#include "control_object.h"
#include "device_entry.h"
#include "dispatch_util.h"
#include "kestrix_product.h"
#include "machine.h"
#include "setup_entries.h"

namespace {

using opos_bench::test::B;
using opos_bench::test::CoClient;
using opos_bench::test::L;
using opos_bench::test::S;

constexpr int kPeriodMs = 300;  // the usual CheckStatusPeriod
constexpr double kTickMs = 10;  // the system tick a polling hand-over would wait for

// Dispatches the thread's messages for `ms` milliseconds on the simulator's
// clock. Unlike CoClient::Pump, which wakes in 10 ms steps, it returns within
// about a millisecond of the time, so a change lands where it is meant to.
void PumpFor(uint64_t ms) {
    const uint64_t end = winio_sim::monotonic_us() + ms * 1000;
    for (;;) {
        CoClient::Pump(0);
        const uint64_t now = winio_sim::monotonic_us();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>((end - now + 999) / 1000), QS_ALLINPUT);
    }
}

void Report(const char* key, const char* what, std::vector<double> ms, double reference, const char* basis) {
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-48s median %9.3f ms   worst %9.3f ms   (%zu runs)\n", what, median, ms.back(), ms.size());
    std::printf("BENCH|%s|%s|%.4f|%.4f|ms|%.4f|%s\n", key, what, median, ms.back(), reference, basis);
}

}  // namespace

int main() {
    const std::string name = "road-benchmark-" + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA("WINIO_SIM", name.c_str());
    SetEnvironmentVariableA("OPOS_SIM", name.c_str());
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    std::string error;
    auto machine = winio_sim::Machine::open(name, &error);
    if (!machine || !machine->select_profile(8) || !opos_bench::RegisterBenchServer(true) ||
        !opos_bench::test::RegisterKestrixOnce()) {
        std::printf("bench not available: %s\n", error.c_str());
        return 1;
    }
    kestrix::test::DeviceEntry e;
    e.name = "RoadBenchDrawer";
    e.dll_path = OPOS_BENCH_PRODUCT_DIR;
    e.check_status_period = kPeriodMs;
    kestrix::test::WriteDeviceEntry(e);

    {
        CoClient co(opos_bench::CashDrawerSpec().clsid, opos_bench::CashDrawerSpec().events);
        BSTR device = SysAllocString(L"RoadBenchDrawer");
        if (co.Call(L"Open", {S(device)}) != 0 || co.Call(L"ClaimDevice", {L(1000)}) != 0 ||
            co.Put(L"DeviceEnabled", B(true)) != S_OK) {
            std::printf("the drawer did not open\n");
            return 1;
        }
        std::atomic<uint64_t> handled_us{0};
        co.set_on_event([&](const opos_bench::test::ReceivedEvent&) { handled_us = winio_sim::monotonic_us(); });
        CoClient::Pump(kPeriodMs + 50);

        // The change's time in the monitor's period decides most of the
        // figure. As in the core benchmark, each change comes 50 + 41 k ms
        // (k = 0..5) into a period, counted from the moment the previous
        // event was seen; the first change only sets that moment.
        std::vector<double> latency;
        for (int i = -1; i < 12; ++i) {
            if (i >= 0) PumpFor(kPeriodMs + 50 + 41 * (i % 6));
            const size_t before = co.events().size();
            const uint64_t t0 = winio_sim::monotonic_us();
            if (i % 2 == 0)
                machine->close_drawer(0);
            else
                machine->open_by_hand(0);
            if (!CoClient::PumpUntil([&] { return co.events().size() > before; }, 3000)) continue;
            if (i >= 0) latency.push_back(static_cast<double>(handled_us - t0) / 1000.0);
        }
        if (!latency.empty())
            Report("event_latency", "sensor change to handler, via control object", latency, kPeriodMs,
                   "one CheckStatusPeriod, the slowest allowed sampling");

        // The hand-over alone, from a worker thread as the monitor calls it.
        IDispatch* dispatch = co.dispatch();
        LPOLESTR method = const_cast<LPOLESTR>(L"SOStatusUpdate");
        DISPID id = DISPID_UNKNOWN;
        dispatch->GetIDsOfNames(IID_NULL, &method, 1, 0x800, &id);
        std::vector<double> handover;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            // The raw pointer, without marshalling: as the service object
            // calls its control object from the monitor thread.
            for (int i = 0; i < 200; ++i) {
                const uint64_t t0 = winio_sim::monotonic_us();
                opos_bench::Variant r;
                opos_bench::CallById(dispatch, id, DISPATCH_METHOD, {opos_bench::LongArg(i % 2)}, r.get());
                handover.push_back(static_cast<double>(handled_us - t0) / 1000.0);
            }
            done = true;
        });
        CoClient::PumpUntil([&] { return done.load(); }, 60000);
        worker.join();
        Report("handover", "control object hand-over (SOStatusUpdate to handler)", handover, kTickMs,
               "one 10 ms tick of a hand-over that polls");
        co.set_on_event(nullptr);
        co.Call(L"Close");
        SysFreeString(device);
    }
    kestrix::test::DeleteDeviceEntry("RoadBenchDrawer");
    CoUninitialize();
    return 0;
}
