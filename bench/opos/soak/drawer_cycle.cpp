#include "drawer_cycle.h"

#include <oleauto.h>

#include <vector>

#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "control_object.h"

namespace kestrix_soak {
namespace {

using opos_bench::test::B;
using opos_bench::test::CoClient;
using opos_bench::test::L;
using opos_bench::test::S;

using common::opos::kDispidStatusUpdateEvent;
using common::opos::kDrawerClosed;
using common::opos::kIllegal;
// The drawer stays open this long before the bench closes it.
constexpr DWORD kSettleMs = 5;
constexpr DWORD kEventWaitMs = 3000;

}  // namespace

DrawerCycle::DrawerCycle(winio_sim::Machine* machine, int drawer, const wchar_t* device)
    : machine_(machine),
      drawer_(drawer),
      device_(SysAllocString(device)),
      client_(opos_bench::CashDrawerSpec().clsid, opos_bench::CashDrawerSpec().events) {}

DrawerCycle::~DrawerCycle() { SysFreeString(device_); }

bool DrawerCycle::Expect(const char* what, long want, long got, std::string* failure) {
    if (want == got) return true;
    *failure = std::string(what) + " gave " + std::to_string(got) + ", expected " + std::to_string(want);
    return false;
}

bool DrawerCycle::Collect(std::string* failure) {
    const std::vector<opos_bench::test::ReceivedEvent> events = client_.events();
    client_.clear_events();
    for (const auto& e : events) {
        ++received_;
        if (e.id != kDispidStatusUpdateEvent || e.args.empty() || e.args[0] != kDrawerClosed) {
            *failure = "unexpected event " + std::to_string(e.id) +
                       (e.args.empty() ? std::string() : " status " + std::to_string(e.args[0]));
            return false;
        }
    }
    if (received_ > expected_) {
        *failure =
            "duplicate event: " + std::to_string(received_) + " received, " + std::to_string(expected_) + " expected";
        return false;
    }
    return true;
}

bool DrawerCycle::CloseAndAwaitEvent(const char* after, std::string* failure) {
    CoClient::Pump(kSettleMs);
    machine_->close_drawer(drawer_);
    ++expected_;
    const uint64_t before = received_;
    const bool arrived =
        CoClient::PumpUntil([&] { return before + client_.events().size() >= expected_; }, kEventWaitMs);
    if (!Collect(failure)) return false;
    if (!arrived) {
        *failure = std::string("lost event after ") + after + ": " + std::to_string(received_) + " received, " +
                   std::to_string(expected_) + " expected";
        return false;
    }
    return true;
}

bool DrawerCycle::Run(std::string* failure) {
    CoClient& c = client_;
    if (!Expect("Open", 0, c.Call(L"Open", {S(device_)}), failure)) return false;
    if (!Expect("ClaimDevice", 0, c.Call(L"ClaimDevice", {L(1000)}), failure)) return false;
    if (!Expect("DeviceEnabled=true", S_OK, c.Put(L"DeviceEnabled", B(true)), failure)) return false;
    if (!Expect("ResultCode after enabling", 0, c.GetLong(L"ResultCode"), failure)) return false;
    if (!Expect("OpenDrawer", 0, c.Call(L"OpenDrawer"), failure)) return false;
    if (!CloseAndAwaitEvent("OpenDrawer", failure)) return false;
    if (!Expect("CheckHealth 1", 0, c.Call(L"CheckHealth", {L(1)}), failure)) return false;
    if (!Expect("CheckHealth 2", 0, c.Call(L"CheckHealth", {L(2)}), failure)) return false;
    if (!CloseAndAwaitEvent("CheckHealth 2", failure)) return false;

    long data = 7;
    BSTR text = SysAllocString(L"soak");
    VARIANT by_data{};
    by_data.vt = VT_BYREF | VT_I4;
    by_data.plVal = &data;
    VARIANT by_text{};
    by_text.vt = VT_BYREF | VT_BSTR;
    by_text.pbstrVal = &text;
    const long direct = c.Call(L"DirectIO", {L(1), by_data, by_text});
    SysFreeString(text);
    if (!Expect("DirectIO", kIllegal, direct, failure)) return false;

    if (!Expect("FreezeEvents=true", S_OK, c.Put(L"FreezeEvents", B(true)), failure)) return false;
    if (!Expect("FreezeEvents=false", S_OK, c.Put(L"FreezeEvents", B(false)), failure)) return false;
    if (!Expect("DeviceEnabled=false", S_OK, c.Put(L"DeviceEnabled", B(false)), failure)) return false;
    if (!Expect("ReleaseDevice", 0, c.Call(L"ReleaseDevice"), failure)) return false;
    if (!Expect("Close", 0, c.Call(L"Close"), failure)) return false;
    CoClient::Pump(0);
    return Collect(failure) &&
           Expect("events of the cycle", static_cast<long>(expected_), static_cast<long>(received_), failure);
}

}  // namespace kestrix_soak
