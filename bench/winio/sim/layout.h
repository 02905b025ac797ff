// Layout of the simulated port hardware as it lies in shared memory.
//
// Every process that opens the same bench name maps one of these, so the
// process running the service object, a test and the winio-sim tool all see
// one machine. Only fixed-size plain data and lock-free atomics live here.
#pragma once

#include <atomic>
#include <cstdint>

namespace winio_sim {

constexpr uint32_t kMagic = 0x57494F53;  // "WIOS"
constexpr uint32_t kLayoutVersion = 3;
constexpr int kChips = 2;  // index ports 0x2E and 0x4E
constexpr int kLogicalDevices = 16;
constexpr int kDrawers = 2;  // connector 1 and connector 2
constexpr uint32_t kTraceCapacity = 1u << 16;

enum class Direction : uint8_t { Read = 'R', Write = 'W' };

// Written under the machine's lock, read without it: every field is atomic and
// `seq` tells a reader whether the entry is the one it expects and complete.
struct TraceEntry {
    std::atomic<uint64_t> time_us;
    std::atomic<uint32_t> packed;  // port | value << 16 | direction << 24
    std::atomic<uint32_t> seq;     // index + 1 once the entry is complete
};

struct ChipState {
    uint8_t config_mode;        // 1 between 0x87 0x87 and 0xAA
    uint8_t key_count;          // 0x87 bytes seen in a row outside config mode
    uint8_t index;              // register selected through the index port
    uint8_t ldn;                // register 0x07
    uint8_t global_regs[0x30];  // registers below 0x30 are shared by all devices
    uint8_t ldn_regs[kLogicalDevices][0x100];
};

enum class DrawerPhase : uint32_t { Closed = 0, Opening = 1, Open = 2 };

struct DrawerState {
    uint32_t phase;           // DrawerPhase
    uint32_t drive_active;    // drive line at its active level
    uint64_t drive_since_us;  // when it became active
    uint64_t open_at_us;      // when the sensor shows open (Opening)
    uint64_t open_since_us;   // when it became open (Open)
    int32_t stuck_sensor;     // -1 working, else the raw bit level it is stuck at
    uint32_t jammed;          // the latch never releases
    uint32_t releases;        // how many times the solenoid released the latch
};

struct SharedState {
    std::atomic<uint32_t> lock;  // spin lock over everything but the trace
    uint32_t magic;
    uint32_t version;
    int32_t profile;           // MasterValue row simulated
    uint32_t driver_fault;     // InitializeWinIo2 fails while set
    uint32_t driver_sessions;  // successful InitializeWinIo2 not yet shut down
    uint32_t min_pulse_us;
    uint32_t travel_us;
    uint32_t auto_close_us;  // 0: off
    uint32_t manual_clock;   // tests may run the hardware on their own clock
    uint64_t manual_now_us;
    ChipState chips[kChips];
    uint8_t ports[0x10000];
    DrawerState drawers[kDrawers];
    std::atomic<uint64_t> trace_head;  // entries ever written
    uint64_t trace_base;               // first entry still of interest
    TraceEntry trace[kTraceCapacity];
};

static_assert(std::atomic<uint32_t>::is_always_lock_free, "shared memory needs lock-free atomics");
static_assert(std::atomic<uint64_t>::is_always_lock_free, "shared memory needs lock-free atomics");

}  // namespace winio_sim
