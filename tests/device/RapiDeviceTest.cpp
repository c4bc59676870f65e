// The loading backend's own duties, against our rapi.dll and its variant without CeRapiInvoke.
// Transfers through it are in the Windows program's test.
#include "catalog/MessageError.h"
#include "support/DeviceBackends.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

// A device that would answer, so that only the library can be at fault.
class RapiDeviceTest : public ::testing::Test {
protected:
    RapiDeviceTest() { setEnvironment("BELLTIDE_RAPI_DEVICE", pcText(folder.path())); }
    ~RapiDeviceTest() override { setEnvironment("BELLTIDE_RAPI_DEVICE", ""); }

    TempFolder folder;
    RecordingMessages messages;
};

// Only a library that cannot be loaded means the connection software is missing; a library
// without a function names the function, and a handheld that is not there keeps the message as
// it always was. Without the library or one of its functions every call fails safely, though the
// handheld would answer.
TEST_F(RapiDeviceTest,
       TheConnectionMessageSaysTheConnectionSoftwareIsMissingOnlyWithoutTheLibrary) {
    const std::string lead =
        "Couldn't establish a connection to the device. Check Activesync connection";
    const struct {
        std::u16string library;
        std::string said;
    } cases[] = {{u"no-such-library.dll", lead + "\n" + RapiDevice::ConnectionSoftwareMissing},
                 {u"rapi-without-invoke.dll", lead + "\nThe library rapi-without-invoke.dll "
                                                     "lacks the function CeRapiInvoke, which "
                                                     "Belltide needs."},
                 {u"rapi.dll", lead}};
    for (const auto& c : cases) {
        const bool usable = c.library == u"rapi.dll";
        setEnvironment("BELLTIDE_RAPI_DEVICE",
                       pcText(usable ? folder.path() / "absent" : folder.path()));
        const auto device = RapiDevice::make(c.library);
        try {
            DeviceLink(*device, messages).connect();
            ADD_FAILURE() << "connected; expected: " << c.said;
        } catch (const MessageError& error) {
            EXPECT_EQ(error.text(), c.said);
        }
        if (usable)
            continue;
        Rapi::Key key = 0;
        EXPECT_NE(device->CeRegOpenKeyEx(Rapi::HkeyLocalMachine, u"Snd\\Event", &key), 0);
        EXPECT_EQ(
            device->CeCreateFile(u"Windows\\a.wav", Rapi::GenericWrite, 0, Rapi::CreateAlways, 0),
            Rapi::InvalidHandle);
    }
}

TEST_F(RapiDeviceTest, HandsTheRemoteCallsOutputBackToTheLibraryToFree) {
    const auto device = RapiDevice::make();
    DeviceLink(*device, messages).connect();
    const auto held = reinterpret_cast<DWORD(WINAPI*)()>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"rapi.dll"), "BelltideRapiOutputsHeld")));
    ASSERT_NE(held, nullptr);
    std::uint32_t size = 0;
    std::uint8_t* output = nullptr;
    EXPECT_EQ(device->CeRapiInvoke(u"coredll.dll", u"AudioUpdateFromRegistry", &size, &output), 0);
    EXPECT_EQ(held(), 1u);
    device->CeRapiFreeBuffer(output);
    EXPECT_EQ(held(), 0u);
    device->CeRapiUninit();
}
