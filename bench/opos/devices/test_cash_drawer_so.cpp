// A minimal cash drawer service object for the control object's own tests:
// the thirteen methods by name, no hardware. DirectIO command 1 starts a
// thread that calls SOStatusUpdate with the given data; command 2 waits for
// that thread while dispatching messages, as a service object stopping its
// monitor does; command 9 fails as a COM call. The V2 variant reports
// ServiceObjectVersion 2.0.0. A device entry value "BenchOpenResult" makes
// OpenService fail with that number.
#include <new>
#include <stdexcept>
#include <string>

#include "common/entry/cash_drawer_entry.h"
#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "sim_service_object.h"

namespace opos_bench {

using namespace common::opos;

namespace {

class TestCashDrawerSo final : public SimServiceObject {
public:
    explicit TestCashDrawerSo(long version)
        : SimServiceObject(L"Bench test cash drawer", version), done_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}
    ~TestCashDrawerSo() override {
        Join();
        if (done_) CloseHandle(done_);
    }

private:
    enum : DISPID { kOpenDrawer = kClassBase, kWaitForDrawerClose };

    std::vector<NamedId> ClassNames() const override {
        return {{L"OpenDrawer", kOpenDrawer}, {L"WaitForDrawerClose", kWaitForDrawerClose}};
    }
    long ClassMethod(DISPID, const Args&) override { return Ready(); }
    void OnClose() override { Join(); }

    long OnDirectIo(long command, long* data, std::wstring*) override {
        if (command == 1) {
            Join();
            const long value = *data;
            ResetEvent(done_);
            thread_ = std::thread([this, value] {
                CallControl(L"SOStatusUpdate", {value});
                SetEvent(done_);
            });
            return kSuccess;
        }
        if (command == 2) {
            Join();
            return kSuccess;
        }
        if (command == 9) throw std::runtime_error("fails as a COM call");
        return kIllegal;
    }

    // A message run while waiting may close the object and join first.
    void Join() {
        if (!thread_.joinable()) return;
        WaitDispatching(done_);
        if (thread_.joinable()) thread_.join();
    }

    // The device entry's value "BenchOpenResult", when present, is what
    // OpenService gives: a service object that fails its open.
    long OnOpen() override {
        const std::wstring key = std::wstring(common::entry::wide::kCashDrawerKey) + L"\\" + device_name_;
        DWORD value = 0;
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"BenchOpenResult", RRF_RT_REG_DWORD, nullptr, &value,
                         &size) != ERROR_SUCCESS) {
            return kSuccess;
        }
        return static_cast<long>(value);
    }

    bool GetNumber(long pidx, long* v) override {
        if (pidx == kPidxDrawerOpened || pidx == kPidxCapStatusMultiDrawerDetect) {
            *v = 0;
            return true;
        }
        if (pidx == kPidxCapStatus) {
            *v = 1;
            return true;
        }
        return false;
    }

    HANDLE done_;  // set when the event thread has made its call
    std::thread thread_;
};

}  // namespace

HRESULT CreateTestCashDrawerSo(REFIID iid, void** out) {
    return Hand(new (std::nothrow) TestCashDrawerSo(1005000), iid, out);
}
HRESULT CreateTestCashDrawerV2So(REFIID iid, void** out) {
    return Hand(new (std::nothrow) TestCashDrawerSo(2000000), iid, out);
}

}  // namespace opos_bench
