#include "cmd/drawer_check.h"

#include <algorithm>
#include <cstdio>

#include "text/opos_texts.h"

namespace trellup::cmd {
namespace {

std::string Hex(HResult hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

class Session {
public:
    Session(IOposControl& drawer, CheckLine* line, const std::function<void()>& pump)
        : drawer_(drawer), line_(line), pump_(pump) {}

    // A method that returns a result code.
    bool Call(const std::string& step, const std::string& method, std::vector<OposValue> args) {
        OposValue result;
        const HResult hr = drawer_.Call(method, args, OposValue::Type::Long, &result);
        return Record(step, hr, result.long_value());
    }

    // DeviceEnabled written; its result is ResultCode read back.
    bool Enable(bool on) {
        const std::string step = on ? "DeviceEnabled=True" : "DeviceEnabled=False";
        HResult hr = drawer_.Put("DeviceEnabled", OposValue::Bool(on));
        OposValue rc;
        if (hr == kOk) hr = drawer_.Get("ResultCode", OposValue::Type::Long, &rc);
        return Record(step, hr, rc.long_value());
    }

    // A property read; a failed read is a failed step of that name.
    bool Read(const std::string& name, OposValue::Type type, OposValue* value) {
        pump_();
        const HResult hr = drawer_.Get(name, type, value);
        if (hr != kOk) Record(name, hr, 0);
        return hr == kOk;
    }

    CheckStep& last() { return line_->steps.back(); }

private:
    bool Record(const std::string& step, HResult hr, int32_t result) {
        CheckStep s;
        s.name = step;
        s.status = hr;
        s.result = hr == kOk ? result : 0;
        s.text = hr == kOk ? ResultCodeText(result) : "call failed (" + Hex(hr) + ")";
        line_->steps.push_back(std::move(s));
        pump_();
        return line_->steps.back().ok();
    }

    IOposControl& drawer_;
    CheckLine* line_;
    const std::function<void()>& pump_;
};

}  // namespace

CheckLine CheckDrawer(IOposControl& drawer, const std::string& device, int32_t level,
                      const std::function<int64_t()>& now_ms, const std::function<void()>& pump) {
    CheckLine line;
    line.device = device;
    const int64_t start = now_ms();
    if (drawer.CreateResult() != kOk) {
        line.steps.push_back(
            {"create", drawer.CreateResult(), 0, "control object not created (" + Hex(drawer.CreateResult()) + ")"});
        line.milliseconds = now_ms() - start;
        return line;
    }

    Session s(drawer, &line, pump);
    if (!s.Call("Open", "Open", {OposValue::String(device)})) {
        OposValue open_result;
        if (s.last().status == kOk && drawer.Get("OpenResult", OposValue::Type::Long, &open_result) == kOk &&
            open_result.long_value() != 0) {
            s.last().text += "; OpenResult " + std::to_string(open_result.long_value()) + " " +
                             OpenResultText(open_result.long_value());
        }
    } else {
        if (s.Call("ClaimDevice", "ClaimDevice", {OposValue::Long(1000)})) {
            if (s.Enable(true)) {
                s.Call("CheckHealth(" + std::to_string(level) + ")", "CheckHealth", {OposValue::Long(level)});
                OposValue text, opened;
                if (s.Read("CheckHealthText", OposValue::Type::String, &text)) line.health_text = text.string_value();
                if (s.Read("DrawerOpened", OposValue::Type::Bool, &opened)) line.drawer_opened = opened.bool_value();
                s.Enable(false);
            }
            s.Call("ReleaseDevice", "ReleaseDevice", {});
        }
        s.Call("Close", "Close", {});
    }
    line.healthy = std::all_of(line.steps.begin(), line.steps.end(), [](const CheckStep& st) { return st.ok(); });
    line.milliseconds = now_ms() - start;
    return line;
}

}  // namespace trellup::cmd
