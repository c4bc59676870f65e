#include "catalog/MessageError.h"
#include "catalog/SoundCatalog.h"
#include "support/ArchiveBytes.h"
#include "support/FakeRemoteDevice.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> FactoryScheme = {
    "alarm1", " ",      "alarm1",  "default", " ", "default", "infbeg",
    "infend", "alarm4", "menupop", "hwandsw", " ", "alarm3",  "infbeg",
    "infend", "alarm1", "alarm2",  " ",       " ", " ",       " "};

std::string message(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const MessageError& error) {
        return error.text();
    }
    return "(nothing raised)";
}

} // namespace

class DeviceLinkTest : public ::testing::Test {
protected:
    DeviceLinkTest() {
        device.registry["Snd\\Event"]["Curr0"] = {Rapi::RegMultiSz, utf16Strings(FactoryScheme)};
        for (int i = 0; i < SoundCatalog::NotificationCount; ++i)
            device.registry[std::string(SoundCatalog::notificationKey(i))]["Wave"] = {
                Rapi::RegSz, utf16Strings({"note" + std::to_string(i)}, false)};
    }

    std::string wave(int notification) {
        const auto& data =
            device.registry[std::string(SoundCatalog::notificationKey(notification))]["Wave"].data;
        return fromUtf16(utf16Units(data.data(), data.size()));
    }

    FakeRemoteDevice device;
    RecordingMessages messages;
    DeviceLink link{device, messages, std::chrono::milliseconds(20)};
};

TEST_F(DeviceLinkTest, ConnectFailsWhenTheDeviceRefusesOrNeverAnswers) {
    EXPECT_EQ(message([&] { link.connect(); }), "(nothing raised)");
    link.disconnect();
    const std::string failed =
        "Couldn't establish a connection to the device. Check Activesync connection";
    device.initResult = Rapi::EFail;
    EXPECT_EQ(message([&] { link.connect(); }), failed);
    device.initResult = 0;
    device.answers = false;
    EXPECT_EQ(message([&] { link.connect(); }), failed);
    EXPECT_EQ(device.calls,
              (std::vector<std::string>{"CeRapiInitEx", "CeRapiUninit", "CeRapiInitEx",
                                        "CeRapiUninit", "CeRapiInitEx", "CeRapiUninit"}));
}

struct SchemeCase {
    const char* what;
    std::optional<std::vector<std::uint8_t>> curr0; // none: the value is missing
    int events;                                     // rows read for system events
    bool defaults;
    std::vector<std::string> shown;
    friend void PrintTo(const SchemeCase& scheme, std::ostream* out) { *out << scheme.what; }
};

class ReadEventScheme : public DeviceLinkTest, public ::testing::WithParamInterface<SchemeCase> {};

TEST_P(ReadEventScheme, ReadsWhatThereIsOrFallsBackToTheDefaults) {
    auto& values = device.registry["Snd\\Event"];
    if (GetParam().curr0)
        values["Curr0"] = {Rapi::RegMultiSz, *GetParam().curr0};
    else
        values.erase("Curr0");
    const SoundTheme theme = link.readSoundTheme();
    EXPECT_EQ(theme.size(), GetParam().events + 11);
    EXPECT_EQ(messages.shown, GetParam().shown);
    EXPECT_EQ(theme.find("Asterisk")->second.name, GetParam().defaults ? "alarm1" : "mine");
    EXPECT_EQ(theme.find("_Notify")->second.path(), "note0.wav");
    EXPECT_EQ(device.openFiles.size(), 0u);
}

std::vector<std::string> schemeOf(int strings) {
    std::vector<std::string> scheme(FactoryScheme.begin(), FactoryScheme.begin() + strings);
    if (strings > 0)
        scheme[0] = "mine";
    return scheme;
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, ReadEventScheme,
    ::testing::Values(
        SchemeCase{"all_21", utf16Strings(schemeOf(21)), 14, false, {}},
        SchemeCase{"twelve", utf16Strings(schemeOf(12)), 9, false, {}},
        SchemeCase{"nine", utf16Strings(schemeOf(9)), 14, true, {}},
        SchemeCase{"empty", utf16Strings({}), 14, true, {}},
        SchemeCase{"missing", std::nullopt, 14, true, {"Could not find register key"}},
        SchemeCase{"too_large",
                   utf16Strings(std::vector<std::string>(60, "abcd")),
                   14,
                   true,
                   {"Could not find register key"}},
        // 500 bytes without a closing NUL: nothing past the data may be read.
        SchemeCase{"no_closing_nul", std::vector<std::uint8_t>(500, 'a'), 14, true, {}}),
    [](const auto& param) { return std::string(param.param.what); });

