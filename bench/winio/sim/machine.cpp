#include "machine.h"

#include <cstring>
#include <thread>

namespace winio_sim {
namespace {

constexpr uint16_t kIndexPort[kChips] = {0x2E, 0x4E};
constexpr uint32_t kDefaultMinPulseUs = 20000;
constexpr uint32_t kDefaultTravelUs = 50000;

int chip_of(uint16_t port, bool* is_index) {
    for (int c = 0; c < kChips; ++c) {
        if (port == kIndexPort[c] || port == kIndexPort[c] + 1) {
            *is_index = port == kIndexPort[c];
            return c;
        }
    }
    return -1;
}

bool valid_drawer(int d) { return d >= 0 && d < kDrawers; }

}  // namespace

// Spin lock in shared memory. The sections it guards are a few loads and
// stores, never a wait, so spinning with a yield is enough.
class Machine::Lock {
public:
    explicit Lock(SharedState* s) : s_(s) {
        uint32_t expected = 0;
        while (!s_->lock.compare_exchange_weak(expected, 1, std::memory_order_acquire)) {
            expected = 0;
            std::this_thread::yield();
        }
    }
    ~Lock() { s_->lock.store(0, std::memory_order_release); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    SharedState* s_;
};

std::unique_ptr<Machine> Machine::open(const std::string& name, std::string* error) {
    auto region = Region::open(name, sizeof(SharedState), error);
    if (!region) return nullptr;
    return std::make_unique<Machine>(std::move(region));
}

Machine::Machine(std::unique_ptr<Region> region)
    : region_(std::move(region)), s_(static_cast<SharedState*>(region_->data())) {
    Lock lock(s_);
    if (s_->magic != kMagic || s_->version != kLayoutVersion) {
        s_->magic = kMagic;
        s_->version = kLayoutVersion;
        s_->min_pulse_us = kDefaultMinPulseUs;
        s_->travel_us = kDefaultTravelUs;
        s_->auto_close_us = 0;
        s_->driver_fault = 0;
        s_->driver_sessions = 0;
        s_->manual_clock = 0;
        s_->manual_now_us = 0;
        s_->trace_head.store(0);
        s_->trace_base = 0;
        for (auto& e : s_->trace) e.seq.store(0);
        power_on_locked(0);
    }
}

uint64_t Machine::clock_locked() { return s_->manual_clock ? s_->manual_now_us : monotonic_us(); }

const Profile* Machine::profile_locked() { return find_profile(s_->profile); }

void Machine::power_on_locked(int id) {
    s_->profile = id;
    std::memset(s_->chips, 0, sizeof s_->chips);
    std::memset(s_->ports, 0, sizeof s_->ports);
    for (auto& d : s_->drawers) {
        d = DrawerState{};
        d.stuck_sensor = -1;
    }
    if (const Profile* p = profile_locked()) {
        for (const PortInit& init : p->init) {
            if (init.port) s_->ports[init.port] = init.value;
        }
    }
}

void Machine::reset() {
    Lock lock(s_);
    s_->min_pulse_us = kDefaultMinPulseUs;
    s_->travel_us = kDefaultTravelUs;
    s_->auto_close_us = 0;
    s_->driver_fault = 0;
    s_->driver_sessions = 0;
    s_->manual_clock = 0;
    s_->trace_base = s_->trace_head.load();
    power_on_locked(0);
}

bool Machine::select_profile(int id) {
    if (!find_profile(id)) return false;
    Lock lock(s_);
    power_on_locked(id);
    return true;
}

int Machine::profile() {
    Lock lock(s_);
    return s_->profile;
}

// Moves every drawer along to `now`: a drive line held long enough releases
// the latch, the drawer travels, and an open drawer may close by itself.
void Machine::advance_locked(uint64_t now) {
    for (auto& d : s_->drawers) {
        if (d.phase == static_cast<uint32_t>(DrawerPhase::Closed) && d.drive_active && !d.jammed &&
            now - d.drive_since_us >= s_->min_pulse_us) {
            d.phase = static_cast<uint32_t>(DrawerPhase::Opening);
            d.open_at_us = d.drive_since_us + s_->min_pulse_us + s_->travel_us;
            ++d.releases;
        }
        if (d.phase == static_cast<uint32_t>(DrawerPhase::Opening) && now >= d.open_at_us) {
            d.phase = static_cast<uint32_t>(DrawerPhase::Open);
            d.open_since_us = d.open_at_us;
        }
        if (d.phase == static_cast<uint32_t>(DrawerPhase::Open) && s_->auto_close_us &&
            now >= d.open_since_us + s_->auto_close_us) {
            d.phase = static_cast<uint32_t>(DrawerPhase::Closed);
            if (d.drive_active) d.drive_since_us = now;
        }
    }
}

bool Machine::drive_level_locked(int d) {
    const Profile* p = profile_locked();
    if (!p || d >= p->drawer_count) return false;
    const Line& w = p->drive[d];
    uint8_t byte = 0;
    if (w.kind == LineKind::Port) {
        byte = s_->ports[w.port];
    } else if (w.kind == LineKind::SuperIo) {
        byte = s_->chips[w.chip].ldn_regs[w.ldn][w.reg];
        if (p->gated) {
            const Line& g = p->gate;
            if ((s_->chips[g.chip].ldn_regs[g.ldn][g.reg] & g.mask) != g.mask) return false;
        }
    } else {
        return false;
    }
    const bool bit = (byte & w.mask) != 0;
    return w.high ? bit : !bit;
}

void Machine::update_drives_locked(uint64_t now) {
    for (int i = 0; i < kDrawers; ++i) {
        const bool active = drive_level_locked(i);
        DrawerState& d = s_->drawers[i];
        if (active && !d.drive_active) d.drive_since_us = now;
        d.drive_active = active ? 1 : 0;
    }
}

int Machine::sensor_bit_locked(int i) {
    const Profile* p = profile_locked();
    const DrawerState& d = s_->drawers[i];
    if (d.stuck_sensor >= 0) return d.stuck_sensor ? 1 : 0;
    if (!p || i >= p->drawer_count) return 0;
    const bool open = d.phase == static_cast<uint32_t>(DrawerPhase::Open);
    const int high = p->sense[i].high;
    return open ? high : !high;
}

// Replaces the sensor bits wired to this register or port by the sensors' levels.
uint8_t Machine::apply_sensors_locked(LineKind kind, int chip, int ldn, int reg, uint16_t port, uint8_t v) {
    const Profile* p = profile_locked();
    if (!p) return v;
    for (int i = 0; i < p->drawer_count; ++i) {
        const Line& w = p->sense[i];
        if (w.kind != kind) continue;
        if (kind == LineKind::Port ? w.port != port : (w.chip != chip || w.ldn != ldn || w.reg != reg)) continue;
        if (kind == LineKind::SuperIo && p->sense_fixed) v = p->sense_pattern;
        v = static_cast<uint8_t>(sensor_bit_locked(i) ? (v | w.mask) : (v & ~w.mask));
    }
    return v;
}

uint8_t Machine::register_read_locked(int chip, int ldn, int reg) {
    ChipState& c = s_->chips[chip];
    if (reg == 0x07) return c.ldn;
    const uint8_t v = reg < 0x30 ? c.global_regs[reg] : c.ldn_regs[ldn][reg];
    return apply_sensors_locked(LineKind::SuperIo, chip, ldn, reg, 0, v);
}

void Machine::register_write_locked(int chip, int ldn, int reg, uint8_t v, uint64_t now) {
    ChipState& c = s_->chips[chip];
    if (reg == 0x07) c.ldn = static_cast<uint8_t>(v % kLogicalDevices);
    if (reg < 0x30) {
        c.global_regs[reg] = v;
    } else {
        c.ldn_regs[ldn][reg] = v;
    }
    update_drives_locked(now);
}

void Machine::trace_locked(uint64_t now, uint16_t port, uint8_t value, Direction dir) {
    const uint64_t i = s_->trace_head.fetch_add(1, std::memory_order_relaxed);
    TraceEntry& e = s_->trace[i % kTraceCapacity];
    e.seq.store(0, std::memory_order_relaxed);
    e.time_us.store(now, std::memory_order_relaxed);
    e.packed.store(port | static_cast<uint32_t>(value) << 16 | static_cast<uint32_t>(dir) << 24,
                   std::memory_order_relaxed);
    e.seq.store(static_cast<uint32_t>(i + 1), std::memory_order_release);
}

uint8_t Machine::read_port(uint16_t port) {
    Lock lock(s_);
    const uint64_t now = clock_locked();
    advance_locked(now);
    bool is_index = false;
    const int chip = chip_of(port, &is_index);
    uint8_t v;
    if (chip >= 0) {
        ChipState& c = s_->chips[chip];
        if (!c.config_mode) {
            v = 0xFF;
        } else {
            v = is_index ? c.index : register_read_locked(chip, c.ldn, c.index);
        }
    } else {
        v = apply_sensors_locked(LineKind::Port, 0, 0, 0, port, s_->ports[port]);
    }
    trace_locked(now, port, v, Direction::Read);
    return v;
}

void Machine::write_port(uint16_t port, uint8_t value) {
    Lock lock(s_);
    const uint64_t now = clock_locked();
    advance_locked(now);
    trace_locked(now, port, value, Direction::Write);
    bool is_index = false;
    const int chip = chip_of(port, &is_index);
    if (chip < 0) {
        s_->ports[port] = value;
        update_drives_locked(now);
        return;
    }
    ChipState& c = s_->chips[chip];
    if (!c.config_mode) {
        // Only the entry key counts outside configuration mode.
        if (is_index && value == 0x87) {
            if (++c.key_count == 2) {
                c.config_mode = 1;
                c.key_count = 0;
            }
        } else {
            c.key_count = 0;
        }
        return;
    }
    if (is_index) {
        if (value == 0xAA) {
            c.config_mode = 0;
            c.key_count = 0;
        } else {
            c.index = value;
        }
        return;
    }
    register_write_locked(chip, c.ldn, c.index, value, now);
}

uint8_t Machine::peek_port(uint16_t port) {
    Lock lock(s_);
    advance_locked(clock_locked());
    return apply_sensors_locked(LineKind::Port, 0, 0, 0, port, s_->ports[port]);
}

void Machine::poke_port(uint16_t port, uint8_t value) {
    Lock lock(s_);
    const uint64_t now = clock_locked();
    advance_locked(now);
    s_->ports[port] = value;
    update_drives_locked(now);
}

uint8_t Machine::peek_register(int chip, int ldn, int reg) {
    if (chip < 0 || chip >= kChips || ldn < 0 || ldn >= kLogicalDevices || reg < 0 || reg > 0xFF) return 0xFF;
    Lock lock(s_);
    advance_locked(clock_locked());
    const ChipState& c = s_->chips[chip];
    if (reg == 0x07) return c.ldn;
    return reg < 0x30 ? c.global_regs[reg] : c.ldn_regs[ldn][reg];
}

void Machine::open_by_hand(int i) {
    if (!valid_drawer(i)) return;
    Lock lock(s_);
    const uint64_t now = clock_locked();
    advance_locked(now);
    DrawerState& d = s_->drawers[i];
    d.phase = static_cast<uint32_t>(DrawerPhase::Open);
    d.open_since_us = now;
}

void Machine::close_drawer(int i) {
    if (!valid_drawer(i)) return;
    Lock lock(s_);
    const uint64_t now = clock_locked();
    advance_locked(now);
    DrawerState& d = s_->drawers[i];
    d.phase = static_cast<uint32_t>(DrawerPhase::Closed);
    // A solenoid still energised releases the latch again only after a new minimum time.
    if (d.drive_active) d.drive_since_us = now;
}

void Machine::set_jammed(int i, bool jammed) {
    if (!valid_drawer(i)) return;
    Lock lock(s_);
    advance_locked(clock_locked());
    s_->drawers[i].jammed = jammed ? 1 : 0;
}

void Machine::set_stuck_sensor(int i, int level) {
    if (!valid_drawer(i)) return;
    Lock lock(s_);
    advance_locked(clock_locked());
    s_->drawers[i].stuck_sensor = level < 0 ? -1 : (level ? 1 : 0);
}

DrawerReport Machine::drawer(int i) {
    DrawerReport r{};
    if (!valid_drawer(i)) return r;
    Lock lock(s_);
    advance_locked(clock_locked());
    const Profile* p = profile_locked();
    const DrawerState& d = s_->drawers[i];
    r.wired = p && i < p->drawer_count;
    r.phase = static_cast<DrawerPhase>(d.phase);
    r.drive_active = d.drive_active != 0;
    r.sensor_bit = sensor_bit_locked(i);
    r.jammed = d.jammed != 0;
    r.stuck_sensor = d.stuck_sensor;
    r.releases = d.releases;
    return r;
}

void Machine::set_timings(const Timings& t) {
    Lock lock(s_);
    advance_locked(clock_locked());
    s_->min_pulse_us = t.min_pulse_ms * 1000u;
    s_->travel_us = t.travel_ms * 1000u;
    s_->auto_close_us = t.auto_close_ms * 1000u;
}

Timings Machine::timings() {
    Lock lock(s_);
    return Timings{s_->min_pulse_us / 1000u, s_->travel_us / 1000u, s_->auto_close_us / 1000u};
}

void Machine::set_driver_fault(bool on) {
    Lock lock(s_);
    s_->driver_fault = on ? 1 : 0;
}

bool Machine::driver_fault() {
    Lock lock(s_);
    return s_->driver_fault != 0;
}

bool Machine::start_driver() {
    Lock lock(s_);
    if (s_->driver_fault) return false;
    ++s_->driver_sessions;
    return true;
}

void Machine::stop_driver() {
    Lock lock(s_);
    if (s_->driver_sessions) --s_->driver_sessions;
}

uint32_t Machine::driver_sessions() {
    Lock lock(s_);
    return s_->driver_sessions;
}

void Machine::use_manual_clock(bool on) {
    Lock lock(s_);
    if (on && !s_->manual_clock) s_->manual_now_us = monotonic_us();
    s_->manual_clock = on ? 1 : 0;
}

void Machine::advance_clock_us(uint64_t us) {
    Lock lock(s_);
    if (s_->manual_clock) s_->manual_now_us += us;
}

uint64_t Machine::now_us() {
    Lock lock(s_);
    return clock_locked();
}

std::vector<TraceRecord> Machine::trace() {
    std::vector<TraceRecord> out;
    const uint64_t head = s_->trace_head.load(std::memory_order_acquire);
    uint64_t first = head > kTraceCapacity ? head - kTraceCapacity : 0;
    {
        Lock lock(s_);
        if (s_->trace_base > first) first = s_->trace_base;
    }
    out.reserve(static_cast<size_t>(head - first));
    for (uint64_t i = first; i < head; ++i) {
        const TraceEntry& e = s_->trace[i % kTraceCapacity];
        const uint32_t want = static_cast<uint32_t>(i + 1);
        if (e.seq.load(std::memory_order_acquire) != want) continue;
        // Acquire loads keep the second look at seq after the field reads.
        const uint64_t t = e.time_us.load(std::memory_order_acquire);
        const uint32_t packed = e.packed.load(std::memory_order_acquire);
        if (e.seq.load(std::memory_order_relaxed) != want) continue;  // overwritten meanwhile
        out.push_back(TraceRecord{t, static_cast<uint16_t>(packed & 0xFFFF), static_cast<uint8_t>(packed >> 16),
                                  static_cast<char>(packed >> 24)});
    }
    return out;
}

void Machine::clear_trace() {
    Lock lock(s_);
    s_->trace_base = s_->trace_head.load();
}

}  // namespace winio_sim
