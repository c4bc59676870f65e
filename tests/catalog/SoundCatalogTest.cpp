#include "catalog/SoundCatalog.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace SoundCatalog;

TEST(SoundCatalog, DefaultWavesSpellTheDeviceDefaultEventScheme) {
    // The factory "Curr0" of the handheld, a space standing for an unmanaged slot.
    const char* const deviceDefault[EventSlotCount] = {
        "alarm1", " ",      "alarm1",  "default", " ", "default", "infbeg",
        "infend", "alarm4", "menupop", "hwandsw", " ", "alarm3",  "infbeg",
        "infend", "alarm1", "alarm2",  " ",       " ", " ",       " "};
    for (int slot = 0; slot < EventSlotCount; ++slot) {
        const std::string wave(defaultWaveName(slot));
        EXPECT_EQ(wave.empty() ? " " : wave, deviceDefault[slot]) << "slot " << slot;
        EXPECT_EQ(eventName(slot).empty(), wave.empty()) << "slot " << slot;
    }
}

TEST(SoundCatalog, NamesFourteenEventsAndElevenDistinctNotifications) {
    std::set<std::string> names;
    int named = 0;
    for (int slot = 0; slot < EventSlotCount; ++slot) {
        if (eventName(slot).empty())
            continue;
        ++named;
        EXPECT_NE(eventName(slot).front(), '_');
        names.emplace(eventName(slot));
    }
    EXPECT_EQ(named, 14);
    EXPECT_TRUE(eventName(EventSlotCount - 1).empty()) << "defaults over slots 0..19 reach all";
    std::set<std::string> keys;
    for (int i = 0; i < NotificationCount; ++i) {
        ASSERT_FALSE(notificationName(i).empty());
        EXPECT_EQ(notificationName(i).front(), '_');
        EXPECT_TRUE(notificationKey(i).starts_with("ControlPanel\\Notifications\\"));
        names.emplace(notificationName(i));
        keys.emplace(notificationKey(i));
    }
    EXPECT_EQ(names.size(), 25u);
    EXPECT_EQ(keys.size(), 11u);
}
