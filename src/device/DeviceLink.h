// The program's road to the handheld.
#pragma once

#include "catalog/SoundTheme.h"

class DeviceLink {
public:
    virtual ~DeviceLink() = default;

    // A theme with every event and notification of the catalog and no sound; the device is
    // not asked.
    SoundTheme makeBlankTheme() const;
};
