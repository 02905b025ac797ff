// The simulated terminal: two Super I/O chips, plain I/O ports and up to two
// cash drawers, in shared memory. Every method is safe to call from any
// thread of any process that opened the same bench name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "layout.h"
#include "profiles.h"
#include "region.h"

namespace winio_sim {

struct TraceRecord {
    uint64_t time_us;
    uint16_t port;
    uint8_t value;
    char direction;  // 'R' or 'W'
};

struct DrawerReport {
    bool wired;
    DrawerPhase phase;
    bool drive_active;
    int sensor_bit;  // raw level of the sensor bit
    bool jammed;
    int stuck_sensor;  // -1 when the sensor works
    uint32_t releases;
};

struct Timings {
    uint32_t min_pulse_ms;
    uint32_t travel_ms;
    uint32_t auto_close_ms;  // 0: off
};

class Machine {
public:
    // Opens (creating on first use) the hardware called `name`.
    // Null on failure, with the reason in *error.
    static std::unique_ptr<Machine> open(const std::string& name, std::string* error);

    // Port access as the port I/O library does it: one byte, traced.
    uint8_t read_port(uint16_t port);
    void write_port(uint16_t port, uint8_t value);

    // Hardware-side access for tests and the tool: not traced, no chip rules.
    uint8_t peek_port(uint16_t port);
    void poke_port(uint16_t port, uint8_t value);
    uint8_t peek_register(int chip, int ldn, int reg);

    // Everything back to power-on defaults, profile 0 (nothing wired).
    void reset();
    // Powers the machine on as the given profile; false for an unknown one.
    // Timings, faults of the driver and the trace are kept.
    bool select_profile(int id);
    int profile();

    // Drawer commands; `drawer` is 0 (connector 1) or 1 (connector 2).
    void open_by_hand(int drawer);
    void close_drawer(int drawer);
    void set_jammed(int drawer, bool jammed);
    void set_stuck_sensor(int drawer, int level);  // -1 repairs it
    DrawerReport drawer(int drawer);

    void set_timings(const Timings& t);
    Timings timings();
    void set_driver_fault(bool on);
    bool driver_fault();

    // The driver session of InitializeWinIo2 / ShutdownWinIo.
    bool start_driver();
    void stop_driver();
    uint32_t driver_sessions();

    // A manual clock for tests: time stands still until advanced.
    void use_manual_clock(bool on);
    void advance_clock_us(uint64_t us);
    uint64_t now_us();

    std::vector<TraceRecord> trace();
    void clear_trace();

    explicit Machine(std::unique_ptr<Region> region);

private:
    class Lock;
    uint64_t clock_locked();
    void advance_locked(uint64_t now);
    void update_drives_locked(uint64_t now);
    bool drive_level_locked(int d);
    int sensor_bit_locked(int d);
    uint8_t apply_sensors_locked(LineKind kind, int chip, int ldn, int reg, uint16_t port, uint8_t v);
    uint8_t register_read_locked(int chip, int ldn, int reg);
    void register_write_locked(int chip, int ldn, int reg, uint8_t v, uint64_t now);
    void trace_locked(uint64_t now, uint16_t port, uint8_t value, Direction dir);
    void power_on_locked(int profile);
    const Profile* profile_locked();

    std::unique_ptr<Region> region_;
    SharedState* s_;
};

// Monotonic time in microseconds, the same clock in every process.
uint64_t monotonic_us();

}  // namespace winio_sim
