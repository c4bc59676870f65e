#include "DeviceLink.h"

#include "catalog/SoundCatalog.h"

SoundTheme DeviceLink::makeBlankTheme() {
    SoundTheme theme;
    for (int slot = 0; slot < SoundCatalog::EventSlotCount; ++slot) {
        const auto name = SoundCatalog::eventName(slot);
        if (!name.empty())
            theme.insert(std::string(name), SoundEntry::none());
    }
    for (int i = 0; i < SoundCatalog::NotificationCount; ++i)
        theme.insert(std::string(SoundCatalog::notificationName(i)), SoundEntry::none());
    return theme;
}
