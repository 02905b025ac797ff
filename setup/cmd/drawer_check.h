// The health check of one cash drawer through the OPOS cash drawer control
// object, as Trellup runs it: Open, ClaimDevice(1000), DeviceEnabled = True,
// CheckHealth, CheckHealthText, DrawerOpened, then DeviceEnabled = False,
// ReleaseDevice, Close. A step that fails ends the session early, undoing
// what the earlier steps did (a device not opened is not closed).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/opos_control.h"

namespace trellup::cmd {

constexpr int32_t kCheckInternal = 1;  // no hardware touched
constexpr int32_t kCheckExternal = 2;  // fires the drawer

struct CheckStep {
    std::string name;      // "Open", "ClaimDevice", "DeviceEnabled=True", ...
    HResult status = kOk;  // the call's COM status
    int32_t result = 0;    // the OPOS result code, when status is kOk
    std::string text;      // the result code's text, or "call failed"
    bool ok() const { return status == kOk && result == 0; }
};

struct CheckLine {
    std::string device;  // ANSI
    std::vector<CheckStep> steps;
    std::string health_text;  // CheckHealthText as read back
    bool drawer_opened = false;
    bool healthy = false;  // every step gave 0
    int64_t milliseconds = 0;
};

// Runs the check of `device` on `drawer` (the cash drawer control object;
// kOk or not, its CreateResult is the first thing looked at). `now_ms` is
// the clock the time taken is read from; `pump` runs between the calls so
// that events the control object posts to this thread are delivered.
CheckLine CheckDrawer(IOposControl& drawer, const std::string& device, int32_t level,
                      const std::function<int64_t()>& now_ms, const std::function<void()>& pump);

}  // namespace trellup::cmd
