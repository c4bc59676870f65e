#include "device/VirtualHandheld.h"
#include "device/RegistryFile.h"
#include "support/ArchiveBytes.h"
#include "support/FactoryImage.h"
#include "support/FakeRemoteDevice.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>

namespace fs = std::filesystem;

namespace {

const std::string NotifyKey =
    "HKEY_CURRENT_USER\\ControlPanel\\Notifications\\{0D3132C4-1298-469c-B2B8-F28CE2D649D0}";

// The export as the registry editor's text, before it is encoded.
const std::string ForeignRegistry = std::string(RegistryFile::Header) +
                                    "\r\n\r\n; kept comment\r\n"
                                    "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
                                    "\"Flag\"=dword:00000001\r\n\r\n"
                                    "[HKEY_LOCAL_MACHINE\\Snd\\Event]\r\n"
                                    "\"Other\"=\"keep \\\"me\\\"\"\r\n\r\n"
                                    "[" +
                                    NotifyKey + "]\r\n\"Wave\"=\"ping\"\r\n";

std::string textOf(const std::string& bytes) {
    return fromUtf16(
        utf16Units(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2, bytes.size() - 2));
}

// The bytes of a hex(7) value as one list, line breaks and continuations removed.
std::string hexValue(const std::string& text, const std::string& name) {
    auto at = text.find("\"" + name + "\"=hex(7):");
    if (at == std::string::npos)
        return {};
    at = text.find(':', at) + 1;
    std::string bytes;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\\') {
            at = text.find_first_not_of("\r\n ", at + 1) - 1;
            continue;
        }
        if (c == '\r' || c == '\n')
            break;
        bytes += c;
    }
    return bytes;
}

} // namespace

class VirtualHandheldTest : public ::testing::Test {
protected:
    VirtualHandheldTest() {
        fs::create_directories(folder.path() / "device" / "Windows");
        writeBytes(handheld.registryPath(), ForeignRegistry);
    }

    TempFolder folder;
    VirtualHandheld handheld{folder.path() / "device"};
    RecordingMessages messages;
    DeviceLink link{handheld, messages, std::chrono::milliseconds(100)};
};

TEST_F(VirtualHandheldTest, KeepsAThemeInItsRegistryFileAndKeepsWhatItDoesNotKnow) {
    link.connect();
    SoundTheme theme = link.makeBlankTheme();
    theme.find("Asterisk")->second = SoundEntry{"", "ding", ".wav", 0};
    theme.find("_Notify")->second = SoundEntry{"", "Glöckchen", ".wav", 0};
    link.writeSoundTheme(theme);

    const std::string bytes = readBytes(handheld.registryPath());
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::string text = textOf(bytes);
    std::string expected = "64,00,69,00,6e,00,67,00,00,00"; // "ding"
    for (int slot = 1; slot < 21; ++slot)
        expected += ",20,00,00,00";
    EXPECT_EQ(hexValue(text, "Curr0"), expected + ",00,00");
    for (const char* kept :
         {"; kept comment\r\n", "\"Flag\"=dword:00000001\r\n", "\"Other\"=\"keep \\\"me\\\"\"\r\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    EXPECT_NE(text.find("\"Wave\"=\"Glöckchen\""), std::string::npos);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    link.disconnect();
}

TEST(FactoryImage, IsCompleteLoadsAsAFullThemeAndIsNeverOverwritten) {
    TempFolder folder;
    const fs::path device = folder.path() / "device";
    ASSERT_EQ(makeFactoryImage(device), 0);
    VirtualHandheld handheld(device);
    RecordingMessages messages;
    DeviceLink link(handheld, messages);
    link.connect();
    const SoundTheme theme = link.readSoundTheme();
    EXPECT_EQ(theme.size(), 25);
    EXPECT_TRUE(messages.shown.empty());
    for (const auto& file : theme.soundFiles()) {
        const std::string wave = readBytes(device / "Windows" / (file.name + ".wav"));
        ASSERT_GT(wave.size(), 44u) << file.name;
        EXPECT_EQ(wave.substr(0, 4), "RIFF");
        EXPECT_EQ(wave.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(wave.substr(20, 4), std::string("\x01\x00\x01\x00", 4)) << "PCM, mono";
        EXPECT_EQ(wave.substr(34, 2), std::string("\x10\x00", 2)) << "16 bits";
    }
    EXPECT_EQ(theme.soundFiles().size(), 19u);

    writeBytes(device / "registry.reg", "changed by the user");
    ASSERT_EQ(makeFactoryImage(device), 0);
    EXPECT_EQ(readBytes(device / "registry.reg"), "changed by the user");
}

TEST(RegistryFileText, AValueCutShortNeverSwallowsTheLinesAfterIt) {
    auto registry = RegistryFile::fromBytes(std::string(RegistryFile::Header) +
                                            "\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"cut\"=hex:01,\\\\");
    registry.set("HKEY_LOCAL_MACHINE\\Snd\\Event", "Curr0", {7, {0x61, 0, 0, 0, 0, 0}});
    const auto again = RegistryFile::fromBytes(registry.toBytes());
    ASSERT_NE(again.find("HKEY_LOCAL_MACHINE\\Snd\\Event", "Curr0"), nullptr);
    EXPECT_EQ(again.find("HKEY_LOCAL_MACHINE\\Snd\\Event", "Curr0")->data,
              (std::vector<std::uint8_t>{0x61, 0, 0, 0, 0, 0}));
    EXPECT_EQ(again.toBytes(), registry.toBytes());
}
