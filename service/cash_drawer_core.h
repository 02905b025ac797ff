// The portable core of the cash drawer service object: its state and every
// algorithm behind the OPOS interface. The COM class CCashDrawer_SO owns one
// of these and turns its results into BSTRs, VARIANTs and HRESULTs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "device_registry.h"
#include "hardware/gpio.h"
#include "hardware/tessik.h"
#include "hardware/volma_control.h"
#include "platform.h"

namespace kestrix {

namespace opos = common::opos;

// Outcome of an indexed property call: Ok (S_OK) or NotHandled (S_FALSE).
enum class PropStatus { Ok, NotHandled };

// Threads: every public method is called on the apartment thread, one at a
// time. The status monitor thread reads only the atomic fields, the current
// variant and the control object; the latter two change only while no
// monitor thread exists. No method throws, except GetPropertyString, which
// may throw std::bad_alloc while copying the text.
//
// Methods returning int32_t give the OPOS result code and store it as the
// ResultCode property.
//
// Re-entry: OpenService, CloseService, OpenDrawer and CheckHealth levels 2
// and 3 run the calling thread's message loop while they stop the monitor (and
// level 3 while its boxes are up). A handler run there may close the device:
// a method in progress then leaves the monitor stopped. Keeping the object
// itself alive meanwhile is the caller's (the COM layer's) task.
//
// Objects that never opened successfully: a variant counts as ready only
// while its last Initialize succeeded. Without a ready variant no port is
// ever touched: DrawerOpened reads 0 at once, OpenDrawer gives 111 after
// its precondition checks, CheckHealth levels 2 and 3 give the
// "Not Responding" state and 111, and the monitor is not restarted.
class CCashDrawer_SOCore {
public:
    // Every pointer of `platform` must be non-null and outlive the object.
    explicit CCashDrawer_SOCore(const Platform& platform);
    // Stops the monitor and waits until its thread has ended (even while it
    // is inside the event call); then the variants, then the registry keys.
    // Destroyed on the monitor thread itself (the event call released the
    // object), the thread is let go instead: it ends as soon as the call
    // returns, without touching the object again.
    virtual ~CCashDrawer_SOCore();
    CCashDrawer_SOCore(const CCashDrawer_SOCore&) = delete;
    CCashDrawer_SOCore& operator=(const CCashDrawer_SOCore&) = delete;

    // Lifecycle. `control` is kept (not owned) even when the open fails; it
    // must stay valid while a monitor thread exists. A failed open keeps every
    // value read before the failure.
    int32_t OpenService(const char16_t* deviceName, IControlObject* control);
    int32_t ClaimDevice(int32_t timeout);
    int32_t ReleaseDevice();
    int32_t CloseService();

    // Properties. GetPropertyNumber writes 0 for index 2 (DataEventEnabled,
    // which a cash drawer does not have) and stores 111 as ResultCode.
    // GetPropertyString clears *out when the index is not handled. Neither
    // writes ResultCode otherwise.
    int32_t COFreezeEvents(int16_t freeze);
    PropStatus GetPropertyNumber(int32_t index, int32_t* number);
    PropStatus SetPropertyNumber(int32_t index, int32_t number);
    PropStatus GetPropertyString(int32_t index, std::u16string* out);
    int32_t SetPropertyString(int32_t index);

    // False when the operator declined the interactive check: then ResultCode,
    // the health state and the monitor are untouched and *rc (if not null)
    // gets the ResultCode as it stands. Otherwise true, with the result in
    // *rc (if not null) and in ResultCode.
    bool CheckHealth(int32_t level, int32_t* rc);
    // No command is supported: 106; the caller's data and string stay as they are.
    int32_t DirectIO(int32_t command);

    // Drawer operations. The alarm of WaitForDrawerClose sounds for
    // max(0, beepDuration) ms; a frequency the beeper cannot make (outside
    // 37..32767 Hz) gives a silent pause of that length instead.
    int32_t OpenDrawer();
    int32_t WaitForDrawerClose(int32_t beepTimeout, int32_t beepFrequency, int32_t beepDuration, int32_t beepDelay);

