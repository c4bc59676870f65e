// The device link on a virtual handheld in a fresh folder, and the handheld's registry file. The
// link through SynCE's library is exercised by TransferTest, through rapi.dll by the Windows
// program's test.
#include "catalog/MessageError.h"
#include "device/DeviceUpload.h"
#include "device/RegistryFile.h"
#include "device/Utf16.h"
#include "support/ArchiveBytes.h"
#include "support/DeviceBackends.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>

#ifndef _WIN32
#include "files/ReplacementFile.h"

#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

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

// The registry file as the text of a registry export.
std::string exportText(const RegistryFile& registry) {
    const std::string bytes = registry.toBytes();
    return fromUtf16(
        utf16Units(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2, bytes.size() - 2));
}

std::string raised(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const MessageError& error) {
        return error.text();
    }
    return "(nothing raised)";
}

// Reads and writes shortBy bytes less than asked; session ends are counted.
struct QuirkyHandheld : VirtualHandheld {
    using VirtualHandheld::VirtualHandheld;
    bool CeReadFile(Rapi::Handle file, void* to, std::uint32_t size, std::uint32_t* read) override {
        return VirtualHandheld::CeReadFile(file, to, size - shortBy, read);
    }
    bool CeWriteFile(Rapi::Handle file, const void* from, std::uint32_t size,
                     std::uint32_t* written) override {
        return VirtualHandheld::CeWriteFile(file, from, size - shortBy, written);
    }
    std::int32_t CeRapiUninit() override { return ++uninits, 0; }
    int shortBy = 0, uninits = 0;
};

} // namespace

// The only notification key is the reminders', with the wave "note".
class DeviceLinkTest : public ::testing::Test {
protected:
    DeviceLinkTest() { set(RemindersKey, "Wave", {Rapi::RegSz, utf16Bytes("note")}); }

    void set(const std::string& key, const std::string& name, const RegistryValue& value) {
        auto file = RegistryFile::fromBytes(readFileBytes(registry));
        file.set(key, name, value);
        ASSERT_TRUE(replaceFileBytes(registry, file.toBytes()));
    }

    TempFolder folder;
    const std::string pc = folder.dir(), registry = pc + "registry.reg";
    QuirkyHandheld device{folder.path()};
    RecordingMessages messages;
    DeviceLink link{device, messages};
};

TEST_F(DeviceLinkTest, ReadsTheSchemeWholeOrFallsBackToTheDefaults) {
    const auto read = [&](const std::vector<std::uint8_t>& curr0, const std::string& asterisk,
                          const std::vector<std::string>& shown) {
        set(EventKey, "Curr0", {Rapi::RegMultiSz, curr0});
        messages.shown.clear();
        EXPECT_EQ(link.readSoundTheme().find("Asterisk")->second.name, asterisk);
        EXPECT_EQ(messages.shown, shown);
    };
    auto scheme = list("x", 10);
    scheme[0] = 'm'; // Asterisk
    read(scheme, "m", {});
    scheme.erase(scheme.begin() + 4, scheme.begin() + 8);
    read(scheme, "alarm1", {});                              // nine strings
    read(std::vector<std::uint8_t>(500, 'a'), "alarm1", {}); // fills the buffer, no closing NUL
    const std::string longName(600, 'n');                    // far beyond the first guess
    read(list(longName, 21), longName, {});
    read(list(std::string(DeviceLink::ValueSizeLimit / 42, 'n'), 21), "alarm1",
         {"Could not find register key"});
}

TEST_F(DeviceLinkTest, ADamagedRegistryIsNeitherReadAsDefaultsNorWrittenOver) {
    // A type number beyond 64 bits, as another program might leave it.
    writeBytes(registry, std::string(RegistryFile::Header) + "\r\n\r\n[" + RemindersKey +
                             "]\r\n\"Wave\"=\"note\"\r\n\"X\"=hex(10000000000000000):00\r\n");
    const std::string before = readFileBytes(registry);
    const std::string damaged =
        "The device's sound settings could not be read: its registry is damaged.";
    EXPECT_EQ(raised([&] { link.readSoundTheme(); }), damaged);
    EXPECT_EQ(raised([&] { link.readCurrentSounds(); }), damaged);
    EXPECT_EQ(link.writeSoundTheme(link.makeBlankTheme()).size(), 25u);
    EXPECT_EQ(readFileBytes(registry), before);
}

