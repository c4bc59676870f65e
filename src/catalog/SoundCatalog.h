// The fixed tables of device sound events and notification keys that Belltide manages.
#pragma once

#include <string_view>

namespace SoundCatalog {

inline constexpr int EventSlotCount = 21;
inline constexpr int NotificationCount = 11;

// Event name of slot 0..20; empty for a slot Belltide does not manage.
std::string_view eventName(int slot);
// Wave given to slot 0..20 when the device has no usable scheme; empty for unmanaged slots.
std::string_view defaultWaveName(int slot);
// Registry key of notification 0..10, relative to HKEY_CURRENT_USER on the device.
std::string_view notificationKey(int index);
// Display name of notification 0..10; always begins with "_".
std::string_view notificationName(int index);

} // namespace SoundCatalog
