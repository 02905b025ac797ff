// The handle owner: each way of giving a handle up or over closes exactly
// the handles it must, and no other.
#include <gtest/gtest.h>

#include "common/win32/handle.h"

namespace common_test {
namespace {

using common::win32::UniqueKernelHandle;
using common::win32::UniqueRegKey;

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

TEST(HandleOwner, ClosesOnlyWhatItGivesUp) {
    struct Case {
        const char* name;
        // Runs on an owner of `first`; `second` is a handle it may take.
        void (*act)(UniqueKernelHandle& owner, HANDLE second);
        bool first_open, second_open;  // afterwards, while the owner lives
        bool owner_holds_second;
    };
    const Case cases[] = {
        {"reset to another", [](UniqueKernelHandle& o, HANDLE s) { o.reset(s); }, false, true, true},
        {"reset to none", [](UniqueKernelHandle& o, HANDLE) { o.reset(); }, false, true, false},
        {"move assigned over", [](UniqueKernelHandle& o, HANDLE s) { o = UniqueKernelHandle(s); }, false, true, true},
        {"released", [](UniqueKernelHandle& o, HANDLE) { CloseHandle(o.release()); }, false, true, false},
        {"put for a new one", [](UniqueKernelHandle& o, HANDLE s) { *o.put() = s; }, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE first = NewEvent(), second = NewEvent();
        ASSERT_TRUE(first && second);
        {
            UniqueKernelHandle owner(first);
            c.act(owner, second);
            EXPECT_EQ(IsOpen(first), c.first_open);
            EXPECT_EQ(IsOpen(second), c.second_open);
            EXPECT_EQ(owner.get(), c.owner_holds_second ? second : nullptr);
            EXPECT_EQ(static_cast<bool>(owner), c.owner_holds_second);
        }
        // The owner closed what it held at its end, and nothing else.
        EXPECT_EQ(IsOpen(second), !c.owner_holds_second);
        if (!c.owner_holds_second) CloseHandle(second);
    }
}

TEST(HandleOwner, MoveLeavesTheSourceEmptyAndClosesOnce) {
    HANDLE h = NewEvent();
    UniqueKernelHandle from(h);
    {
        UniqueKernelHandle to(std::move(from));
        EXPECT_EQ(from.get(), nullptr);
        EXPECT_EQ(to.get(), h);
        EXPECT_TRUE(IsOpen(h));
    }
    EXPECT_FALSE(IsOpen(h));
}

TEST(HandleOwner, AFileOwnerIsEmptyAtAnInvalidHandle) {
    common::win32::UniqueFile file;
    EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file);
}

TEST(HandleOwner, KeyOpenedThroughPutIsClosedByTheOwner) {
    HKEY raw = nullptr;
    {
        UniqueRegKey key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
        raw = key.get();
        EXPECT_EQ(RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace common_test