// A download's copy leaves nothing of a file it could not finish; an upload's keeps the
// device's earlier file; both also when the failure shows only at the close.
TEST_F(DeviceLinkTest, AFailedCopyRaisesItsMessageAndLeavesNoBrokenFile) {
    folder.writeFile("Windows/Ding.wav", 4);
    folder.writeFile("Windows/empty.wav", 0);
    link.copyFileFromDevice("Windows\\", pc, "empty.wav");
    EXPECT_EQ(fs::file_size(testPath(pc + "empty.wav")), 0u) << "an empty wave copies";
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("Windows\\", pc, "gone.wav"); }),
              "Could not open file on PPC \"\\Windows\\gone.wav\".");
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("Windows\\..\\", pc + "no/", "registry.reg"); }),
              "Could not open file on PPC \"\\Windows\\registry.reg\".");
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("Windows\\", pc + "no/", "Ding.wav"); }),
              "Could not write file to PC \"" + pc + "no/Ding.wav\".");
    folder.writeFile("ding.WAV", 3, 'o');
    device.shortBy = 1; // the name in other letter case finds the file
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("WINDOWS\\", pc, "ding.WAV"); }),
              "Could not read file on PPC \"\\Windows\\ding.WAV\".");
    EXPECT_FALSE(fs::exists(testPath(pc + "ding.WAV")));
    folder.writeFile("up.wav", 4);
    folder.writeFile("Ding.wav", 9, 'n');
    device.shortBy = 0;
    DeviceUpload upload(link, {"up.wav", "gone.wav", "Ding.wav"});
    device.shortBy = 1;
    EXPECT_EQ(raised([&] { upload.send(pc, "up.wav", {}); }),
              "Could not write file to PPC \"\\Windows\\up.wav\".");
    EXPECT_EQ(raised([&] { upload.send(pc, "gone.wav", {}); }),
              "Could not copy file from PC \"gone.wav\"");
    device.shortBy = 0;
    upload.send(pc, "Ding.wav", {});
    EXPECT_EQ(readFileBytes(pc + "Windows/Ding.wav"), "xxxx") << "not before its second phase";
    static_cast<void>(upload.place(link.makeBlankTheme()));
    upload.finish();
    EXPECT_EQ(readFileBytes(pc + "Windows/Ding.wav"), std::string(9, 'n'));
    EXPECT_EQ(folder.names("Windows"), (std::set<std::string>{"Ding.wav", "empty.wav"}))
        << "no temporary file";
#ifndef _WIN32
    // A full disk may show only when the file is closed: these bytes fit the stream's buffer.
    folder.writeFile("Windows/big.wav", 600);
    folder.writeFile("big.wav", 600, 'n');
    folder.writeFile("Windows/dong.wav", 3, 'o');
    folder.writeFile("dong.wav", 600, 'n');
    const FileSizeLimit full(100);
    EXPECT_EQ(raised([&] { link.copyFileFromDevice("Windows\\", pc, "big.wav"); }),
              "Could not write file to PC \"" + pc + "big.wav\".");
    EXPECT_FALSE(fs::exists(testPath(pc + "big.wav")));
    EXPECT_EQ(raised([&] { DeviceUpload(link, {"dong.wav"}).send(pc, "dong.wav", {}); }),
              "Could not write file to PPC \"\\Windows\\dong.wav\".");
    EXPECT_EQ(readFileBytes(pc + "Windows/dong.wav"), "ooo");
#endif
}

#ifndef _WIN32
// Values set in a session, as the virtual handheld keeps them, in a child that may be killed at a
// point of the registry's one write or meet a full disk: read back in the session over what
// another writer put in the file meanwhile, written once by the reload or else when the session
// ends, a write that fails told by whichever of the two was to make it. The file is whole, and
// old or new, whenever the child dies; a damaged one is never written over.
enum class End { NotKilled, BeforeTheWrite, FileFlushed, Renamed, DiskFull };
struct SessionCase {
    const char* name;
    End end;
    bool otherWriter, damaged; // another program sets a value, or damages the file, meanwhile
    bool reload, newValues;    // written by the reload, else at the session's end; new in the file
    // When not killed: the file's writes, +8 when a setting is said unwritten, +16 when the write
    // is said failed, +32 when the handheld's refusal is told, +64 when the session reads the new
    // value back, +128 when anything else is told (a full disk: that the key was not found).
    int exitCode;
    friend void PrintTo(const SessionCase& row, std::ostream* out) { *out << row.name; }
};
class SessionValues : public DeviceLinkTest, public ::testing::WithParamInterface<SessionCase> {};

