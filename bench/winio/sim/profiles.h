// Terminal profiles: how each hardware model's drawer lines are wired.
// One profile per MasterValue row that the service object knows; the README
// of this folder has them as a table.
#pragma once

#include <cstdint>

namespace winio_sim {

enum class LineKind : uint8_t { None, SuperIo, Port };

// One line, either a bit of a Super I/O register or a bit of a plain port.
// For a drive line `high` means active high; for a sensor line it means the
// bit reads 1 while the drawer is open.
struct Line {
    LineKind kind;
    uint8_t chip;  // 0: index port 0x2E, 1: index port 0x4E
    uint8_t ldn;
    uint8_t reg;
    uint16_t port;
    uint8_t mask;
    uint8_t high;
};

struct PortInit {
    uint16_t port;
    uint8_t value;
};

struct Profile {
    int id;
    const char* model;
    const char* variant;  // the service object's access variant
    int connector;        // the row's connector; selects "the" drawer
    int drawer_count;     // drawers wired (connector 1 and maybe 2)
    Line drive[2];
    Line sense[2];
    bool sense_fixed;       // the sensor register reads a fixed pattern...
    uint8_t sense_pattern;  // ...besides the sensor bit
    bool gated;             // the drive acts only while this register...
    Line gate;              // ...has all bits of gate.mask set
    PortInit init[2];       // plain port bytes at power-on
    int open_status_phase;  // ReadStatus of the service object when open
    int drive_phase;        // CD_Phase of the row (plain ports), else -1
};

// The profile of a MasterValue row, or nullptr when the row does not exist.
const Profile* find_profile(int id);
// All profiles, ordered by id; `count` receives their number.
const Profile* all_profiles(int* count);
// Index (0 or 1) of the drawer that the row's connector names.
int primary_drawer(const Profile& p);

}  // namespace winio_sim
