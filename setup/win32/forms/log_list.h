// The result log's list box on screen: remembers when each line was added,
// keeps a horizontal extent that shows the longest line whole, copies lines
// (Ctrl+C, and the log's context menu: Copy, Copy All, Save As..., Clear) and
// saves the log as a UTF-8 text file. The lines themselves stay exactly as
// the form wrote them. Utility thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "text/log_file.h"

namespace trellup::win32 {

class LogList {
public:
    // `clear` empties the log through its model; `header` describes the
    // log for a saved file (all but the date, which is today's).
    LogList(HWND list, std::function<void()> clear, std::function<LogFileHeader()> header);
    ~LogList();
    LogList(const LogList&) = delete;
    LogList& operator=(const LogList&) = delete;

    // The selected lines (or all), joined by CR LF, onto the clipboard;
    // false when there was nothing to copy or the clipboard refused.
    bool Copy(bool all) const;
    // Asks for a file name and writes the log there; false when the user
    // cancelled or the file could not be written (then it says so).
    bool SaveAs() const;
    // Writes the log to `path` whole or not at all (a temporary file beside
    // it replaces it at the end).
    bool SaveTo(const std::wstring& path) const;
    // The context menu at a point of the screen (x, y = -1: below the caret
    // line).
    void ShowMenu(int x, int y);

private:
    LRESULT OnMessage(HWND list, UINT msg, WPARAM wp, LPARAM lp);
    std::wstring Line(int index) const;
    int TextWidth(const std::wstring& text) const;
    void Widen(const std::wstring& text);

    HWND list_;
    std::function<void()> clear_;
    std::function<LogFileHeader()> header_;
    std::vector<LogClock> added_;  // by line
    int extent_ = 0;
};

}  // namespace trellup::win32
