// One application's cash drawer, driven through the bench's control object
// in repeated cycles: open, claim, enable, open the drawer, health checks,
// DirectIO, freeze and thaw, disable, release, close. The bench closes the
// drawer after each opening, so every cycle owes the application exactly two
// "drawer closed" status events.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "co_client.h"
#include "machine.h"

namespace kestrix_soak {

class DrawerCycle {
public:
    // Creates the control object on the calling thread (an STA with a
    // message loop); every method must be called on that thread.
    DrawerCycle(winio_sim::Machine* machine, int drawer, const wchar_t* device);
    ~DrawerCycle();
    DrawerCycle(const DrawerCycle&) = delete;
    DrawerCycle& operator=(const DrawerCycle&) = delete;

    bool ok() const { return client_.ok(); }
    // Runs one cycle. False on the first unexpected result code, a lost,
    // duplicate or wrong event; then *failure names it.
    bool Run(std::string* failure);

    uint64_t events_received() const { return received_; }
    uint64_t events_expected() const { return expected_; }

private:
    bool Expect(const char* what, long want, long got, std::string* failure);
    // Lets the new monitor take its first reading, closes the drawer on the
    // bench and waits for the event that closing owes.
    bool CloseAndAwaitEvent(const char* after, std::string* failure);
    // Takes the events received so far, checking each is a "closed" status.
    bool Collect(std::string* failure);

    winio_sim::Machine* machine_;
    int drawer_;
    BSTR device_;
    opos_bench::test::CoClient client_;
    uint64_t received_ = 0;
    uint64_t expected_ = 0;
};

}  // namespace kestrix_soak
