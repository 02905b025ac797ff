// A freshly powered bench on the manual clock, with the port library loaded
// and its driver started, for tests that drive the hardware through the
// library's exports.
#pragma once

#include <gtest/gtest.h>

#include "port_library.h"

namespace winio_sim::test {

class BenchTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine = open_machine();
        ASSERT_TRUE(machine);
        machine->reset();
        machine->use_manual_clock(true);
        lib = std::make_unique<PortLibrary>(winio_dir());
        ASSERT_TRUE(lib->loaded());
        ASSERT_TRUE(lib->start());
        machine->clear_trace();
    }
    void TearDown() override {
        if (lib) lib->shutdown();
        lib.reset();
        if (machine) machine->reset();
    }
    void power_on(int profile) {
        ASSERT_TRUE(machine->select_profile(profile));
        machine->clear_trace();
    }
    void wait_ms(uint64_t ms) { machine->advance_clock_us(ms * 1000); }
    winio_sim::DrawerPhase phase(int drawer = 0) { return machine->drawer(drawer).phase; }

    std::unique_ptr<winio_sim::Machine> machine;
    std::unique_ptr<PortLibrary> lib;
};

}  // namespace winio_sim::test
