// A stand-in for an OPOS common control object. One class serves all four
// device classes; a ClassSpec names the class's members. Toward the
// application: methods and properties by name through IDispatch, events
// through one connection point. Toward the service object: the published
// open sequence, indexed property access and the SO* callbacks.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dispatch_util.h"
#include "event_relay.h"

namespace opos_bench {

enum class ArgKind { Long, String, LongRef, StringRef };
enum class PropType { Long, Bool, String };

// A method forwarded to the service object's method of the same name; it
// returns the service object's result code.
struct MethodSpec {
    const wchar_t* name;
    std::vector<ArgKind> args;
};

// A property forwarded to the service object by its PIDX number.
struct PropSpec {
    const wchar_t* name;
    long pidx;
    PropType type;
    bool writable;
};

struct ClassSpec {
    const wchar_t* class_name;  // the device class key, e.g. "CashDrawer"
    CLSID clsid;
    IID events;
    const wchar_t* description;
    std::vector<const wchar_t*> so_methods;  // required of the service object
    std::vector<MethodSpec> methods;
    std::vector<PropSpec> props;
};

const ClassSpec& CashDrawerSpec();
const ClassSpec& LineDisplaySpec();
const ClassSpec& MsrSpec();
const ClassSpec& PosPrinterSpec();
// The four, for registration.
std::vector<const ClassSpec*> AllControlSpecs();

HRESULT CreateControlObject(const ClassSpec& spec, REFIID iid, void** out);

}  // namespace opos_bench
