#pragma once
// Our USB printers get a queue of their own when they are plugged in: the bus is looked at every few seconds, and
// a printer that was not there at the last look and has no queue yet gets one, named after its model.
#include <pappl/pappl.h>

namespace print_app {

inline constexpr int kHotplugLookSeconds = 2;
// The driver a new printer starts with; the admin may add it again with another.
inline constexpr const char* kAutoDriver = "qrx-label-100x150";

// For papplSystemAddTimerCallback.
bool LookForNewPrinters(pappl_system_t* system, void* data);

// Waits for queues still being made; after the server has stopped.
void StopLookingForPrinters();

}  // namespace print_app
