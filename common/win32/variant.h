// A VARIANT that is initialised when made and cleared when destroyed.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace common::win32 {

class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    // Where a call writes its result; the value stays owned by this object.
    VARIANT* get() { return &v_; }
    const VARIANT& ref() const { return v_; }

private:
    VARIANT v_;
};

}  // namespace common::win32
