// A minimal cash drawer service object for the control object's own tests:
// the thirteen methods by name, no hardware. DirectIO command 1 starts a
// thread that calls SOStatusUpdate with the given data; command 2 waits for
// that thread while dispatching messages, as a service object stopping its
// monitor does. The V2 variant reports ServiceObjectVersion 2.0.0.
#include <new>

#include "opos_numbers.h"
#include "sim_service_object.h"

namespace opos_bench {
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
        return kIllegal;
    }

    void Join() {
        if (!thread_.joinable()) return;
        WaitDispatching(done_);
        thread_.join();
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

    HANDLE done_;   // set when the event thread has made its call
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
