// The device link against each backend, on a virtual handheld in a fresh folder.
#include "catalog/MessageError.h"
#include "device/RegistryFile.h"
#include "device/Utf16.h"
#include "support/ArchiveBytes.h"
#include "support/DeviceBackends.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string EventKey = "HKEY_LOCAL_MACHINE\\Snd\\Event";
const std::string RemindersKey = "HKEY_CURRENT_USER\\ControlPanel\\Notifications\\Reminders";

// A multi-string value: the strings, each with its NUL, and the NUL that ends the list.
std::vector<std::uint8_t> list(const std::string& text, int times) {
    std::string texts;
    for (int i = 0; i < times; ++i)
        texts += text + '\0';
    return utf16Bytes(texts);
}

std::string raised(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const MessageError& error) {
        return error.text();
    }
    return "(nothing raised)";
}

} // namespace

// The only notification key is the reminders', with the wave "note".
class DeviceLinkTest : public ::testing::TestWithParam<DeviceBackend> {
protected:
    DeviceLinkTest() {
        fs::create_directories(deviceFolder / "Windows");
        set(RemindersKey, "Wave", {Rapi::RegSz, utf16Bytes("note")});
        link.connect();
    }
    ~DeviceLinkTest() override { link.disconnect(); }

    void set(const std::string& key, const std::string& name, const RegistryValue& value) {
        auto file = RegistryFile::fromBytes(readFileBytes(registry));
        file.set(key, name, value);
        ASSERT_TRUE(replaceFileBytes(registry, file.toBytes()));
    }
    std::vector<std::uint8_t> value(const std::string& key, const std::string& name) const {
        return RegistryFile::fromBytes(readFileBytes(registry)).find(key, name)->data;
    }

    TempFolder folder;
    const fs::path deviceFolder = folder.path() / "device";
    std::unique_ptr<RemoteDevice> device = GetParam().make(deviceFolder);
    RecordingMessages messages;
    DeviceLink link{*device, messages, 300ms};
    const std::string registry = (deviceFolder / "registry.reg").string();
};

TEST_P(DeviceLinkTest, ConnectFailsAtOnceWithoutADeviceAndAfterTheTimeOutWhenItNeverAnswers) {
    const auto failure = [&](const fs::path& at) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THROW(DeviceLink(*GetParam().make(at), messages, 300ms).connect(), MessageError);
        return std::chrono::steady_clock::now() - start;
    };
    EXPECT_LT(failure(folder.path() / "absent"), 250ms);
    writeBytes(deviceFolder / "offline", "");
    EXPECT_GE(failure(deviceFolder), 300ms);
}

TEST_P(DeviceLinkTest, ReadsTheSchemeOrFallsBackToTheDefaults) {
    const auto scheme = [](int strings) {
        auto data = list("x", strings);
        data[0] = 'm'; // Asterisk
        return data;
    };
    const struct {
        std::optional<std::vector<std::uint8_t>> curr0; // none: no Snd\Event key
        const char* asterisk;
        std::vector<std::string> shown;
    } rows[] = {
        {std::nullopt, "alarm1", {"Could not find main register key"}},
        {scheme(10), "m", {}},
        {scheme(9), "alarm1", {}},
        {std::vector<std::uint8_t>(500, 'a'), "alarm1", {}}, // fills the buffer, no closing NUL
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.curr0 ? row.curr0->size() : 0);
        if (row.curr0)
            set(EventKey, "Curr0", {Rapi::RegMultiSz, *row.curr0});
        messages.shown.clear();
        const SoundTheme theme = link.readSoundTheme();
        EXPECT_EQ(theme.find("Asterisk")->second.name, row.asterisk);
        EXPECT_EQ(theme.find("_Reminders")->second.path(), "note.wav");
        EXPECT_EQ(messages.shown, row.shown);
    }
}

