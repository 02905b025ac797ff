// Texts between the system and the utility, which keeps its texts in the
// ANSI code page: an exact conversion from UTF-16, and the system's texts of
// error codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trellup::win32 {

// Converts `length` UTF-16 units at `text` to the ANSI code page into *out
// and returns whether the result holds every character exactly (converting
// it back gives `text` again). When it does not, *out holds the characters
// the code page lacks as its default character, never as a look-alike.
bool AnsiFromWide(const wchar_t* text, size_t length, std::string* out);

// The system's text of Win32 error `code` in the ANSI code page, on one line
// without a trailing line break ("Access is denied."); "Error <code>." when
// the system has none.
std::string SystemErrorText(int32_t code);

}  // namespace trellup::win32
