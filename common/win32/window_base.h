// Entries from the system's message dispatch into member functions. A
// window, dialog or subclassed control of ours names the object that
// handles its messages once, when it is made; the static procedure here
// finds that object and forwards to it. No exception leaves a procedure:
// one thrown by a handler drops that message (the default handling runs
// instead) and the window goes on.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace common::win32 {

// A top-level or child window of a class of our own. Register the class
// with WindowBase<T>::Procedure and create the window with `this` as the
// creation parameter; T::OnMessage(UINT, WPARAM, LPARAM) handles every
// message from WM_NCCREATE on. After WM_NCDESTROY the object forgets the
// window (hwnd() is null again). The object must outlive its window.
template <typename T>
class WindowBase {
public:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NCCREATE) {
            self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            if (self != nullptr) {
                static_cast<WindowBase*>(self)->hwnd_ = hwnd;
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            }
        }
        if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
        LRESULT result = 0;
        try {
            result = self->OnMessage(msg, wp, lp);
        } catch (...) {
            result = DefWindowProcW(hwnd, msg, wp, lp);
        }
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            static_cast<WindowBase*>(self)->hwnd_ = nullptr;
        }
        return result;
    }

    HWND hwnd() const { return hwnd_; }

protected:
    WindowBase() = default;
    ~WindowBase() = default;
    HWND hwnd_ = nullptr;
};

// A dialog made from a template: create it with DialogBase<T>::Procedure
// and `this` as the init parameter. T::OnInitDialog() handles
// WM_INITDIALOG (its result is the procedure's), T::OnMessage(UINT, WPARAM,
// LPARAM) every later message but WM_NCDESTROY, which forgets the window.
template <typename T>
class DialogBase {
public:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        try {
            if (msg == WM_INITDIALOG) {
                auto* self = reinterpret_cast<T*>(lp);
                SetWindowLongPtrW(hwnd, DWLP_USER, lp);
                static_cast<DialogBase*>(self)->hwnd_ = hwnd;
                return self->OnInitDialog();
            }
            auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, DWLP_USER));
            if (self == nullptr) return FALSE;
            if (msg == WM_NCDESTROY) {
                SetWindowLongPtrW(hwnd, DWLP_USER, 0);
                static_cast<DialogBase*>(self)->hwnd_ = nullptr;
                return FALSE;
            }
            return self->OnMessage(msg, wp, lp);
        } catch (...) {
            return FALSE;
        }
    }

    HWND hwnd() const { return hwnd_; }

protected:
    DialogBase() = default;
    ~DialogBase() = default;
    HWND hwnd_ = nullptr;
};

// A control of another class whose messages an object of ours sees first:
// Subclass<&T::Member>(control, object) makes object->Member(control, msg,
// wp, lp) see each message; the member returns the result, passing on with
// DefSubclassProc what it does not handle. The subclass ends with the
// control, or earlier with Unsubclass<&T::Member>(control).
template <auto Member, typename T>
struct SubclassEntry {
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, Procedure, 1);
        try {
            return (reinterpret_cast<T*>(data)->*Member)(hwnd, msg, wp, lp);
        } catch (...) {
            return DefSubclassProc(hwnd, msg, wp, lp);
        }
    }
};

template <auto Member, typename T>
bool Subclass(HWND control, T* object) {
    return control != nullptr &&
           SetWindowSubclass(control, SubclassEntry<Member, T>::Procedure, 1, reinterpret_cast<DWORD_PTR>(object));
}

template <auto Member, typename T>
void Unsubclass(HWND control, T*) {
    if (control != nullptr) RemoveWindowSubclass(control, SubclassEntry<Member, T>::Procedure, 1);
}

}  // namespace common::win32
