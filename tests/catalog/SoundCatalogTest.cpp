#include "catalog/SoundCatalog.h"
#include "catalog/SoundTheme.h"
#include "device/RegistryFile.h"

#include <gtest/gtest.h>

using namespace SoundCatalog;

// The committed factory registry is an independent copy of the tables: a changed letter in a
// notification key or a default wave shows against it. The event names are written out here.
TEST(SoundCatalog, MatchesTheFactoryRegistryAndTheDeviceEventNames) {
    const std::string bytes = readFileBytes(BELLTIDE_TEST_DATA "/registries/factory.reg");
    const auto factory = RegistryFile::fromBytes(bytes);
    const RegistryValue* curr0 = factory.find("HKEY_LOCAL_MACHINE\\Snd\\Event", "Curr0");
    ASSERT_NE(curr0, nullptr);
    std::string factoryWaves, catalogWaves, names;
    for (std::size_t i = 0; i < curr0->data.size(); i += 2)
        factoryWaves += curr0->data[i] == 0 ? ';' : static_cast<char>(curr0->data[i]);
    for (int slot = 0; slot < EventSlotCount; ++slot) {
        catalogWaves += std::string(eventName(slot).empty() ? " " : defaultWaveName(slot)) + ";";
        names += std::string(eventName(slot)) + ";";
    }
    EXPECT_EQ(factoryWaves, catalogWaves + ";") << "the list ends with an empty string";
    EXPECT_EQ(names, "Asterisk;;Critical Stop;Default Sound;;Exclamation;Infrared Begin;Infrared "
                     "End;Infrared Interrupt;Menu Popup;Menu Selection;;Question;Network Begin;"
                     "Network End;Network Interrupt;Start Up;;;;;");

    for (int i = 0; i < NotificationCount; ++i) {
        std::string key; // as the UTF-16 text of the file spells it
        for (char c : "[HKEY_CURRENT_USER\\" + std::string(notificationKey(i)) + "]")
            key += {c, '\0'};
        EXPECT_NE(bytes.find(key), std::string::npos) << notificationKey(i);
    }
}

TEST(SoundTheme, ListsEachSoundFileOnceTheFirstInEventOrder) {
    SoundTheme theme;
    theme.insert("Start Up", SoundEntry{"late/", "ding", ".wav", 0});
    theme.insert("Asterisk", SoundEntry{"early/", "ding", ".wav", 0});
    ASSERT_EQ(theme.soundFiles().size(), 1u);
    EXPECT_EQ(theme.soundFiles().begin()->path(), "early/ding.wav");
}

// Started kilobytes below 4 GiB show in the sample theme's rows.
TEST(SoundTheme, CountsKilobytesInThirtyTwoBits) {
    EXPECT_EQ(sizeKBForLength((std::uint64_t{1} << 32) + 5000), 5u);
}
