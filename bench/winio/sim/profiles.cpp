#include "profiles.h"

namespace winio_sim {
namespace {

constexpr Line kNone{LineKind::None, 0, 0, 0, 0, 0, 0};

constexpr Line sio(uint8_t chip, uint8_t ldn, uint8_t reg, uint8_t mask, uint8_t high) {
    return Line{LineKind::SuperIo, chip, ldn, reg, 0, mask, high};
}
constexpr Line port(uint16_t p, uint8_t mask, uint8_t high) { return Line{LineKind::Port, 0, 0, 0, p, mask, high}; }

// A table keeps its columns.
// clang-format off
// Chip at 0x2E, logical device 9: register 0xF1 drives the solenoid through
// bit 0 (active high) and reads back 0xEB while the drawer is open, 0xEF while
// it is shut (bit 2 is the sensor, low when open). The GPIO function works
// only once register 0x30 of that device has bit 1 set.
constexpr Profile volma(int id, int connector) {
    return Profile{id, id == 1 ? "Volma board, connector 1" : "Volma board, connector 2",
                   "CVolmaControl", connector, 1,
                   {sio(0, 9, 0xF1, 0x01, 1), kNone},
                   {sio(0, 9, 0xF1, 0x04, 0), kNone},
                   true, 0xEB, true, sio(0, 9, 0x30, 0x02, 1),
                   {{0, 0}, {0, 0}}, 1, -1};
}

// Chip at 0x4E, logical device 6: register 0xF1 bit 0 drives drawer 1 and
// bit 1 drawer 2 (active high); register 0xF2 bit 2 and bit 3 are their
// sensors, set while open.
constexpr Profile tessik(int id, int connector) {
    return Profile{id, connector == 1 ? "Tessik board, connector 1" : "Tessik board, connector 2",
                   "CTessik", connector, 2,
                   {sio(1, 6, 0xF1, 0x01, 1), sio(1, 6, 0xF1, 0x02, 1)},
                   {sio(1, 6, 0xF2, 0x04, 1), sio(1, 6, 0xF2, 0x08, 1)},
                   false, 0, false, kNone,
                   {{0, 0}, {0, 0}}, 1, -1};
}

// A plain-port drawer. `open_high`: the sensor bit reads 1 while open.
// The power-on byte puts the drive line at its inactive level and the sensor
// at its closed level.
constexpr Profile gpio(int id, const char* model, uint16_t drive_port, uint8_t drive_mask,
                       int phase, uint16_t status_port, uint8_t status_mask, bool open_high) {
    const uint8_t drive_idle = phase == 0 ? drive_mask : 0;
    const uint8_t sense_closed = open_high ? 0 : status_mask;
    const bool same = drive_port == status_port;
    return Profile{id, model, "CGPIO", 1, 1,
                   {port(drive_port, drive_mask, static_cast<uint8_t>(phase)), kNone},
                   {port(status_port, status_mask, open_high ? 1 : 0), kNone},
                   false, 0, false, kNone,
                   {{drive_port, static_cast<uint8_t>(drive_idle | (same ? sense_closed : 0))},
                    {status_port, static_cast<uint8_t>(sense_closed | (same ? drive_idle : 0))}},
                   open_high ? 1 : 0, phase};
}

const Profile kProfiles[] = {
    volma(1, 1),
    volma(2, 2),
    tessik(3, 1),
    tessik(4, 2),
    gpio(5, "GPIO 0x0A04 (model 5)", 0x0A04, 0x01, 0, 0x0A04, 0x02, false),
    gpio(6, "GPIO 0x0A04 (model 6)", 0x0A04, 0x01, 0, 0x0A04, 0x02, false),
    gpio(7, "GPIO 0x050D", 0x050D, 0x40, 0, 0x050D, 0x20, true),
    gpio(8, "GPIO 0x0280/0x0281", 0x0280, 0x10, 0, 0x0281, 0x01, false),
    gpio(9, "GPIO 0x048C (model 9)", 0x048C, 0x04, 1, 0x048C, 0x40, true),
    gpio(10, "GPIO 0x0A24", 0x0A24, 0x40, 1, 0x0A24, 0x01, false),
    gpio(11, "GPIO 0x048F", 0x048F, 0x02, 0, 0x048F, 0x01, true),
    gpio(12, "GPIO 0x0A04 (model 12)", 0x0A04, 0x01, 0, 0x0A04, 0x02, false),
    gpio(13, "GPIO 0x0A02", 0x0A02, 0x04, 1, 0x0A02, 0x20, false),
    gpio(14, "GPIO 0x0482", 0x0482, 0x10, 1, 0x0482, 0x08, true),
    gpio(15, "GPIO 0x048C (model 15)", 0x048C, 0x04, 1, 0x048C, 0x40, true),
    // Custom wiring: CD_Port 0x0300, CD_Fire 0x08, CD_Phase 1, CS_Port 0x0301, CS_Status 0x10.
    gpio(99, "Custom GPIO 0x0300/0x0301", 0x0300, 0x08, 1, 0x0301, 0x10, true),
};
// clang-format on

}  // namespace

const Profile* find_profile(int id) {
    for (const Profile& p : kProfiles) {
        if (p.id == id) return &p;
    }
    return nullptr;
}

const Profile* all_profiles(int* count) {
    *count = static_cast<int>(sizeof(kProfiles) / sizeof(kProfiles[0]));
    return kProfiles;
}

int primary_drawer(const Profile& p) { return p.drawer_count == 2 && p.connector == 2 ? 1 : 0; }

}  // namespace winio_sim
