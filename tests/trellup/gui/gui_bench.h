// The bench the GUI tests run Trellup.exe on, set up once per test program:
// this thread in a single-threaded apartment, the bench's control objects
// and Kestrix.dll registered in the tree's Wine prefix, the port bench
// powered on as terminal model 8 under a private name (inherited by the
// Trellup.exe the test starts), and the control objects in strict mode.
#pragma once

#include <windows.h>

#include <string>

namespace trellup::test {

// Full Windows path of the Trellup.exe under test.
std::wstring TrellupExe();
// Where a screenshot called `name` is saved (the build tree's screenshots
// folder, "<name>.png").
std::wstring ScreenshotPath(const std::string& name);
// The private names of the port bench and of the card feed.
std::string BenchName();

// Empties the whole OPOS area, then writes the cash drawer `name` served by
// Kestrix on the port bench (terminal model 8, DllPath the product folder),
// BenchDisplay, BenchMSR and BenchPrinter.
void PrepareOposArea(const std::wstring& drawer = L"NVCD1");
// Writes a device key with only its default value.
void WriteDeviceKey(const wchar_t* device_class, const std::wstring& device, const std::wstring& prog_id);

// The class keys of one bench control object, removed and put back.
void UnregisterControlObject(const CLSID& clsid);
void RegisterBench();

}  // namespace trellup::test
