// The virtual handheld's registry file and its factory image.
#include "device/RegistryFile.h"
#include "device/Utf16.h"
#include "support/ArchiveBytes.h"
#include "support/DeviceBackends.h"
#include "support/FactoryImage.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const std::string A = "HKEY_LOCAL_MACHINE\\A", B = "HKEY_LOCAL_MACHINE\\B";

RegistryValue text(const std::string& value) {
    return {Rapi::RegSz, utf16Bytes(value)};
}

} // namespace

TEST(RegistryFileText, WritesEscapedStringsOneLinePerValueAndKeepsWhatItDoesNotKnow) {
    auto registry = RegistryFile::fromBytes(std::string(RegistryFile::Header) + "\r\n; kept\r\n[" +
                                            A + "]\r\n\"Flag\"=dword:00000001\r\n" +
                                            "\"v\"=\"first\"\r\n\"v\"=\"last\"\r\n");
    EXPECT_EQ(registry.find(A, "V")->data, text("last").data) << "the last line counts";
    registry.set(A, "v", text("new"));
    EXPECT_EQ(registry.find(A, "v")->data, text("new").data);
    registry.set(A, "s", text("old"));
    registry.set(A, "s", text("say \"hi\" C:\\x"));
    const std::string bytes = registry.toBytes();
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::string written = fromUtf16(
        utf16Units(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2, bytes.size() - 2));
    for (const char* line :
         {"; kept\r\n", "\"Flag\"=dword:00000001\r\n", "\r\n\"s\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line;
    EXPECT_EQ(written.find("\"s\"="), written.rfind("\"s\"=")) << "one line for a value set twice";
}

TEST(RegistryFileText, AValueCutShortNeverSwallowsTheKeyRightAfterIt) {
    const auto registry =
        RegistryFile::fromBytes(std::string(RegistryFile::Header) + "\r\n[" + A +
                                "]\r\n\"cut\"=hex:01,\\\r\n[" + B + "]\r\n\"v\"=\"x\"\r\n");
    EXPECT_TRUE(registry.hasKey(B));
    ASSERT_NE(registry.find(B, "v"), nullptr);
    EXPECT_EQ(registry.find(B, "v")->data, text("x").data);
}

TEST(FactoryImage, HoldsAFullThemeOfPcmWavesAndIsNeverOverwritten) {
    TempFolder folder;
    const auto device = folder.path() / "device";
    ASSERT_EQ(makeFactoryImage(device), 0);
    VirtualHandheld handheld(device);
    RecordingMessages messages;
    const SoundTheme theme = DeviceLink(handheld, messages).readSoundTheme();
    EXPECT_EQ(theme.size(), 25);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(theme.soundFiles().size(), 19u);
    for (const auto& file : theme.soundFiles()) {
        const std::string wave = readBytes(device / "Windows" / (file.name + ".wav"));
        EXPECT_EQ(wave.substr(0, 4) + wave.substr(8, 8) + wave.substr(20, 4) + wave.substr(34, 2),
                  std::string("RIFFWAVEfmt \1\0\1\0\x10\0", 18)) // PCM, mono, 16 bits
            << file.name;
    }
    writeBytes(device / "registry.reg", "changed by the user");
    ASSERT_EQ(makeFactoryImage(device), 0);
    EXPECT_EQ(readBytes(device / "registry.reg"), "changed by the user");
}
