// libFuzzer target over the store's two input paths, with the fakes: an
// OPOS.INI of arbitrary bytes read through modINI, and a device key of
// arbitrary values (names, types, sizes) read through modRegistry. Besides
// the sanitizers it checks that a record read back is what was written.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>

#include "support/fake_profile.h"
#include "support/fake_registry.h"
#include "store/mod_ini.h"
#include "store/mod_registry.h"

using namespace trellup;
using namespace trellup::test;

namespace {

const char* const kValueNames[] = {"",
                                   "Description",
                                   "DeviceDesc",
                                   "Master",
                                   "DeviceName",
                                   "MasterValue",
                                   "CheckStatusPeriod",
                                   "ConnectorPinNo",
                                   "OpenStatusPhase",
                                   "PulseOnTime",
                                   "TIMEOUT",
                                   "DllPath"};

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckText(const std::string& s) {
    Check(s.size() <= 254);
    Check(std::memchr(s.data(), '\0', s.size()) == nullptr);
}

void FuzzRegistry(FuzzedDataProvider& in) {
    FakeRegistry registry;
    FakeProgramFolder folder("C:\\Trellup");
    StorePlatform p{&registry, nullptr, &folder};
    const std::string path = modRegistry::DeviceKeyPath("CashDrawer", "NVCD1");
    const int values = in.ConsumeIntegralInRange(0, 16);
    for (int i = 0; i < values; ++i) {
        const bool known = in.ConsumeBool();
        const std::string name = known ? kValueNames[in.ConsumeIntegralInRange<size_t>(0, std::size(kValueNames) - 1)]
                                       : in.ConsumeRandomLengthString(32);
        const uint32_t type = in.ConsumeIntegralInRange<uint32_t>(0, 12);
        const size_t size = in.ConsumeIntegralInRange<size_t>(0, 600);
        const std::vector<uint8_t> data = in.ConsumeBytes<uint8_t>(size);
        registry.PutValue(path, name, type, data);
    }

    CashDrawerDevice record;
    modRegistry::ReadDeviceRecord(p, "CashDrawer", "NVCD1", &record);
    for (const std::string* s : {&record.SOProgID, &record.Description, &record.DeviceDesc, &record.Master}) {
        CheckText(*s);
    }
    Check(record.ClassName == "CashDrawer" && record.DeviceName == "NVCD1");

    std::string text = "seed";
    int32_t number = 0x5eed;
    const uint32_t wanted = in.ConsumeIntegralInRange<uint32_t>(0, 5);
    modRegistry::QueryDeviceValue(p, "CashDrawer", "NVCD1", in.ConsumeRandomLengthString(32), wanted, &text, &number);
    if (wanted == kRegSz) CheckText(text);
    if (wanted != kRegSz) Check(text == "seed");

    // What is written reads back unchanged.
    Check(modRegistry::WriteDeviceRecord(p, record) == kRegSuccess);
    CashDrawerDevice again;
    modRegistry::ReadDeviceRecord(p, "CashDrawer", "NVCD1", &again);
    Check(again == record);
    Check(registry.open_keys() == 0 && registry.bad_closes() == 0);
}

void FuzzIni(FuzzedDataProvider& in) {
    FakeProfile profile;
    FakeProgramFolder folder("C:\\Trellup");
    StorePlatform p{nullptr, &profile, &folder};
    const std::string section = in.ConsumeRandomLengthString(16);
    const std::string key = in.ConsumeRandomLengthString(16);
    profile.PutFile("C:\\Trellup\\OPOS.INI", in.ConsumeRemainingBytesAsString());

    const std::vector<modINI::MasterDevice> masters = modINI::ReadMasterDevices(p);
    Check(masters.size() <= static_cast<size_t>(modINI::kMaxMasterDevices));
    CashDrawerDevice record;
    record.DeviceName = "keep";
    for (size_t i = 0; i < masters.size() && i < 8; ++i) {
        Check(masters[i].section.size() <= 255 && masters[i].name.size() <= 255);
        modINI::LoadMasterSection(p, masters[i].section, &record);
        Check(record.ClassName == "CashDrawer" && record.DeviceName == "keep");
    }
    Check(modINI::IniReadString(p, section, key).size() <= 255);
    modINI::IniReadInt(p, section, key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        FuzzRegistry(in);
    } else {
        FuzzIni(in);
    }
    return 0;
}
