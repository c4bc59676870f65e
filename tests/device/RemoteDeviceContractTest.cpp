// What every backend of RemoteDevice owes the device link, run against each backend this
// platform has.
#include "catalog/MessageError.h"
#include "device/DefaultDevice.h"
#include "device/RegistryFile.h"
#include "support/ArchiveBytes.h"
#include "support/DeviceBackends.h"
#include "support/FakeRemoteDevice.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string ConnectFailed =
    "Couldn't establish a connection to the device. Check Activesync connection";

// In UTF-8, which the virtual handheld reads as well as the editor's UTF-16.
const std::string Registry = "\xEF\xBB\xBF" + std::string(RegistryFile::Header) +
                             "\r\n\r\n[HKEY_LOCAL_MACHINE\\Snd\\Event]\r\n"
                             "\"Other\"=\"keep \\\"me\\\"\"\r\n\r\n"
                             "[HKEY_CURRENT_USER\\ControlPanel\\Notifications\\{0D3132C4-1298-"
                             "469c-B2B8-F28CE2D649D0}]\r\n\"Wave\"=\"ping\"\r\n";

} // namespace

class RemoteDeviceContract : public ::testing::TestWithParam<DeviceBackend> {
protected:
    RemoteDeviceContract() {
        fs::create_directories(deviceFolder / "Windows");
        writeBytes(deviceFolder / "registry.reg", Registry);
    }
    ~RemoteDeviceContract() override { setEnvironment("BELLTIDE_RAPI_DEVICE", ""); }

    // How long connecting took, or nothing when it connected.
    std::optional<std::chrono::steady_clock::duration> connectFailure(const fs::path& at) {
        auto other = GetParam().make(at);
        DeviceLink otherLink(*other, messages, 300ms);
        const auto start = std::chrono::steady_clock::now();
        try {
            otherLink.connect();
        } catch (const MessageError& error) {
            EXPECT_EQ(error.text(), ConnectFailed);
            return std::chrono::steady_clock::now() - start;
        }
        otherLink.disconnect();
        return std::nullopt;
    }

    TempFolder folder;
    const fs::path deviceFolder = folder.path() / "device";
    std::unique_ptr<RemoteDevice> device = GetParam().make(deviceFolder);
    RecordingMessages messages;
    DeviceLink link{*device, messages, 300ms};
};

TEST_P(RemoteDeviceContract, ConnectsAgainAfterADisconnectAndFailsWithoutADevice) {
    link.connect();
    link.disconnect();
    link.connect();
    link.disconnect();
    EXPECT_EQ(connectFailure(deviceFolder), std::nullopt);
    const auto absent = connectFailure(folder.path() / "absent");
    ASSERT_TRUE(absent);
    EXPECT_LT(*absent, 250ms) << "refused at once";
    folder.writeFile("device/offline", 0);
    const auto silent = connectFailure(deviceFolder);
    ASSERT_TRUE(silent);
    EXPECT_GE(*silent, 300ms) << "gave up only after the time-out";
}

TEST_P(RemoteDeviceContract, AnswersRegistryCallsWithTheWin32Codes) {
    link.connect();
    Rapi::Key key = 0;
    ASSERT_EQ(device->CeRegOpenKeyEx(Rapi::HkeyLocalMachine, u"snd\\EVENT", &key), 0);
    std::uint8_t buffer[20];
    std::uint32_t size = 19, type = 0;
    EXPECT_EQ(device->CeRegQueryValueEx(key, u"OTHER", &type, buffer, &size), Rapi::ErrorMoreData);
    EXPECT_EQ(size, 20u) << "the size needed: keep \"me\" and a NUL";
    EXPECT_EQ(device->CeRegQueryValueEx(key, u"Other", &type, buffer, &size), 0);
    EXPECT_EQ(type, Rapi::RegSz);
    EXPECT_EQ(fromUtf16(utf16Units(buffer, size)), std::string("keep \"me\"") + '\0');
    EXPECT_EQ(device->CeRegQueryValueEx(key, u"Curr0", &type, buffer, &size),
              Rapi::ErrorFileNotFound);
    EXPECT_EQ(device->CeRegCloseKey(key), 0);
    EXPECT_EQ(device->CeRegOpenKeyEx(Rapi::HkeyCurrentUser, u"Snd\\Event", &key),
              Rapi::ErrorFileNotFound);
    link.disconnect();
}

