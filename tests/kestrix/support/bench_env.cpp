#include "bench_env.h"

#include <gtest/gtest.h>

#include "card_feed.h"
#include "control_object.h"
#include "setup_entries.h"

namespace opos_bench::test {

const CLSID kCashDrawer = opos_bench::CashDrawerSpec().clsid;
const CLSID kLineDisplay = opos_bench::LineDisplaySpec().clsid;
const CLSID kMsr = opos_bench::MsrSpec().clsid;
const IID kCashDrawerEvents = opos_bench::CashDrawerSpec().events;
const IID kLineDisplayEvents = opos_bench::LineDisplaySpec().events;
const IID kMsrEvents = opos_bench::MsrSpec().events;

std::string BenchName() { return "opos-test-" + std::to_string(GetCurrentProcessId()); }

namespace {

struct BenchEnvironment : ::testing::Environment {
    void SetUp() override {
        SetEnvironmentVariableA("WINIO_SIM", BenchName().c_str());
        SetEnvironmentVariableA("OPOS_SIM", BenchName().c_str());
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(opos_bench::RegisterBenchServer(true));
        ASSERT_TRUE(opos_bench::WriteBenchEntries(OPOS_BENCH_PRODUCT_DIR));
    }
    void TearDown() override { CoUninitialize(); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new BenchEnvironment);

}  // namespace
}  // namespace opos_bench::test
