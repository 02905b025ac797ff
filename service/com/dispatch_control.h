// The control object's side of the status event: "SOStatusUpdate" called by
// name over the IDispatch that OpenService was given.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>

#include "platform.h"

namespace kestrix::com {

// Holds the control object's IDispatch without a reference: the control
// object owns the service object and outlives it. Called on the status
// monitor thread, without marshalling. Attach only while no monitor runs.
class DispatchControlObject final : public IControlObject {
public:
    void Attach(IDispatch* dispatch) { dispatch_.store(dispatch); }

    // GetIDsOfNames(IID_NULL, {"SOStatusUpdate"}, 1, 0x800); false when the
    // lookup fails or no IDispatch was given.
    bool LookupStatusUpdate(int32_t* dispid) override;
    // Invoke(dispid, IID_NULL, 0x400, DISPATCH_METHOD) with one VT_I4
    // argument; the result variant is supplied and cleared, the status ignored.
    void InvokeStatusUpdate(int32_t dispid, int32_t status) override;

private:
    std::atomic<IDispatch*> dispatch_{nullptr};
};

}  // namespace kestrix::com
