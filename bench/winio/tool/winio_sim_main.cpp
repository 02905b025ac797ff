// winio-sim: the bench operator's view of the simulated terminal.
// Selects the profile, moves drawers, sets faults and timings, prints the
// state and the port trace. Works on the hardware named by --name, or by
// WINIO_SIM, or "default".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "machine.h"

using winio_sim::DrawerPhase;
using winio_sim::Machine;

namespace {

const char kUsage[] =
    "usage: winio-sim [--name NAME] COMMAND [ARGS]\n"
    "  profiles                 list the terminal profiles\n"
    "  profile [ID]             show, or power on as, a profile (MasterValue row)\n"
    "  state                    print profile, timings, faults and drawers\n"
    "  open [DRAWER]            open a drawer by hand (1 or 2; default: the row's)\n"
    "  close [DRAWER]           push a drawer shut\n"
    "  jam on|off [DRAWER]      a jammed drawer never opens\n"
    "  stuck 0|1|off [DRAWER]   fix the sensor bit at a level, or repair it\n"
    "  driver-fault on|off      make InitializeWinIo2 fail\n"
    "  timing MIN TRAVEL CLOSE  minimum pulse, travel and auto-close time in ms (0: off)\n"
    "  trace [--clear]          print the port trace (and forget it)\n"
    "  clear-trace              forget the trace\n"
    "  peek PORT                print a port as the hardware holds it\n"
    "  poke PORT VALUE          set a port byte from the hardware side\n"
    "  reset                    power-on defaults, no profile\n";

bool parse_number(const char* s, long* out) {
    char* end = nullptr;
    const long v = std::strtol(s, &end, 0);
    if (!s[0] || *end) return false;
    *out = v;
    return true;
}

const char* phase_name(DrawerPhase p) {
    switch (p) {
    case DrawerPhase::Closed: return "closed";
    case DrawerPhase::Opening: return "opening";
    case DrawerPhase::Open: return "open";
    }
    return "?";
}

int default_drawer(Machine& m) {
    const winio_sim::Profile* p = winio_sim::find_profile(m.profile());
    return p ? winio_sim::primary_drawer(*p) : 0;
}

// Drawer argument "1"/"2" at args[i], or the profile's drawer. -1 when invalid.
int drawer_arg(Machine& m, const std::vector<std::string>& args, size_t i) {
    if (i >= args.size()) return default_drawer(m);
    long d = 0;
    if (!parse_number(args[i].c_str(), &d) || d < 1 || d > winio_sim::kDrawers) return -1;
    return static_cast<int>(d - 1);
}

void print_state(Machine& m) {
    const int id = m.profile();
    const winio_sim::Profile* p = winio_sim::find_profile(id);
    if (p) {
        std::printf("profile %d: %s (%s)\n", id, p->model, p->variant);
    } else {
        std::printf("profile none\n");
    }
    const winio_sim::Timings t = m.timings();
    std::printf("timing: min-pulse %u ms, travel %u ms, auto-close ", t.min_pulse_ms, t.travel_ms);
    if (t.auto_close_ms)
        std::printf("%u ms\n", t.auto_close_ms);
    else
        std::printf("off\n");
    std::printf("driver: fault %s, sessions %u\n", m.driver_fault() ? "on" : "off", m.driver_sessions());
    for (int i = 0; i < winio_sim::kDrawers; ++i) {
        const winio_sim::DrawerReport r = m.drawer(i);
        if (!r.wired) continue;
        std::printf("drawer %d: %s, drive %s, sensor bit %d, releases %u%s", i + 1, phase_name(r.phase),
                    r.drive_active ? "active" : "inactive", r.sensor_bit, r.releases, r.jammed ? ", jammed" : "");
        if (r.stuck_sensor >= 0) std::printf(", sensor stuck at %d", r.stuck_sensor);
        std::printf("\n");
    }
}

void print_trace(Machine& m) {
    const std::vector<winio_sim::TraceRecord> t = m.trace();
    const uint64_t t0 = t.empty() ? 0 : t.front().time_us;
    for (const auto& e : t) {
        std::printf("%10.3f ms  %c 0x%04X 0x%02X\n", static_cast<double>(e.time_us - t0) / 1000.0, e.direction, e.port,
                    e.value);
    }
}

int run(Machine& m, const std::vector<std::string>& a) {
    const std::string& cmd = a[0];
    long n = 0, v = 0;
    if (cmd == "profiles") {
        int count = 0;
        const winio_sim::Profile* all = winio_sim::all_profiles(&count);
        for (int i = 0; i < count; ++i) std::printf("%3d  %-14s %s\n", all[i].id, all[i].variant, all[i].model);
        return 0;
    }
    if (cmd == "profile") {
        if (a.size() == 1) {
            std::printf("%d\n", m.profile());
            return 0;
        }
        if (!parse_number(a[1].c_str(), &n) || !m.select_profile(static_cast<int>(n))) {
            std::fprintf(stderr, "winio-sim: no profile %s\n", a[1].c_str());
            return 1;
        }
        return 0;
    }
    if (cmd == "state") {
        print_state(m);
        return 0;
    }
    if (cmd == "open" || cmd == "close") {
        const int d = drawer_arg(m, a, 1);
        if (d < 0) return 2;
        if (cmd == "open")
            m.open_by_hand(d);
        else
            m.close_drawer(d);
        return 0;
    }
    if (cmd == "jam" && a.size() >= 2 && (a[1] == "on" || a[1] == "off")) {
        const int d = drawer_arg(m, a, 2);
        if (d < 0) return 2;
        m.set_jammed(d, a[1] == "on");
        return 0;
    }
    if (cmd == "stuck" && a.size() >= 2 && (a[1] == "0" || a[1] == "1" || a[1] == "off")) {
        const int d = drawer_arg(m, a, 2);
        if (d < 0) return 2;
        m.set_stuck_sensor(d, a[1] == "off" ? -1 : a[1] == "1");
        return 0;
    }
    if (cmd == "driver-fault" && a.size() == 2 && (a[1] == "on" || a[1] == "off")) {
        m.set_driver_fault(a[1] == "on");
        return 0;
    }
    if (cmd == "timing" && a.size() == 4) {
        long t[3];
        for (int i = 0; i < 3; ++i) {
            if (!parse_number(a[1 + i].c_str(), &t[i]) || t[i] < 0 || t[i] > 3600000) return 2;
        }
        m.set_timings({static_cast<uint32_t>(t[0]), static_cast<uint32_t>(t[1]), static_cast<uint32_t>(t[2])});
        return 0;
    }
    if (cmd == "trace") {
        print_trace(m);
        if (a.size() > 1 && a[1] == "--clear") m.clear_trace();
        return 0;
    }
    if (cmd == "clear-trace") {
        m.clear_trace();
        return 0;
    }
    if (cmd == "peek" && a.size() == 2 && parse_number(a[1].c_str(), &n) && n >= 0 && n <= 0xFFFF) {
        std::printf("0x%02X\n", m.peek_port(static_cast<uint16_t>(n)));
        return 0;
    }
    if (cmd == "poke" && a.size() == 3 && parse_number(a[1].c_str(), &n) && parse_number(a[2].c_str(), &v) && n >= 0 &&
        n <= 0xFFFF && v >= 0 && v <= 0xFF) {
        m.poke_port(static_cast<uint16_t>(n), static_cast<uint8_t>(v));
        return 0;
    }
    if (cmd == "reset") {
        m.reset();
        return 0;
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string name = winio_sim::bench_name();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--name") == 0 && i + 1 < argc) {
            name = argv[++i];
        } else {
            args.emplace_back(argv[i]);
        }
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    std::string error;
    auto m = Machine::open(name, &error);
    if (!m) {
        std::fprintf(stderr, "winio-sim: %s\n", error.c_str());
        return 1;
    }
    const int rc = run(*m, args);
    if (rc == 2) std::fputs(kUsage, stderr);
    return rc;
}