TEST_P(SessionValues, ReachTheFileWholeAndTogetherOrAreToldLost) {
    static End end;
    static int writes = 0;
    static ReplacementDiskCalls real;
    static const auto killAt = [](End point) {
        if (end == point)
            ::raise(SIGKILL);
    };
    const SessionCase& row = GetParam();
    end = row.end;
    real = replacementDiskCalls();
    set(EventKey, "Curr0", {Rapi::RegMultiSz, list("old", 21)});
    const std::string damaged = std::string(RegistryFile::Header) + "\r\n[X]\r\n\"X\"=dword:\r\n";
    const pid_t child = ::fork();
    if (child == 0) {
        replacementDiskCalls().flushFile = [](int descriptor) {
            return killAt(End::FileFlushed), real.flushFile(descriptor);
        };
        replacementDiskCalls().flushFolder = [](const fs::path& at) {
            ++writes, killAt(End::Renamed), real.flushFolder(at);
        };
        std::optional<FileSizeLimit> full;
        if (end == End::DiskFull)
            full.emplace(fs::file_size(registry) / 2);
        VirtualHandheld handheld(folder.path());
        DeviceLink session(handheld, messages);
        session.connect();
        SoundTheme theme = session.makeBlankTheme();
        theme.find("_Reminders")->second.name = "new";
        // Only the reminders have a key here.
        const bool unwritten = session.writeSoundTheme(theme).size() != 10;
        if (row.otherWriter)
            set(RemindersKey, "Other", {Rapi::RegSz, utf16Bytes("theirs")});
        if (row.damaged)
            writeBytes(registry, damaged);
        const bool readBack =
            !row.damaged && session.readCurrentSounds().find("_Reminders")->second.name == "new";
        killAt(End::BeforeTheWrite);
        const bool failed = !(row.reload ? session.refreshDeviceAudio() : session.disconnect());
        const bool told = messages.shown ==
                          std::vector<std::string>{
                              "The Pocket PC could not take up its new sound settings (error 5)."};
        ::_exit(writes + 8 * unwritten + 16 * failed + 32 * told + 64 * readBack +
                128 * !(told || messages.shown.empty()));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (row.exitCode < 0)
        EXPECT_TRUE(WIFSIGNALED(status)) << "the child reached its kill point";
    else
        EXPECT_EQ(WEXITSTATUS(status), row.exitCode);
    if (row.damaged) {
        EXPECT_EQ(readFileBytes(registry), damaged) << "never written over";
        return;
    }
    const auto file = RegistryFile::fromBytes(readFileBytes(registry));
    const bool isNew = file.find(RemindersKey, "Wave")->data == utf16Bytes("new");
    EXPECT_EQ(isNew, row.newValues);
    EXPECT_EQ(file.find(EventKey, "Curr0")->data, isNew ? list(" ", 21) : list("old", 21));
    if (row.otherWriter) {
        EXPECT_EQ(file.find(RemindersKey, "Other")->data, utf16Bytes("theirs"));
    }
}

using enum End;
const SessionCase SessionCases[] = {
    {"WrittenByTheReload", NotKilled, false, false, true, true, 65},
    {"WrittenWhenTheSessionEnds", NotKilled, false, false, false, true, 65},
    {"KeptOverAnotherWritersValue", NotKilled, true, false, false, true, 66},
    {"AReloadThatCannotWriteFails", NotKilled, false, true, true, false, 48},
    {"ASessionEndThatCannotWriteFails", NotKilled, false, true, false, false, 16},
    {"KilledBeforeTheWrite", BeforeTheWrite, false, false, true, false, -1},
    {"KilledDuringTheWrite", FileFlushed, false, false, true, false, -1},
    {"KilledAfterTheWrite", Renamed, false, false, true, true, -1},
    {"DiskFull", DiskFull, false, false, true, false, 136},
};
INSTANTIATE_TEST_SUITE_P(VirtualHandheld, SessionValues, ::testing::ValuesIn(SessionCases),
                         [](const auto& row) { return std::string(row.param.name); });
#endif

TEST_F(DeviceLinkTest, AHandheldThatNeverAnswersIsGivenUpAfterTheTimeOut) {
    folder.writeFile("offline", 0);
    DeviceLink patient{device, messages, std::chrono::milliseconds(300)};
    const auto start = std::chrono::steady_clock::now();
    std::string said = "Couldn't establish a connection to the device. Check Activesync connection";
#ifndef _WIN32
    said += "\n(virtual handheld folder: " + pcText(folder.path()) +
            " \u2014 set BELLTIDE_DEVICE to use another)";
#endif
    EXPECT_EQ(raised([&] { patient.connect(); }), said);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(device.uninits, 1);
}

// The virtual handheld's registry file, in the text of a registry export.
TEST(RegistryFileText, WritesEscapedStringsOneLinePerValueAndKeepsWhatItDoesNotKnow) {
    const std::string A = "HKEY_LOCAL_MACHINE\\A", B = "HKEY_LOCAL_MACHINE\\B";
    // A value cut short, right before a key header.
    auto registry = RegistryFile::fromBytes(
        std::string(RegistryFile::Header) + "\r\n; kept\r\n[" + B + "]\r\n\"cut\"=hex:01,\\\r\n[" +
        A + "]\r\n\"Flag\"=dword:00000001\r\n\"v\"=\"first\"\r\n\"v\"=\"last\"\r\n");
    ASSERT_TRUE(registry.hasKey(A));
    EXPECT_EQ(registry.find(A, "V")->data, utf16Bytes("last")) << "the last line counts";
    registry.set(A, "v", {Rapi::RegSz, utf16Bytes("new")});
    EXPECT_EQ(registry.find(A, "v")->data, utf16Bytes("new"));
    registry.set(A, "s", {Rapi::RegSz, utf16Bytes("old")});
    registry.set(A, "s", {Rapi::RegSz, utf16Bytes("say \"hi\" C:\\x")});
    ASSERT_EQ(registry.toBytes().substr(0, 2), "\xFF\xFE");
    const std::string written = exportText(registry);
    for (const char* line :
         {"; kept\r\n", "\"Flag\"=dword:00000001\r\n", "\r\n\"s\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line;
    EXPECT_EQ(written.find("\"s\"="), written.rfind("\"s\"=")) << "one line for a value set twice";
}

TEST(RegistryFileText, AValueOfAKnownKindThatCannotBeReadIsDamage) {
    const std::string key = std::string(RegistryFile::Header) + "\r\n[HKEY_LOCAL_MACHINE\\A]\r\n";
    for (const char* line :
         {"\"X\"=hex(10000000000000000):00", "\"X\"=hex(7):100", "\"X\"=dword:123456789",
          "\"X\"=dword:", "\"X\"=hex(7):0g ; comment"}) {
        EXPECT_THROW(RegistryFile::fromBytes(key + line + "\r\n"), RegistryDamaged) << line;
    }
    // Kinds it does not know, deletions and strings broken over lines are kept as they stand.
    for (const char* line : {"\"X\"=multi_sz:\"a\",\"b\"", "\"X\"=-", "; \"X\"=hex(zz):00",
                             "\"X\"=\"line one", "\"X=1", "\"X\" 1"}) {
        const auto registry = RegistryFile::fromBytes(key + line + "\r\n");
        EXPECT_NE(exportText(registry).find(line), std::string::npos) << line;
        EXPECT_EQ(registry.find("HKEY_LOCAL_MACHINE\\A", "X"), nullptr) << line;
    }
    EXPECT_EQ(RegistryFile::fromBytes(key + "\"X\"=dword:a ; ten\r\n")
                  .find("HKEY_LOCAL_MACHINE\\A", "X")
                  ->data,
              (std::vector<std::uint8_t>{10, 0, 0, 0}));
}
