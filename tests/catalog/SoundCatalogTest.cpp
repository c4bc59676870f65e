#include "catalog/SoundCatalog.h"

#include <gtest/gtest.h>

#include <string>

using namespace SoundCatalog;

// Written out from the factory registry (tests/data/registries/factory.reg: its "Curr0" list and
// its notification keys) and the event names of the device, never from the catalog, so that a
// changed letter in either shows.
TEST(SoundCatalog, MatchesTheFactoryRegistryLetterForLetter) {
    std::string slots;
    for (int slot = 0; slot < EventSlotCount; ++slot)
        slots += std::string(eventName(slot)) + "=" + std::string(defaultWaveName(slot)) + ";";
    EXPECT_EQ(slots, "Asterisk=alarm1;=;Critical Stop=alarm1;Default Sound=default;=;"
                     "Exclamation=default;Infrared Begin=infbeg;Infrared End=infend;"
                     "Infrared Interrupt=alarm4;Menu Popup=menupop;Menu Selection=hwandsw;=;"
                     "Question=alarm3;Network Begin=infbeg;Network End=infend;"
                     "Network Interrupt=alarm1;Start Up=alarm2;=;=;=;=;");
    const std::string prefix = "ControlPanel\\Notifications\\";
    std::string keys;
    for (int i = 0; i < NotificationCount; ++i) {
        const std::string key(notificationKey(i));
        EXPECT_EQ(key.substr(0, prefix.size()), prefix);
        keys += key.substr(prefix.size()) + "=" + std::string(notificationName(i)) + ";";
    }
    EXPECT_EQ(keys, "{0D3132C4-1298-469c-B2B8-F28CE2D649D0}=_Notify;"
                    "{A877D658-239C-47a7-9304-0D347F580408}=_ActiveSync: Begin sync;"
                    "{A877D659-239C-47a7-9304-0D347F580408}=_ActiveSync: End sync;"
                    "{A877D65A-239C-47a7-9304-0D347F580408}=_Inbox: New e-mail message;"
                    "{A877D65D-239C-47a7-9304-0D347F580408}=_Online;"
                    "{A877D65E-239C-47a7-9304-0D347F580408}=_MSN Messenger: Contact online;"
                    "{A877D65F-239C-47a7-9304-0D347F580408}=_MSN Messenger: New message;"
                    "{A877D663-239C-47a7-9304-0D347F580408}=_lowbatt;"
                    "{F55615D6-D29E-4db8-8C75-98125D1A7253}=_Beam: Autoreceive;"
                    "Default=_default;Reminders=_Reminders;");
}
