#include "SoundCatalog.h"

#include <array>
#include <cassert>

namespace SoundCatalog {
namespace {

struct EventSlot {
    std::string_view eventName;
    std::string_view defaultWave;
};

constexpr std::array<EventSlot, EventSlotCount> EventSlots{{
    {"Asterisk", "alarm1"},
    {"", ""},
    {"Critical Stop", "alarm1"},
    {"Default Sound", "default"},
    {"", ""},
    {"Exclamation", "default"},
    {"Infrared Begin", "infbeg"},
    {"Infrared End", "infend"},
    {"Infrared Interrupt", "alarm4"},
    {"Menu Popup", "menupop"},
    {"Menu Selection", "hwandsw"},
    {"", ""},
    {"Question", "alarm3"},
    {"Network Begin", "infbeg"},
    {"Network End", "infend"},
    {"Network Interrupt", "alarm1"},
    {"Start Up", "alarm2"},
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
}};

struct Notification {
    std::string_view key;
    std::string_view displayName;
};

constexpr std::array<Notification, NotificationCount> Notifications{{
    {"ControlPanel\\Notifications\\{0D3132C4-1298-469c-B2B8-F28CE2D649D0}", "_Notify"},
    {"ControlPanel\\Notifications\\{A877D658-239C-47a7-9304-0D347F580408}",
     "_ActiveSync: Begin sync"},
    {"ControlPanel\\Notifications\\{A877D659-239C-47a7-9304-0D347F580408}",
     "_ActiveSync: End sync"},
    {"ControlPanel\\Notifications\\{A877D65A-239C-47a7-9304-0D347F580408}",
     "_Inbox: New e-mail message"},
    {"ControlPanel\\Notifications\\{A877D65D-239C-47a7-9304-0D347F580408}", "_Online"},
    {"ControlPanel\\Notifications\\{A877D65E-239C-47a7-9304-0D347F580408}",
     "_MSN Messenger: Contact online"},
    {"ControlPanel\\Notifications\\{A877D65F-239C-47a7-9304-0D347F580408}",
     "_MSN Messenger: New message"},
    {"ControlPanel\\Notifications\\{A877D663-239C-47a7-9304-0D347F580408}", "_lowbatt"},
    {"ControlPanel\\Notifications\\{F55615D6-D29E-4db8-8C75-98125D1A7253}", "_Beam: Autoreceive"},
    {"ControlPanel\\Notifications\\Default", "_default"},
    {"ControlPanel\\Notifications\\Reminders", "_Reminders"},
}};

} // namespace

std::string_view eventName(int slot) {
    assert(slot >= 0 && slot < EventSlotCount);
    return EventSlots.at(static_cast<std::size_t>(slot)).eventName;
}

std::string_view defaultWaveName(int slot) {
    assert(slot >= 0 && slot < EventSlotCount);
    return EventSlots.at(static_cast<std::size_t>(slot)).defaultWave;
}

std::string_view notificationKey(int index) {
    assert(index >= 0 && index < NotificationCount);
    return Notifications.at(static_cast<std::size_t>(index)).key;
}

std::string_view notificationName(int index) {
    assert(index >= 0 && index < NotificationCount);
    return Notifications.at(static_cast<std::size_t>(index)).displayName;
}

} // namespace SoundCatalog
