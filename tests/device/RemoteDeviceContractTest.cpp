// What every backend of RemoteDevice owes the device link, run against each backend this
// platform has: the virtual handheld, and on Windows rapi.dll loaded at run time (our own,
// serving a virtual handheld folder).
#include "catalog/MessageError.h"
#include "device/DefaultDevice.h"
#include "device/RegistryFile.h"
#include "device/VirtualHandheld.h"
#include "support/ArchiveBytes.h"
#include "support/Environment.h"
#include "support/FakeRemoteDevice.h"
#include "support/TempFolder.h"

#ifdef _WIN32
#include "device/RapiDevice.h"
#endif

#include <gtest/gtest.h>

#include <chrono>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Backend {
    const char* name;
    std::function<std::unique_ptr<RemoteDevice>(const fs::path& folder)> make;
    friend void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.name; }
};

std::vector<Backend> backends() {
    std::vector<Backend> all{
        {"virtual_handheld", [](const fs::path& folder) -> std::unique_ptr<RemoteDevice> {
             return std::make_unique<VirtualHandheld>(folder);
         }}};
#ifdef _WIN32
    all.push_back({"rapi_dll", [](const fs::path& folder) -> std::unique_ptr<RemoteDevice> {
                       setEnvironment("BELLTIDE_RAPI_DEVICE", folder.string());
                       return std::make_unique<RapiDevice>();
                   }});
#endif
    return all;
}

const std::string ConnectFailed =
    "Couldn't establish a connection to the device. Check Activesync connection";

// In UTF-8, which the virtual handheld reads as well as the editor's UTF-16.
const std::string Registry = "\xEF\xBB\xBF" + std::string(RegistryFile::Header) +
                             "\r\n\r\n[HKEY_LOCAL_MACHINE\\Snd\\Event]\r\n"
                             "\"Other\"=\"keep \\\"me\\\"\"\r\n\r\n"
                             "[HKEY_CURRENT_USER\\ControlPanel\\Notifications\\{0D3132C4-1298-"
                             "469c-B2B8-F28CE2D649D0}]\r\n\"Wave\"=\"ping\"\r\n";

} // namespace

class RemoteDeviceContract : public ::testing::TestWithParam<Backend> {
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
    const std::vector<std::uint8_t> scheme{'a', 0, 0, 0, 0, 0};
    EXPECT_EQ(device->CeRegSetValueEx(key, u"Curr0", Rapi::RegMultiSz, scheme.data(), 6), 0);
    size = sizeof buffer;
    EXPECT_EQ(device->CeRegQueryValueEx(key, u"Curr0", &type, buffer, &size), 0);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + size), scheme);
    EXPECT_EQ(type, Rapi::RegMultiSz);
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
        EXPECT_TRUE(link.copyFileToDevice(pcDir, "Windows\\", name));
    EXPECT_EQ(readBytes(deviceFolder / "Windows" / "ding.wav"), std::string(3000, 'd'));
    writeBytes(deviceFolder / "Windows" / "ding.wav", std::string(2000, 'n'));
    for (const char* name : {"ding.wav", "empty.wav"})
        EXPECT_TRUE(link.copyFileFromDevice("Windows\\", pcDir, name));
    EXPECT_EQ(readBytes(folder.path() / "ding.wav"), std::string(2000, 'n'));
    EXPECT_EQ(readBytes(folder.path() / "empty.wav"), "");
    try {
        link.copyFileFromDevice("Windows\\", pcDir, "missing.wav");
        ADD_FAILURE() << "copied a missing file";
    } catch (const MessageError& error) {
        EXPECT_EQ(error.text(), "Could not open file on PPC \"\\Windows\\missing.wav\".");
    }
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

INSTANTIATE_TEST_SUITE_P(Backends, RemoteDeviceContract, ::testing::ValuesIn(backends()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(DefaultDevice, IsThePlatformsOwnUnlessAVirtualHandheldIsNamed) {
    TempFolder folder;
    setEnvironment("BELLTIDE_DEVICE", "");
    auto device = defaultDeviceFactory(folder.path())();
#ifdef _WIN32
    EXPECT_NE(dynamic_cast<RapiDevice*>(device.get()), nullptr);
#else
    const auto* beside = dynamic_cast<VirtualHandheld*>(device.get());
    ASSERT_NE(beside, nullptr);
    EXPECT_EQ(beside->registryPath(), folder.path() / "device" / "registry.reg");
#endif
    setEnvironment("BELLTIDE_DEVICE", (folder.path() / "named").string());
    device = defaultDeviceFactory(folder.path())();
    setEnvironment("BELLTIDE_DEVICE", "");
    const auto* named = dynamic_cast<VirtualHandheld*>(device.get());
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->registryPath(), folder.path() / "named" / "registry.reg");
}