TEST_F(DeviceLinkTest, MissingOrUnreadableSettingsReadAsNoSound) {
    device.registry.erase("Snd\\Event");
    device.registry.erase(std::string(SoundCatalog::notificationKey(0)));
    device.registry[std::string(SoundCatalog::notificationKey(1))]["Wave"].data =
        utf16Strings({std::string(50, 'w')}, false); // 102 bytes: over the buffer
    device.registry[std::string(SoundCatalog::notificationKey(2))]["Wave"].data =
        utf16Strings({" "}, false);
    const SoundTheme theme = link.readSoundTheme();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Could not find main register key"});
    for (const char* name : {"_Notify", "_ActiveSync: Begin sync", "_ActiveSync: End sync"})
        EXPECT_FALSE(theme.find(name)->second.hasSound()) << name;
    EXPECT_EQ(theme.find("Question")->second.name, "alarm3");
}

TEST_F(DeviceLinkTest, WritesSilenceAsSpacesAndEmptyWaves) {
    SoundTheme theme = link.makeBlankTheme();
    link.writeSoundTheme(theme);
    EXPECT_EQ(device.registry["Snd\\Event"]["Curr0"].data,
              utf16Strings(std::vector<std::string>(21, " ")));
    EXPECT_EQ(device.registry["Snd\\Event"]["Curr0"].type, Rapi::RegMultiSz);
    EXPECT_EQ(wave(0), std::string(1, '\0'));
    EXPECT_EQ(device.registry[std::string(SoundCatalog::notificationKey(0))]["Wave"].type,
              Rapi::RegSz);
}

TEST_F(DeviceLinkTest, LeavesNotificationsAloneWithoutExtendedUpload) {
    SoundTheme theme = link.makeBlankTheme();
    theme.setUploadExtended(false);
    link.writeSoundTheme(theme);
    EXPECT_EQ(wave(5), std::string("note5") + '\0');
    for (const auto& call : device.calls)
        EXPECT_NE(call, "CeRegSetValueEx Wave");
}

TEST_F(DeviceLinkTest, RoundTripsNamesBeyondAsciiAndLongerThanTheBuffer) {
    SoundTheme theme = link.makeBlankTheme();
    const std::string bell = "Glöckchen-€";
    const std::string longName(60, 'x');
    theme.find("Asterisk")->second = SoundEntry{"", bell, ".wav", 0};
    theme.find("_Reminders")->second = SoundEntry{"", longName, ".wav", 0};
    link.writeSoundTheme(theme);
    EXPECT_EQ(wave(10), longName + '\0') << "written whole";
    const SoundTheme back = link.readSoundTheme();
    EXPECT_EQ(back.find("Asterisk")->second.name, bell);
    EXPECT_FALSE(back.find("_Reminders")->second.hasSound()) << "too long for the read buffer";
}

TEST_F(DeviceLinkTest, RegistryWriteFailuresAreShownInPlace) {
    device.failing = {"CeRegSetValueEx Curr0"};
    link.writeSoundTheme(link.makeBlankTheme());
    device.failing = {"CeRegOpenKeyEx Snd\\Event"};
    link.writeSoundTheme(link.makeBlankTheme());
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Could not find register key",
                                                        "Could not find main register key"}));
}

TEST_F(DeviceLinkTest, ReloadReportsTheThreeKnownFailuresAndFreesTheOutput) {
    device.invokeGivesOutput = true;
    for (const std::int32_t code : {0, 2, 120, 1064, 5})
        device.invokeResult = code, link.refreshDeviceAudio();
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"file not found", "call not implemented",
                                                        "exception in service"}));
    EXPECT_EQ(device.buffersFreed, 5);
    EXPECT_EQ(device.calls.back(), "CeRapiInvoke coredll.dll AudioUpdateFromRegistry");
}

