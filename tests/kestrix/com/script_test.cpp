// A late-bound client that none of us wrote: Wine's cscript running VBScript
// creates the object by ProgID and drives it through the type library.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "com_fixture.h"

namespace kestrix::test {
namespace {

const char kScript[] =
    "Set so = CreateObject(\"Norvane.CashDrawer\")\r\n"
    "WScript.Echo \"version \" & so.GetPropertyNumber(8)\r\n"
    "WScript.Echo \"open \" & so.OpenService(\"CashDrawer\", \"KxWineDrawer\", Nothing)\r\n"
    "WScript.Echo \"claim \" & so.ClaimDevice(1000)\r\n"
    "so.SetPropertyNumber 3, 1\r\n"
    "WScript.Echo \"enabled \" & so.GetPropertyNumber(3)\r\n"
    "WScript.Echo \"state \" & so.GetPropertyNumber(9)\r\n"
    "WScript.Echo \"name \" & so.GetPropertyString(1000003)\r\n"
    "WScript.Echo \"health \" & so.CheckHealth(1) & \" \" & so.GetPropertyString(1000001)\r\n"
    "WScript.Echo \"release \" & so.ReleaseDevice()\r\n"
    "WScript.Echo \"close \" & so.CloseService()\r\n"
    "WScript.Echo \"state \" & so.GetPropertyNumber(9)\r\n";

TEST(LateBoundScript, CscriptOpensClaimsEnablesReadsAndCloses) {
    Bench bench;
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path = std::string(folder) + "kestrix_client.vbs";
    {
        std::ofstream file(path, std::ios::binary);
        file << kScript;
    }
    std::string output;
    const int code = RunProcess(L"cscript.exe //nologo \"" + std::wstring(path.begin(), path.end()) + L"\"", &output);
    DeleteFileA(path.c_str());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output,
              "version 1005019\r\n"
              "open 0\r\n"
              "claim 0\r\n"
              "enabled 1\r\n"
              "state 2\r\n"
              "name KxWineDrawer\r\n"
              "health 0 Internal HCheck : Successful\r\n"
              "release 0\r\n"
              "close 0\r\n"
              "state 1\r\n");
}

}  // namespace
}  // namespace kestrix::test