TEST_P(RemoteDeviceContract, KeepsAThemeAndCopiesFilesBothWays) {
    link.connect();
    SoundTheme theme = link.makeBlankTheme();
    theme.find("Asterisk")->second = SoundEntry{"", "ding", ".wav", 0};
    theme.find("_Notify")->second = SoundEntry{"", "Glöckchen", ".wav", 0};
    link.writeSoundTheme(theme);
    const SoundTheme back = link.readSoundTheme();
    EXPECT_EQ(back.find("Asterisk")->second.path(), "ding.wav");
    EXPECT_EQ(back.find("_Notify")->second.path(), "Glöckchen.wav");
    EXPECT_EQ(back.find("Question")->second.name, NoSoundName);

    const std::string pcDir = folder.dir();
    folder.writeFile("ding.wav", 3000, 'd');
    folder.writeFile("empty.wav", 0);
    for (const char* name : {"ding.wav", "empty.wav"})
        link.copyFileToDevice(pcDir, "Windows\\", name);
    EXPECT_EQ(readBytes(deviceFolder / "Windows" / "ding.wav"), std::string(3000, 'd'));
    writeBytes(deviceFolder / "Windows" / "ding.wav", std::string(2000, 'n'));
    for (const char* name : {"ding.wav", "empty.wav"})
        link.copyFileFromDevice("Windows\\", pcDir, name);
    EXPECT_EQ(readBytes(folder.path() / "ding.wav"), std::string(2000, 'n'));
    EXPECT_EQ(readBytes(folder.path() / "empty.wav"), "");
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    link.disconnect();
}

TEST_P(RemoteDeviceContract, OpensADeviceFileOnceAtATimeAndNeverOutsideTheDevice) {
    link.connect();
    writeBytes(deviceFolder / "Windows" / "Ding.wav", "abc");
    const auto open = [&](const std::u16string& path) {
        return device->CeCreateFile(path, Rapi::GenericRead, 0, Rapi::OpenExisting, 0);
    };
    const Rapi::Handle first = open(u"\\WINDOWS\\ding.WAV");
    ASSERT_NE(first, Rapi::InvalidHandle);
    EXPECT_EQ(open(u"Windows\\Ding.wav"), Rapi::InvalidHandle) << "share mode 0";
    std::uint32_t high = 1;
    EXPECT_EQ(device->CeGetFileSize(first, &high), 3u);
    EXPECT_EQ(high, 0u);
    EXPECT_TRUE(device->CeCloseHandle(first));
    EXPECT_FALSE(device->CeCloseHandle(first));
    const Rapi::Handle again = open(u"Windows\\Ding.wav");
    EXPECT_NE(again, Rapi::InvalidHandle);
    device->CeCloseHandle(again);
    EXPECT_EQ(open(u"Windows\\..\\registry.reg"), Rapi::InvalidHandle);
    EXPECT_EQ(open(u"Windows\\missing.wav"), Rapi::InvalidHandle);
    EXPECT_EQ(device->CeCreateFile(u"Nowhere\\x.wav", Rapi::GenericWrite, 0, Rapi::CreateAlways, 0),
              Rapi::InvalidHandle);
    link.disconnect();
}

TEST_P(RemoteDeviceContract, ReloadsItsSoundsOnlyThroughTheKnownFunction) {
    link.connect();
    std::uint32_t size = 0;
    std::uint8_t* output = nullptr;
    EXPECT_EQ(device->CeRapiInvoke(u"other.dll", u"AudioUpdateFromRegistry", &size, &output),
              Rapi::ErrorFileNotFound);
    EXPECT_EQ(device->CeRapiInvoke(u"coredll.dll", u"Other", &size, &output),
              Rapi::ErrorCallNotImplemented);
    EXPECT_FALSE(fs::exists(deviceFolder / "audio-reloads.log"));
    link.refreshDeviceAudio();
    link.refreshDeviceAudio();
    const std::string log = readBytes(deviceFolder / "audio-reloads.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
    link.disconnect();
}

INSTANTIATE_TEST_SUITE_P(Backends, RemoteDeviceContract, ::testing::ValuesIn(deviceBackends()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(DefaultDevice, IsThePlatformsOwnUnlessAVirtualHandheldIsNamed) {
    const fs::path program = "program";
    setEnvironment("BELLTIDE_DEVICE", "");
#ifdef _WIN32
    EXPECT_NE(dynamic_cast<RapiDevice*>(defaultDeviceFactory(program)().get()), nullptr);
#else
    EXPECT_EQ(dynamic_cast<VirtualHandheld&>(*defaultDeviceFactory(program)()).registryPath(),
              program / "device" / "registry.reg");
#endif
    setEnvironment("BELLTIDE_DEVICE", "named");
    EXPECT_EQ(dynamic_cast<VirtualHandheld&>(*defaultDeviceFactory(program)()).registryPath(),
              fs::path("named") / "registry.reg");
    setEnvironment("BELLTIDE_DEVICE", "");
}