TEST_P(DeviceLinkTest, WritesSilenceAsSpacesNotificationsWhenExtendedAndNamesBeyondAscii) {
    set(EventKey, "Curr0", {Rapi::RegMultiSz, {0, 0}});
    SoundTheme theme = link.makeBlankTheme();
    EXPECT_EQ(theme.size(), 25);
    theme.setUploadExtended(false);
    link.writeSoundTheme(theme);
    EXPECT_EQ(value(EventKey, "Curr0"), list(" ", 21));
    EXPECT_EQ(value(RemindersKey, "Wave"), utf16Bytes("note"));

    const std::string bell = "Glöckchen-€-\xF0\x9F\x94\x94", longName(60, 'x');
    theme.find("Asterisk")->second = SoundEntry{"", bell, ".wav", 0};
    theme.find("_Reminders")->second = SoundEntry{"", longName, ".wav", 0};
    theme.setUploadExtended(true);
    link.writeSoundTheme(theme);
    EXPECT_EQ(value(RemindersKey, "Wave"), utf16Bytes(longName)) << "written whole";
    const SoundTheme back = link.readSoundTheme();
    EXPECT_EQ(back.find("Asterisk")->second.name, bell);
    EXPECT_FALSE(back.find("_Reminders")->second.hasSound()) << "too long for the read buffer";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_P(DeviceLinkTest, OpensADeviceFileOnceInAnySpellingAndNeverOutsideTheDevice) {
    writeBytes(deviceFolder / "Windows" / "Ding.wav", "abc");
    const auto open = [&](const std::u16string& path) {
        return device->CeCreateFile(path, Rapi::GenericRead, 0, Rapi::OpenExisting, 0);
    };
    const Rapi::Handle first = open(u"\\WINDOWS\\ding.WAV");
    EXPECT_EQ(open(u"Windows\\Ding.wav"), Rapi::InvalidHandle) << "share mode 0";
    EXPECT_TRUE(device->CeCloseHandle(first));
    EXPECT_EQ(open(u"Windows\\..\\registry.reg"), Rapi::InvalidHandle);
}

#ifndef _WIN32
// A full disk may show only when the PC file is closed: these bytes fit the stream's buffer.
TEST_P(DeviceLinkTest, ACopyWhoseWriteFailsOnCloseRaisesAndLeavesNoPcFile) {
    writeBytes(deviceFolder / "Windows" / "ding.wav", std::string(600, 'd'));
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit lower{100, old.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const std::shared_ptr<void> restore(nullptr, [&](void*) {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
    });
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lower), 0);
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("Windows\\", folder.dir(), "ding.wav"); }),
              "Could not write file to PC \"" + folder.dir() + "ding.wav\".");
    EXPECT_FALSE(fs::exists(folder.path() / "ding.wav"));
}
#endif

INSTANTIATE_TEST_SUITE_P(Backends, DeviceLinkTest, ::testing::ValuesIn(deviceBackends()),
                         [](const auto& param) { return std::string(param.param.name); });

// Reads one byte less than asked; reloads answer reloadCode and an output to free.
struct ShortHandheld : VirtualHandheld {
    using VirtualHandheld::VirtualHandheld;
    bool CeReadFile(Rapi::Handle file, void* to, std::uint32_t size, std::uint32_t* read) override {
        return VirtualHandheld::CeReadFile(file, to, size - 1, read);
    }
    std::int32_t CeRapiInvoke(const std::u16string&, const std::u16string&, std::uint32_t*,
                              std::uint8_t** output) override {
        *output = static_cast<std::uint8_t*>(std::malloc(1));
        return reloadCode;
    }
    std::int32_t reloadCode = 0;
};

TEST(ShortHandheld, FailedCopiesRaiseTheirMessageAndLeaveNoPcFileAndReloadFailuresAreShown) {
    TempFolder folder;
    folder.writeFile("Windows/ding.wav", 4);
    folder.writeFile("up.wav", 4);
    const std::string pc = folder.dir(), noFolder = pc + "no/";
    ShortHandheld device(folder.path());
    RecordingMessages messages;
    DeviceLink link(device, messages);
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("Windows\\", pc, "ding.wav"); }),
              "Could not read file on PPC \"\\Windows\\ding.wav\".");
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("Windows\\", pc, "gone.wav"); }),
              "Could not open file on PPC \"\\Windows\\gone.wav\".");
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("Windows\\", noFolder, "ding.wav"); }),
              "Could not write file to PC \"" + noFolder + "ding.wav\".");
    EXPECT_FALSE(fs::exists(pc + "ding.wav") || fs::exists(pc + "gone.wav"));
    EXPECT_EQ(raised([&] { link.copyFileToDevice(pc, "Windows\\", "gone.wav"); }),
              "Could not copy file from PC \"gone.wav\"");
    EXPECT_EQ(raised([&] { link.copyFileToDevice(pc, "Nowhere\\", "up.wav"); }),
              "Could not write file to PPC \"\\Windows\\up.wav\".");
    for (const std::int32_t code : {0, 2, 120, 1064, 5}) {
        device.reloadCode = code;
        link.refreshDeviceAudio();
    }
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"file not found", "call not implemented",
                                                        "exception in service"}));
}
