#include <gtest/gtest.h>

#include "text/opos_texts.h"

namespace trellup::test {
namespace {

TEST(OposTexts, ResultCodes) {
    const std::pair<int32_t, const char*> table[] = {
        {0, "Success"},          {101, "Device closed"},    {102, "Device claimed"},  {103, "Device not claimed"},
        {104, "No service"},     {105, "Device disabled"},  {106, "Illegal"},         {107, "No hardware"},
        {108, "Device offline"}, {109, "Device not exist"}, {110, "Device exists"},   {111, "Device failure"},
        {112, "Device timeout"}, {113, "Device busy"},      {114, "Extended result"}, {115, "Deprecated"},
    };
    for (const auto& [code, text] : table) EXPECT_EQ(ResultCodeText(code), text) << code;
    for (int32_t code : {116, 100, -1, 1, 301, INT32_MIN, INT32_MAX}) EXPECT_EQ(ResultCodeText(code), "Unknowen");
}

TEST(OposTexts, OpenResults) {
    const std::pair<int32_t, const char*> table[] = {
        {0, "Success"},
        {301, "Control Object already open"},
        {302, "The registry does not contain a key for the specified device name"},
        {303, "Could not read the device name key's default value"},
        {304, "Could not create a service object"},
        {305, "The service object does not support one or more of the method"},
        {306, "The service object returned a failure status from its open call"},
        {307, "The service object major version number is not 1"},
        {401, "Port is invalid or inaccessible"},
        {402, "Service Object does not support the specified device"},
        {403, "Configuration information error"},
        {450, "Errors greater than this value are SO-specific"},
    };
    for (const auto& [code, text] : table) EXPECT_EQ(OpenResultText(code), text) << code;
    for (int32_t code : {300, 308, 400, 404, 451, 500, -301, 111}) EXPECT_EQ(OpenResultText(code), "Unknowen");
}

TEST(OposTexts, PowerStatesTellUnknowFromUnknowen) {
    EXPECT_EQ(PowerStateText(2000), "Unknow");
    EXPECT_EQ(PowerStateText(2001), "Online");
    EXPECT_EQ(PowerStateText(2002), "Off");
    EXPECT_EQ(PowerStateText(2003), "Offline");
    EXPECT_EQ(PowerStateText(2004), "Off offline");
    for (int32_t v : {1999, 2005, 0, -2000}) EXPECT_EQ(PowerStateText(v), "Unknowen");
    EXPECT_NE(PowerStateText(2000), PowerStateText(2005));
}

TEST(OposTexts, States) {
    EXPECT_EQ(StateText(1), "Device closed");
    EXPECT_EQ(StateText(2), "Device idle");
    EXPECT_EQ(StateText(3), "Device busy");
    EXPECT_EQ(StateText(4), "Device error");
    for (int32_t v : {0, 5, -1, 101}) EXPECT_EQ(StateText(v), "Unknowen");
    EXPECT_EQ(StateText(1), ResultCodeText(101));
}

}  // namespace
}  // namespace trellup::test