class FileCopies : public DeviceLinkTest {
protected:
    std::string pcDir() const { return folder.dir(); }
    TempFolder folder;
};

TEST_F(FileCopies, CopyBothWaysWholeAndReplaceWhatIsThere) {
    device.files["Windows\\ding.wav"] = std::string(3000, 'd');
    device.files["Windows\\empty.wav"] = "";
    folder.writeFile("ding.wav", 10, 'o');
    link.copyFileFromDevice("Windows\\", pcDir(), "ding.wav");
    link.copyFileFromDevice("Windows\\", pcDir(), "empty.wav");
    EXPECT_EQ(readBytes(folder.path() / "ding.wav"), std::string(3000, 'd'));
    EXPECT_EQ(readBytes(folder.path() / "empty.wav"), "");

    folder.writeFile("up.wav", 2000, 'u');
    device.files["Windows\\up.wav"] = "old";
    link.copyFileToDevice(pcDir(), "Windows\\", "up.wav");
    EXPECT_EQ(device.files["Windows\\up.wav"], std::string(2000, 'u'));
    EXPECT_TRUE(device.openFiles.empty());
}

struct CopyFault {
    const char* what;
    bool toDevice;
    std::set<std::string> failing;
    bool shortTransfers;
    std::string message; // "@" stands for the PC folder
    friend void PrintTo(const CopyFault& fault, std::ostream* out) { *out << fault.what; }
};

class CopyFailure : public FileCopies, public ::testing::WithParamInterface<CopyFault> {};

TEST_P(CopyFailure, RaisesItsMessageAndLeavesNothingOpenOrHalfWritten) {
    device.files["Windows\\ding.wav"] = std::string(3000, 'd');
    folder.writeFile("ding.wav", 2000, 'u');
    device.failing = GetParam().failing;
    device.shortTransfers = GetParam().shortTransfers;
    const std::string pc = GetParam().what == std::string("no_pc_folder")
                               ? (folder.path() / "missing" / "").string()
                               : pcDir();
    std::string expected = GetParam().message;
    if (const auto at = expected.find('@'); at != std::string::npos)
        expected.replace(at, 1, pc);
    if (GetParam().toDevice) {
        if (GetParam().what == std::string("no_pc_file"))
            std::filesystem::remove(folder.path() / "ding.wav");
        EXPECT_EQ(message([&] { link.copyFileToDevice(pc, "Windows\\", "ding.wav"); }), expected);
    } else {
        std::filesystem::remove(folder.path() / "ding.wav");
        if (GetParam().what == std::string("no_device_file"))
            device.files.clear();
        EXPECT_EQ(message([&] { link.copyFileFromDevice("Windows\\", pc, "ding.wav"); }), expected);
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "ding.wav")) << "no partial file";
    }
    EXPECT_TRUE(device.openFiles.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CopyFailure,
    ::testing::Values(
        CopyFault{"no_device_file",
                  false,
                  {},
                  false,
                  "Could not open file on PPC \"\\Windows\\ding.wav\"."},
        CopyFault{"no_pc_folder", false, {}, false, "Could not write file to PC \"@ding.wav\"."},
        CopyFault{"size_query",
                  false,
                  {"CeGetFileSize"},
                  false,
                  "Could not read file on PPC \"\\Windows\\ding.wav\"."},
        CopyFault{"failed_read",
                  false,
                  {"CeReadFile"},
                  false,
                  "Could not read file on PPC \"\\Windows\\ding.wav\"."},
        CopyFault{
            "short_read", false, {}, true, "Could not read file on PPC \"\\Windows\\ding.wav\"."},
        CopyFault{"no_pc_file", true, {}, false, "Could not copy file from PC \"ding.wav\""},
        CopyFault{"device_create",
                  true,
                  {"CeCreateFile"},
                  false,
                  "Could not write file to PPC \"\\Windows\\ding.wav\"."},
        CopyFault{"failed_write",
                  true,
                  {"CeWriteFile"},
                  false,
                  "Could not write file to PPC \"\\Windows\\ding.wav\"."},
        CopyFault{
            "short_write", true, {}, true, "Could not write file to PPC \"\\Windows\\ding.wav\"."}),
    [](const auto& param) { return std::string(param.param.what); });
