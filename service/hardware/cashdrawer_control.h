// The drawer hardware access interface and what every variant shares.
#pragma once

#include <cstdint>

#include "hardware/winio_binding.h"
#include "platform.h"

namespace kestrix {

// The two drawer lines, reached through one variant. The operations are
// listed in slot order; the base does nothing (Initialize false, ReadStatus 0).
// Objects are owned by value and never deleted through this type.
class CCashdrawerControl {
public:
    // Binds the port library in `directory` and starts its driver.
    virtual bool Initialize(const char16_t* directory) {
        (void)directory;
        return false;
    }
    // One-time chip set-up after a successful Initialize.
    virtual void Prepare() {}
    // Drives the solenoid for `ms` milliseconds under the port lock.
    virtual void Pulse(int32_t ms) { (void)ms; }
    virtual void SetConnector(int32_t connector) { (void)connector; }
    virtual void SetDrivePort(int32_t port) { (void)port; }
    virtual void SetDriveMask(int32_t mask) { (void)mask; }
    virtual void SetDrivePhase(int32_t phase) { (void)phase; }
    virtual void SetStatusPort(int32_t port) { (void)port; }
    virtual void SetStatusMask(int32_t mask) { (void)mask; }
    // Raw sensor level, 0 or 1, sampled under the port lock.
    virtual int32_t ReadStatus() { return 0; }

protected:
    CCashdrawerControl() = default;
    ~CCashdrawerControl() = default;
    CCashdrawerControl(const CCashdrawerControl&) = delete;
    CCashdrawerControl& operator=(const CCashdrawerControl&) = delete;
};

// A variant that reaches its lines through its own WinIo32 binding. Port
// access through an unbound library does nothing and reads 0, so a variant
// that was never initialised successfully never touches a port.
class CPortVariant : public CCashdrawerControl {
public:
    // Loads the library from `directory`, then starts its driver; true only
    // when both succeeded.
    bool Initialize(const char16_t* directory) override;
    void SetConnector(int32_t connector) override { connector_ = connector; }

protected:
    // `loader` and `clock` are not owned and must outlive the variant.
    CPortVariant(ILibraryLoader* loader, IClock* clock) : binding_(loader), clock_(clock) {}
    ~CPortVariant() = default;

    // R(p): one byte read into a 32-bit value that was 0 before the call.
    uint32_t R(uint32_t port);
    // W(p, v): writes the low byte of v.
    void W(uint32_t port, uint32_t value);
    // The wait inside a pulse; a negative time waits not at all.
    void Wait(int32_t ms);

    CWinIoBinding binding_;
    IClock* clock_;
    int32_t connector_ = 0;
};

}  // namespace kestrix