    // Sensor waits: `ms` / 100 readings, one every 100 ms, the first 100 ms
    // after the call; none when `ms` is below 100, negative values included.
    // 1 as soon as a reading equals (Opened) or differs from (Closed)
    // OpenStatusPhase, else 0. Without a ready variant: 0 at once.
    virtual int32_t WaitDrawerOpened(int32_t ms);
    virtual int32_t WaitDrawerClosed(int32_t ms);
    // Starts the monitor unless a thread (running or dead) is recorded.
    virtual void StartStatusThread();
    // Stops the monitor and waits (dispatching messages) until its thread has
    // ended, then forgets it. Nothing happens when no thread is recorded.
    // A monitor held inside the event call longer than kEventStopWaitMs (a
    // handler that never returns, or one that itself called the method now
    // stopping the monitor) is let go instead: it ends on its own once the
    // call returns, touching nothing of this object.
    virtual void StopStatusThread();

    // How long a stop waits for a monitor inside the event call.
    static constexpr uint32_t kEventStopWaitMs = 1000;
    // The shortest sampling period: CheckStatusPeriod below it (0 and
    // negative values included) samples at this period.
    static constexpr int32_t kMinStatusPeriodMs = 10;

    // True while a monitor thread that a stop let go is still running (the
    // code it returns through must stay loaded).
    bool LetGoMonitorRunning();

    // True while a monitor thread is recorded (running or dead).
    bool HasMonitorThread() const { return monitor_.joinable(); }
    // True when called on the monitor thread (from inside the event call).
    bool OnMonitorThread() const { return monitor_.get_id() == std::this_thread::get_id(); }

private:
    int32_t Store(int32_t rc) {
        result_code_ = rc;
        return rc;
    }
    bool ReadConfiguration(const char16_t* deviceName);
    bool ChooseVariant();
    bool HardwareReady() const { return current_ != nullptr && ready_; }
    int32_t WaitForReading(int32_t ms, bool wantOpen);
    // `closings`: closings_ when the CheckHealth call began.
    int32_t ExternalCheck(uint32_t closings);
    int32_t InteractiveCheck(uint32_t closings);
    // Starts the monitor again after a hardware action, unless the device
    // was closed since `closings` was taken.
    void RestartMonitorUnlessClosedSince(uint32_t closings);
    void StopMonitor();
    // `reference`: the reading the first sample is compared with.
    void StatusThreadMain(std::shared_ptr<ISignal> stop, std::shared_ptr<ISignal> ended,
                          std::shared_ptr<std::atomic<int32_t>> inEvent, int32_t reference) noexcept;
    int32_t StatusThreadProc(ISignal& stop, std::atomic<int32_t>& inEvent, int32_t reference);

    Platform platform_;

    CDeviceRegistry registry_;
    CCashdrawerControl* current_ = nullptr;  // one of the three below, never owned
    CVolmaControl volma_;
    CTessik tessik_;
    CGPIO gpio_;
    bool ready_ = false;  // the current variant's last Initialize succeeded

    int32_t health_state_ = 0;
    int32_t opened_ = 0;
    int32_t claimed_ = 0;
    int32_t device_enabled_ = 0;
    int32_t result_code_ = 101;
    int32_t result_code_extended_ = 0;
    uint32_t closings_ = 0;  // counts CloseService calls (apartment thread only)

    std::thread monitor_;
    // Shared with the thread and with every StopMonitor in progress, so a stop
    // nested inside another stop's message dispatching (an event handler that
    // closes the device) cannot pull a signal from under the outer wait.
    std::shared_ptr<ISignal> stop_signal_;   // set to wake and stop the monitor
    std::shared_ptr<ISignal> ended_signal_;  // set by the monitor as its last action
    uint64_t monitor_generation_ = 0;        // counts started monitors (apartment thread only)
    // 1 while the monitor is inside the event call; shared like the signals.
    std::shared_ptr<std::atomic<int32_t>> in_event_;
    // Ended signals of monitors let go by a stop (apartment thread only).
    std::vector<std::shared_ptr<ISignal>> let_go_;
    IControlObject* control_ = nullptr;
    std::atomic<int32_t> monitor_running_{0};

    std::atomic<int32_t> check_status_period_{300};
    int32_t time_out_ = 0;
    std::atomic<int32_t> open_status_phase_{0};
    int32_t pulse_on_time_ = 100;
    std::atomic<int32_t> freeze_events_{0};
    int32_t connector_pin_no_ = 0;
    int32_t master_value_ = 0;
    int32_t cd_port_ = 0;
    int32_t cd_fire_ = 0;
    int32_t cd_phase_ = 0;
    int32_t cs_port_ = 0;
    int32_t cs_status_ = 0;
    std::u16string dll_path_;
    std::u16string description_;
    std::u16string device_desc_;
    std::u16string device_name_;
};

}  // namespace kestrix
