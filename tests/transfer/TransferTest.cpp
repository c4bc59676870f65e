// Download, Upload and the initial backup through the main window, with workers on their own
// threads, against a factory-fresh virtual handheld: sweeps that stop them at every point and a
// table of handhelds and themes, all judged by one set of rules on what the user and the handheld
// hold afterwards.
#include "audio/WaveFile.h"
#include "device/DefaultDevice.h"
#include "device/Utf16.h"
#include "files/FileNames.h"
#include "files/ReplacementFile.h"
#include "support/Environment.h"
#include "support/FactoryImage.h"
#include "support/MainWindowFixture.h"
#include "transfer/CBackupDlg.h"
#include "ui/CSoundFileDialog.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#ifndef _WIN32
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int FactoryEntries = 25, FactoryFiles = 19;

enum class Operation { Download, Upload, Backup };
using enum Operation;
const char* const OperationNames[] = {"Download", "Upload", "Backup"};
void PrintTo(Operation operation, std::ostream* out) {
    *out << OperationNames[static_cast<int>(operation)];
}

// "Sounds exported", or how many sounds did not get there, as the status line says it.
std::string outcome(int missing, const std::string& done) {
    return missing == 0 ? "Sounds " + done
                        : std::to_string(missing) + (missing == 1 ? " sound" : " sounds") +
                              " could not be " + done;
}

std::string notDone(Operation operation) {
    return operation == Backup   ? "Sounds not backed up; Belltide tries again at its next start"
           : operation == Upload ? "Sounds not exported"
                                 : "Sounds not imported";
}
const std::string NoConnection =
    "Couldn't establish a connection to the device. Check Activesync connection";

bool takesPart(const SoundTheme& theme, const std::string& eventName) {
    return theme.uploadExtended() || !isExtendedEventName(eventName);
}

SoundEntry soundOf(const SoundTheme& theme, const std::string& eventName) {
    const auto at = theme.find(eventName);
    return at == theme.end() ? SoundEntry::none() : at->second;
}

// Every file in the folder but a descriptor, with its bytes, by its name.
std::map<std::string, std::string> filesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() != ".dsc")
            files[pcText(entry.path().filename())] = readBytes(entry.path());
    return files;
}

// What the user and the handheld hold, compared before and after an operation.
struct Holdings {
    std::map<std::string, std::string> device; // its waves, "registry" and the "reloads" count
    std::map<std::string, std::string> sounds; // the sounds folder's waves
    std::vector<CEventListCtrl::Row> rows;
    bool backup = false;
    SoundTheme named; // as the handheld's registry names them
};

struct Handheld : MainWindowHarness {
    Handheld() {
        deviceFolder = folder.path() / "device";
        copyFactoryImage(deviceFolder);
        fs::create_directories(testPath(dlg->folders().soundsDir));
    }
    ~Handheld() {
        for (auto undo = cleanUps.rbegin(); undo != cleanUps.rend(); ++undo)
            (*undo)();
    }

    void run(Operation operation) {
        operation == Download ? dlg->OnDownloadTheme()
        : operation == Upload ? dlg->OnUploadTheme()
                              : dlg->InitialBackupCheck();
    }
    // The handheld's theme with its notifications, downloaded; its device calls not counted.
    void downloadWhole() {
        extendedCheck.checked = true;
        dlg->OnDownloadTheme();
        deviceCalls = 0;
    }
    // Every wave's bytes changed, and two events given waves of new names.
    void changeEveryWave() {
        for (const auto& file : dlg->theme().soundFiles())
            writeBytes(file.path(), waveBytes("new " + file.name));
        dropWave("Asterisk", "fresh one", "new fresh one");
        dropWave("_Reminders", "fresh two", "new fresh two");
        deviceCalls = 0;
    }
    // An upload's theme as prepareUpload makes it, else the sample theme.
    void prepare(Operation operation) {
        operation == Upload ? (downloadWhole(), changeEveryWave()) : loadSampleTheme();
    }
    // Gives the event a wave of that name and those bytes, as a drop on its row does.
    void dropWave(const std::string& eventName, const std::string& name, const std::string& bytes) {
        const fs::path wave = folder.path() / "picked" / pcPath(name + ".wav");
        fs::create_directories(wave.parent_path());
        writeBytes(wave, waveBytes(bytes));
        dlg->OnDropSoundFile(rowOf(eventName), pcText(wave));
    }
    int rowOf(const std::string& eventName) const {
        return static_cast<int>(std::distance(dlg->theme().begin(), dlg->theme().find(eventName)));
    }

    const FakeProgressWindows::Run& lastRun() const { return progressWindows.runs.back(); }
    fs::path backupFile() const { return pcPath(dlg->folders().themesDir + InitialBackupFileName); }
    std::map<std::string, std::string> deviceFiles() const {
        return filesIn(deviceFolder / "Windows");
    }
    // What an upload left on the handheld: its notes and waves under their temporary names.
    long leftovers() const {
        return std::ranges::count_if(
            deviceFiles(), [](const auto& file) { return file.first.starts_with("belltide-"); });
    }
    // A session as the next transfer's, whose connect puts right what an upload left.
    template <class Use> auto session(const Use& use) const {
        VirtualHandheld device(deviceFolder);
        RecordingMessages messages;
        DeviceLink link(device, messages);
        link.connect();
        const auto result = use(link);
        EXPECT_TRUE(link.disconnect());
        return result;
    }
    // Has the handheld's registry name these sounds for these events.
    void nameOnHandheld(const std::map<std::string, std::string>& names) const {
        EXPECT_TRUE(session([&](DeviceLink& link) {
            SoundTheme theme = link.readCurrentSounds();
            for (const auto& [eventName, name] : names)
                theme.find(eventName)->second.name = name;
            return link.writeSoundTheme(theme).empty();
        }));
    }
    SoundTheme deviceSounds() const {
        return session([](DeviceLink& link) { return link.readCurrentSounds(); });
    }

    Holdings held() const {
        auto device = deviceFiles();
        device["registry"] = readBytes(deviceFolder / "registry.reg");
        device["reloads"] =
            std::to_string(std::ranges::count(readBytes(deviceFolder / "audio-reloads.log"), '\n'));
        return {device, filesIn(pcPath(dlg->folders().soundsDir)), rows(), fs::exists(backupFile()),
                deviceSounds()};
    }
    bool done(Operation operation) const {
        return operation == Backup ? fs::exists(backupFile())
                                   : statusBar.text != notDone(operation);
    }

    // The rules every operation keeps: its dialog ends, the wait cursor with it, and every key
    // opened is closed; an upload leaves nothing of itself but where a removal failed or the
    // connection was lost, and the next connect takes that. An operation not done leaves all as
    // it was, one done the whole new set; an upload leaves the PC as it was.
    void expectOutcome(Operation operation, const Holdings& before) {
        const auto& run = lastRun();
        EXPECT_TRUE(progressWindows.goneWhileWaiting ||
                    (run.ended && run.waitDepth + prompts.waitDepth == 0));
        EXPECT_EQ(openKeys, 0) << "every key opened is closed";
        if (operation == Upload) {
            const bool lost = std::ranges::count(run.messages, Rapi::ConnectionLost::Text) > 0;
            EXPECT_TRUE(failedCall == "CeDeleteFile" || lost || leftovers() == 0);
            session([](DeviceLink&) { return true; }); // the next transfer's connect
            EXPECT_EQ(leftovers(), 0);
        }
        const Holdings now = held();
        EXPECT_TRUE((operation != Upload && done(operation)) ||
                    (now.sounds == before.sounds && now.rows == before.rows))
            << "the sounds folder and the list as they were";
        if (!done(operation))
            EXPECT_TRUE(now.device == before.device && now.backup == before.backup)
                << "the handheld's registry, waves, reloads, and the backup";
        else if (operation == Upload)
            expectUploaded(before, now);
        else
            expectHandheldsSounds(operation);
    }

    // A download or backup done: every sound the editor shows is the handheld's wave of that
    // name byte for byte, one file for a name in any letter case, alone in the sounds folder and,
    // for a backup, in the archive. Unless a registry call failed, each event shows the sound the
    // registry names, and the status line counts the sounds named that did not arrive.
    void expectHandheldsSounds(Operation operation) const {
        const auto onDevice = deviceFiles();
        std::map<std::string, std::string, IgnoringCase> files(onDevice.begin(), onDevice.end()),
            shown;
        const SoundTheme named = deviceSounds();
        const bool registryRead = !failedCall.starts_with("CeReg");
        const std::string archive = readBytes(backupFile());
        int lost = 0;
        ASSERT_EQ(dlg->theme().size(), FactoryEntries);
        for (const auto& [eventName, entry] : dlg->theme()) {
            const SoundEntry there = soundOf(named, eventName);
            const std::string file = entry.name + entry.extension;
            lost += there.hasSound() && !entry.hasSound();
            if (!entry.hasSound())
                continue;
            ASSERT_EQ(files.count(file), 1u) << eventName << " shows " << file;
            shown.emplace(file, files.at(file));
            EXPECT_TRUE(!registryRead || equalIgnoringCase(there.name, entry.name)) << eventName;
            EXPECT_TRUE(operation != Backup ||
                        archive.find(memberBytes(file, files.at(file))) != archive.npos)
                << file;
        }
        EXPECT_TRUE((filesIn(pcPath(dlg->folders().soundsDir)) ==
                     std::map<std::string, std::string>(shown.begin(), shown.end())))
            << "the sounds folder holds the sounds shown alone";
        EXPECT_TRUE(operation != Download || !registryRead ||
                    statusBar.text == outcome(lost, "imported"))
            << statusBar.text;
    }

    // The handheld's wave plays the editor's sound: the same bytes, or, for a file the handheld
    // cannot play, a wave it plays of the same length.
    bool sameSound(const SoundEntry& entry, const std::string& deviceFile) const {
        const std::string there = pcText(deviceFolder / "Windows" / pcPath(deviceFile));
        if (readBytes(there) == readBytes(entry.path()))
            return true;
        const auto length = waveLength(entry.path()), sent = waveLength(there);
        return !playsAsItStands(entry.path()) && playsAsItStands(there) && length && sent &&
               formatLength(*length) == formatLength(*sent);
    }

    // An upload done: for each event that took part the handheld's registry names the editor's
    // sound, its wave whole and the same sound, or else the handheld's own, whole as before, and
    // the status line counts those. Every other event and every wave no event names are as
    // before, and the handheld reloaded its sounds once.
    void expectUploaded(const Holdings& before, const Holdings& now) const {
        const auto earlier = [&](const std::string& file) {
            const auto at = before.device.find(file);
            return at == before.device.end() ? std::string("(none)") : at->second;
        };
        std::map<std::string, SoundEntry, IgnoringCase> sent;
        for (const auto& [eventName, entry] : dlg->theme())
            if (entry.hasSound() && takesPart(dlg->theme(), eventName))
                sent.emplace(entry.name + entry.extension, entry);
        int differing = 0;
        for (const auto& [eventName, entry] : dlg->theme()) {
            const SoundEntry is = soundOf(now.named, eventName);
            const std::string file = is.name + ".wav";
            EXPECT_TRUE(!is.hasSound() || now.device.at(file) == earlier(file) ||
                        (sent.count(file) && sameSound(sent.at(file), file)))
                << eventName << " names a broken " << file;
            if (takesPart(dlg->theme(), eventName)) {
                differing += is.name != entry.name || (entry.hasSound() && !sameSound(entry, file));
            } else {
                EXPECT_EQ(is.name, soundOf(before.named, eventName).name) << eventName;
                EXPECT_EQ(now.device.count(entry.name + ".wav"),
                          before.device.count(entry.name + ".wav"))
                    << "the wave of " << eventName << ", which took no part, was sent";
            }
        }
        EXPECT_TRUE(std::stoi(now.device.at("reloads")) > std::stoi(earlier("reloads")) ||
                    statusBar.text != "Sounds exported");
        const bool notTakenUp = failedCall == "CeRapiInvoke" || failedCall == "CeRapiUninit";
        EXPECT_EQ(statusBar.text, notTakenUp ? "Sounds sent, but not taken up by the PocketPC"
                                             : outcome(differing, "exported"));
        EXPECT_TRUE(!notTakenUp || differing == 0);
    }

    // An upload done whole comes back by a download and by a backup, every name as it was sent.
    void expectRoundTrip() {
        const SoundTheme sent = dlg->theme();
        extendedCheck.checked = true;
        for (const Operation back : {Download, Backup}) {
            SCOPED_TRACE(OperationNames[int(back)]);
            dlg->m_modified = false;
            run(back);
            EXPECT_TRUE(lastRun().messages.empty() && prompts.messages.empty());
            expectHandheldsSounds(back);
            for (const auto& [eventName, entry] : sent)
                EXPECT_TRUE(!takesPart(sent, eventName) ||
                            soundOf(dlg->theme(), eventName).name == entry.name)
                    << eventName << " came back as " << soundOf(dlg->theme(), eventName).name;
        }
    }

#ifndef _WIN32
    // Lays out TMPDIR so that Belltide's own temporary folder cannot be made there; what that
    // tells, or nothing where this process cannot lay it out (root writes in any folder).
    std::string noTemporaryFolder(const std::string& how) {
        const fs::path tmp = folder.path() / "tmp",
                       own = tmp / ("belltide-" + std::to_string(::geteuid()));
        const std::string tmpdir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        cleanUps.push_back([tmpdir] { setEnvironment("TMPDIR", tmpdir); });
        setEnvironment("TMPDIR", pcText(tmp));
        std::string reason = "something that is no folder has its name";
        if (how == "AnotherUsersFolder") {
            fs::create_directories(own);
            reason = ::chown(own.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) == 0
                         ? "another user owns a folder of that name"
                         : "";
        } else {
            fs::create_directories(tmp / "elsewhere");
            fs::create_directory_symlink(tmp / "elsewhere", own);
        }
        return reason.empty() ? ""
                              : "Belltide could not make its temporary folder \"" + pcText(own) +
                                    "\": " + reason + ".";
    }
#endif
    // Every conversion stops, by a Cancel while the first sound is converted or as how says;
    // the theme's Question wave is one the handheld cannot play. A pick of such a sound is
    // previewed as it stands when it cannot be converted, and its drop changes nothing, the
    // reason told once.
    void stopConversions(const std::string& how) {
        const std::string pick = pcText(folder.writeFile("picked/loud.wav", 0));
        writeBytes(pick, floatWaveBytes(0.2));
        writeBytes(dlg->theme().find("Question")->second.path(), floatWaveBytes(0.1));
        dlg->m_modified = false;
        progressWindows.cancelDuring = how == "Cancel" ? 1 : -1;
#ifndef _WIN32
        if (how != "Cancel" && (told = {noTemporaryFolder(how)})[0].empty())
            skip = "this process cannot lay it out";
#endif
        RecordingSoundPlayer player;
        CSoundFileDialog(player, {}).OnFileNameChange(pick);
        EXPECT_EQ(player.played.at(0) == pick, !told.empty());
        const Holdings before = held();
        dlg->OnDropSoundFile(0, pick);
        EXPECT_EQ(prompts.messages, told);
        EXPECT_TRUE(!dlg->isModified() && rows() == before.rows && held().sounds == before.sounds)
            << "the drop changed nothing";
    }

    std::vector<std::string> told; // each once in the operation's one message
    std::string skip;              // why the test cannot be laid out here
    std::vector<std::function<void()>> cleanUps;
};

} // namespace

// Every call the device can fail, failed in turn, alone, or Cancel clicked while any one file is
// copied or while connecting: the operation ends by the rules above. A failure is told at most
// once and the bar is full unless the connection was refused; a Cancel finishes the file being
// copied, starts no other and tells nothing, and nothing is done, so the next start takes the
// backup. An upload whose process is killed at any one device call leaves the handheld, once the
// next connect has put right what it left, with the old sounds and registry, byte for byte, or
// with the whole new theme; killed in its second phase, the upload is finished.
enum class Stop { FailingEachCall, CancelDuringEachFile, KilledAtEachCall };
const char* const StopNames[] = {"FailingEachCall", "CancelDuringEachFile", "KilledAtEachCall"};
void PrintTo(Stop stop, std::ostream* out) {
    *out << StopNames[static_cast<int>(stop)];
}
class Sweep : public ::testing::TestWithParam<std::tuple<Operation, Stop>> {};

// A killed process loses nothing the kernel holds, so the disk is not flushed here; what would be
// is noted. A clean upload flushes as often for any number of waves: the new ones while they all
// still wait under their temporary names, the moves before the registry.
std::vector<std::string> flushesOfAnUpload(Handheld& handheld) {
    static std::vector<std::string> flushed;
    static fs::path windows;
    windows = handheld.deviceFolder / "Windows";
    flushed.clear();
    const ReplacementDiskCalls real = replacementDiskCalls();
    replacementDiskCalls().flushFile = [](int) { return flushed.push_back("registry"), true; };
    replacementDiskCalls().flushFolder = [](const fs::path& at) {
        flushed.push_back(pcText(at.filename()));
    };
    replacementDiskCalls().flushFileSystem = [](const fs::path&) {
        int waiting = 0;
        for (const auto& entry : fs::directory_iterator(windows))
            waiting += entry.path().extension() == ".new";
        return flushed.push_back(waiting ? "waves" : "waves moved"), true;
    };
    handheld.run(Upload);
    replacementDiskCalls() = real;
    return flushed;
}

// The handheld's waves and registry, without the count of reloads.
std::map<std::string, std::string> wavesAndRegistry(const Handheld& handheld) {
    auto device = handheld.held().device;
    device.erase("reloads");
    return device;
}

TEST_P(Sweep, EndsWithTheOldSetOrTheWholeNewOne) {
    const auto [operation, stop] = GetParam();
    const bool cancel = stop == Stop::CancelDuringEachFile;
    Handheld clean;
    clean.prepare(operation);
    const Holdings cleanBefore = clean.held();
    if (operation == Upload)
        EXPECT_EQ(flushesOfAnUpload(clean),
                  (std::vector<std::string>{"waves", "Windows", "registry", "device"}));
    else
        clean.run(operation);
    clean.expectOutcome(operation, cleanBefore);
    ASSERT_TRUE(clean.done(operation) && clean.lastRun().messages.empty());
    ASSERT_EQ(clean.lastRun().position, clean.lastRun().upper);
    const int files = clean.lastRun().upper - 1;
    ASSERT_TRUE(files >= FactoryFiles && clean.deviceCalls > 60);
    const auto whole = wavesAndRegistry(clean);
    int undone = 0, finished = 0;
    for (int at = 0; at < (cancel ? files + 1 : clean.deviceCalls); ++at) {
        SCOPED_TRACE(StopNames[int(stop)] + (" at " + std::to_string(at)));
        Handheld handheld;
        handheld.prepare(operation);
        (cancel ? handheld.progressWindows.cancelDuring : handheld.failAt) = at;
#ifndef _WIN32
        if (stop == Stop::KilledAtEachCall) {
            const auto old = wavesAndRegistry(handheld);
            if (::fork() == 0) {
                handheld.killAtFailure = true;
                handheld.run(operation);
                ::_exit(0);
            }
            int status = 0;
            ::wait(&status);
            ASSERT_TRUE(WIFSIGNALED(status));
            const bool left = handheld.leftovers() > 0;
            handheld.session([](DeviceLink&) { return true; });
            EXPECT_EQ(handheld.leftovers(), 0);
            const auto now = wavesAndRegistry(handheld);
            EXPECT_TRUE(now == old || now == whole);
            undone += left && now == old;
            finished += left && now == whole;
            continue;
        }
#endif
        const Holdings before = handheld.held();
        handheld.run(operation);
        SCOPED_TRACE(handheld.failedCall);
        handheld.expectOutcome(operation, before);
        const auto& run = handheld.lastRun();
        if (cancel) {
            EXPECT_TRUE(!handheld.done(operation) && run.messages.empty());
            EXPECT_TRUE(run.texts.front() == WaitingText && run.copying == at &&
                        run.position == at + 1);
            EXPECT_TRUE(at == 0 || run.texts.back().ends_with(" (" + std::to_string(at) + " of " +
                                                              std::to_string(files) + ")"))
                << run.texts.back();
            if (operation == Backup) {
                handheld.progressWindows.cancelDuring = -1;
                handheld.run(Backup);
                EXPECT_TRUE(handheld.done(Backup));
            }
            continue;
        }
        EXPECT_LE(run.messages.size(), 1u);
        const bool refused = at == 0;
        EXPECT_TRUE(!refused || run.messages.at(0).starts_with(NoConnection));
        // An upload whose journal cannot be written ends before its first file.
        const bool started = run.upper >= 0;
        EXPECT_TRUE(started || refused || (operation == Upload && !handheld.done(Upload)));
        EXPECT_EQ(run.position, started ? run.upper : 0);
        EXPECT_TRUE(operation == Upload || handheld.done(operation) == !refused);
    }
    EXPECT_TRUE(stop != Stop::KilledAtEachCall || (undone > 0 && finished > 0));
}

std::string sweepName(const ::testing::TestParamInfo<std::tuple<Operation, Stop>>& info) {
    return OperationNames[int(std::get<0>(info.param))] +
           std::string(StopNames[int(std::get<1>(info.param))]);
}
INSTANTIATE_TEST_SUITE_P(Stops, Sweep,
                         ::testing::Combine(::testing::Values(Download, Upload, Backup),
                                            ::testing::Values(Stop::FailingEachCall,
                                                              Stop::CancelDuringEachFile)),
                         sweepName);
#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(Kills, Sweep,
                         ::testing::Values(std::tuple(Upload, Stop::KilledAtEachCall)), sweepName);
#endif

// A handheld and a theme made ready, one operation, and what the user is told, judged by the
// rules above; an upload done whole comes back by a download and a backup. Downloads start from
// a theme of the library, uploads from the handheld's own theme, downloaded.
struct Scenario {
    std::string name;
    Operation operation;
    std::function<void(Handheld&)> setUp;
    std::string status;
    std::vector<std::string> told = {}; // each once in the one message; none: no message
    std::function<void(Handheld&)> after = {};
    friend void PrintTo(const Scenario& row, std::ostream* out) { *out << row.name; }
};
class Scenarios : public ::testing::TestWithParam<Scenario>, public Handheld {};

TEST_P(Scenarios, EndAsTheUserIsTold) {
    const Scenario& row = GetParam();
    dlg->OnInitDialog(); // the first start's backup waits for the window and every dialog
    EXPECT_TRUE(progressWindows.runs.empty());
    row.operation == Upload ? downloadWhole() : loadSampleTheme();
    told = row.told;
    row.setUp(*this);
    if (!skip.empty())
        GTEST_SKIP() << skip;
    const Holdings before = held();
    run(row.operation);
    expectOutcome(row.operation, before);
    EXPECT_EQ(statusBar.text, row.status);
    const auto& messages = lastRun().messages;
    ASSERT_EQ(messages.size(), told.empty() ? 0u : 1u) << ::testing::PrintToString(messages);
    for (const std::string& part : told)
        EXPECT_TRUE(messages[0].find(part) != messages[0].npos &&
                    messages[0].find(part) == messages[0].rfind(part))
            << part << " once in " << messages[0];
    EXPECT_EQ(progressWindows.mostAtOnce, 1);
    if (row.after)
        row.after(*this);
    const auto runs = progressWindows.runs.size() + !fs::exists(backupFile());
    dlg->InitialBackupCheck(); // taken once
    EXPECT_EQ(progressWindows.runs.size(), runs);
    if (row.status == "Sounds exported")
        expectRoundTrip();
}

// A handheld that tells this much room free, or, told none, whose menupop.wav can neither take
// the place of the old one nor be written over it.
struct OddHandheld : VirtualHandheld {
    OddHandheld(const fs::path& folder, std::uint64_t bytes)
        : VirtualHandheld(folder), room(bytes) {}
    bool stuck(const std::u16string& path) const {
        return room == 0 && fromUtf16(path).ends_with("\\menupop.wav");
    }
    bool CeMoveFile(const std::u16string& from, const std::u16string& to) override {
        return !(stuck(to) && fromUtf16(from).ends_with(".new")) &&
               VirtualHandheld::CeMoveFile(from, to);
    }
    Rapi::Handle CeCreateFile(const std::u16string& path, std::uint32_t access, std::uint32_t share,
                              std::uint32_t how, std::uint32_t attributes) override {
        return access == Rapi::GenericWrite && stuck(path)
                   ? Rapi::InvalidHandle
                   : VirtualHandheld::CeCreateFile(path, access, share, how, attributes);
    }
    bool CeGetDiskFreeSpaceEx(const std::u16string& at, std::uint64_t* available) override {
        return room ? (*available = room, true)
                    : VirtualHandheld::CeGetDiskFreeSpaceEx(at, available);
    }
    std::uint64_t room;
};
void useOdd(Handheld& handheld, std::uint64_t room = 0) {
    handheld.makeDevice = [room](const fs::path& at) -> std::unique_ptr<RemoteDevice> {
        return std::make_unique<OddHandheld>(at, room);
    };
}

// Names the handheld gives that no file on the PC can have are never copied: their events show
// no sound, the message names each once, and the rest arrives.
Scenario unfitName(const std::string& label, const std::string& name, Operation operation) {
    return {label,
            operation,
            [name](Handheld& h) {
                h.nameOnHandheld({{"Asterisk", name}, {"_Reminders", name}});
            },
            operation == Download ? "2 sounds could not be imported" : "Welcome to Belltide",
            {"\"" + name + "\" for Asterisk", "\"" + name + "\" for _Reminders"}};
}
// Whatever Belltide uploads it downloads and backs up exactly: names of every length a PC file
// can have, and beyond ASCII, for an event and a notification.
Scenario newNames(const std::string& label, const std::string& event,
                  const std::string& notification) {
    return {label, Upload,
            [=](Handheld& h) {
                h.dropWave("Asterisk", event, "event " + event);
                h.dropWave("_Reminders", notification, "notification " + notification);
            },
            "Sounds exported"};
}
// The room an upload needs is that of every new wave at once, beside the old ones, and of its
// two notes, in whole clusters: a theme that needs a cluster more than is free is not started.
Scenario roomFor(const std::string& label, int clustersBeyond) {
    return {label, Upload,
            [clustersBeyond](Handheld& h) {
                std::uint64_t needed = 2;
                for (const auto& file : h.dlg->theme().soundFiles())
                    needed += (fs::file_size(testPath(file.path())) + 4095) / 4096;
                const std::uint64_t room = (needed + clustersBeyond) * 4096;
                useOdd(h, room);
                if (clustersBeyond < 0)
                    h.told = {"The theme's sounds need " + std::to_string(needed * 4) +
                              " KB on the Pocket PC, but only " + std::to_string(room / 1024) +
                              " KB are free there. Nothing was exported; make room on the Pocket "
                              "PC or choose smaller sounds."};
            },
            clustersBeyond < 0 ? "Sounds not exported" : "Sounds exported"};
}
// A conversion that cannot be made or is cancelled sends nothing and changes nothing.
Scenario stoppedConversions(const std::string& how) {
    return {"ConversionStopsBy" + how,
            Upload,
            [how](Handheld& h) { h.stopConversions(how); },
            "Sounds not exported",
            {},
            [](Handheld& h) {
                for (const std::string& text : h.lastRun().texts)
                    EXPECT_FALSE(text.starts_with("Copying ")) << text;
            }};
}

#ifndef _WIN32
// The handheld through our library with SynCE's ABI, behaving as SynCE or a handheld may: each
// row's transfer tells its one message (or none) within its time and ends by the rules above.
// The library refuses every call from a thread without the session; no row makes one but the row
// that does so on purpose. The virtual handheld in the program folder is this very one, which no
// choice of the library ever falls back to.
enum class HandheldIs { There, Absent, AbsentAndCancelled, AbsentAndDialogGone };
using enum HandheldIs;
struct Library {
    std::pair<const char*, const char*> environment = {};
    HandheldIs handheld = There;
    int atLeastMs = 0, atMostMs = 4000;
    int strayAt = -1; // the device call before which another thread makes one
    const char* library = BELLTIDE_SYNCE_LIBRARY;
};
// The calls our library refused so far, held loaded to count them all.
unsigned refusedCalls() {
    static void* const synce = dlopen(BELLTIDE_SYNCE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return reinterpret_cast<unsigned (*)()>(dlsym(synce, "BelltideRapiRefusedCalls"))();
}
Scenario throughSynce(const std::string& label, Operation operation, const std::string& message,
                      bool done, Library how = {}) {
    using Clock = std::chrono::steady_clock;
    const auto since = std::make_shared<std::pair<unsigned, Clock::time_point>>();
    return {
        "Synce" + label,
        operation,
        [=](Handheld& h) {
            if (operation == Upload)
                h.changeEveryWave();
            h.cleanUps.push_back([variable = how.environment.first] {
                for (const char* name : {variable, "BELLTIDE_RAPI_DEVICE", "BELLTIDE_RAPI_LIBRARY"})
                    name&& unsetenv(name);
            });
            // Chosen as at the program's start.
            h.makeDevice = [&h, how](const fs::path& at) {
                if (how.environment.first)
                    setEnvironment(how.environment.first, how.environment.second);
                setEnvironment("BELLTIDE_RAPI_DEVICE",
                               pcText(how.handheld == There ? at : at / "absent"));
                setEnvironment("BELLTIDE_RAPI_LIBRARY", how.library);
                return chooseHandheld(h.folder.path()).factory();
            };
            h.strayAt = how.strayAt;
            h.progressWindows.goneWhileWaiting = how.handheld == AbsentAndDialogGone;
            h.progressWindows.cancelDuring = how.handheld == AbsentAndCancelled ? 0 : -1;
            *since = {refusedCalls(), Clock::now()};
        },
        !done                 ? notDone(operation)
        : operation == Backup ? "Welcome to Belltide"
                              : outcome(0, operation == Upload ? "exported" : "imported"),
        message.empty() ? std::vector<std::string>{} : std::vector{message},
        [=](Handheld& h) {
            const auto took = Clock::now() - since->second;
            EXPECT_EQ(h.done(operation), done);
            EXPECT_EQ(refusedCalls() > since->first, how.strayAt >= 0);
            EXPECT_GE(took, std::chrono::milliseconds(how.atLeastMs));
            EXPECT_LE(took, std::chrono::milliseconds(how.atMostMs));
        }};
}
const std::string Lost = Rapi::ConnectionLost::Text;
#endif

const Scenario ScenarioRows[] = {
    unfitName("UnfitSubFolder", "Sub\\Beep", Download),
    unfitName("UnfitParent", "..\\x", Download),
    unfitName("UnfitDeviceName", "NUL", Download),
    unfitName("UnfitTooLong", std::string(252, 'l'), Download),
    unfitName("UnfitInABackup", "Sub\\Beep", Backup),
    // The handheld finds one file under a name in any letter case: the PC keeps one file too.
    {"ANameInTwoLetterCasesIsOneSound", Download,
     [](Handheld& h) {
         h.nameOnHandheld({{"Asterisk", "Alarm1"}, {"Critical Stop", "ALARM1"}});
     },
     "Sounds imported"},
    {"AnUnexpectedProblem",
     Download,
     [](Handheld& h) {
         h.makeDevice = [](const fs::path&) -> std::unique_ptr<RemoteDevice> {
             throw fs::filesystem_error("cannot list", std::make_error_code(std::errc::io_error));
         };
     },
     "Sounds not imported",
     {"The transfer stopped because of an unexpected problem: "}},
    newNames("NamesShort", "a", "b"),
    newNames("NamesTwenty", "conf-waitforleader24", "conf-waitforleader25"),
    newNames("NamesFortyNine", std::string(49, 'e'), std::string(49, 'n')),
    newNames("NamesFifty", std::string(50, 'e'), std::string(50, 'n')),
    newNames("NamesOneHundredNinety", std::string(190, 'e'), std::string(190, 'n')),
    newNames("NamesBeyondAscii", "Glöckchen €", "Тема звонка 🔔"),
    // With the box unchecked the handheld's notification sounds stay as they are.
    {"AnUncheckedBoxLeavesTheNotificationsAlone", Upload,
     [](Handheld& h) {
         h.extendedCheck.checked = false;
         h.dropWave("_Reminders", "fresh three", "new fresh three");
     },
     "Sounds exported"},
    // A sound cleared goes as silence and comes back as silence, not as a sound of that name.
    {"AClearedSoundGoesAsSilence", Upload,
     [](Handheld& h) { h.select(h.rowOf("Asterisk")), h.dlg->OnNoSound(); }, "Sounds exported"},
    // A wave the handheld cannot play goes converted, the theme's file as it was; a file that
    // is no sound stays on the PC, and its events keep the handheld's sound.
    {"AnUnplayableWaveGoesConvertedAndANonSoundIsLeftOut",
     Upload,
     [](Handheld& h) {
         writeBytes(h.dlg->theme().find("Question")->second.path(), "\x1f\x8b damaged");
         writeBytes(h.dlg->theme().find("Asterisk")->second.path(), floatWaveBytes(0.2));
     },
     "1 sound could not be exported",
     {"is not a wave file"}},
    // Every wave placed before it goes back.
    {"AWaveThatCannotTakeItsPlace",
     Upload,
     [](Handheld& h) { useOdd(h), h.changeEveryWave(); },
     "Sounds not exported",
     {"Could not write file to PPC \"\\Windows\\menupop.wav\".\nThe Pocket PC keeps the sounds "
      "it had."}},
    roomFor("ANeedOfOneClusterMoreThanIsFreeStartsNothing", -1),
    roomFor("ANeedThatFitsExactlyIsSentWhole", 0),
    stoppedConversions("Cancel"),
#ifndef _WIN32
    stoppedConversions("AnotherUsersFolder"),
    stoppedConversions("ALinkInItsPlace"),
    // A connection is awaited by asking CeRapiInit again while the usual time lasts.
    throughSynce("ConnectionWait", Download, "", true,
                 {{"BELLTIDE_RAPI_REFUSED_INITS", "3"}, There, 700}),
    throughSynce("NamedVirtualHandheldFirst", Download, "", true,
                 {{"BELLTIDE_DEVICE", "device"}, Absent}),
    throughSynce("ThreadRule", Download, Lost, false, {{}, There, 0, 4000, 1}),
    throughSynce("NoHandheld", Backup, NoConnection + "\n" + SynceDevice::NoHandheldHint, false,
                 {{}, Absent, 5000, 8000}),
    // The next three end well within the five seconds a connection is awaited; each bound spans
    // the row's own checks too, which a sanitizer build makes slow.
    throughSynce("CancelWhileWaiting", Download, "", false, {{}, AbsentAndCancelled, 0, 2500}),
    throughSynce("DialogGoneWhileWaiting", Download, "", false, {{}, AbsentAndDialogGone, 0, 2500}),
    throughSynce("Locked", Download, "The Pocket PC is locked. Unlock it and try again.", false,
                 {{"BELLTIDE_RAPI_LOCKED", "1"}, There, 0, 2500}),
    throughSynce("MissingFunction", Upload,
                 NoConnection + "\nThe library " BELLTIDE_SYNCE_LIBRARY_WITHOUT_INVOKE
                                " lacks the function CeRapiInvoke, which Belltide needs.",
                 false, {{}, There, 0, 4000, -1, BELLTIDE_SYNCE_LIBRARY_WITHOUT_INVOKE}),
    throughSynce("LostDuringDownload", Download, Lost, false,
                 {{"BELLTIDE_RAPI_LOSE_AT", "CeReadFile:3"}}),
    throughSynce("LostDuringUpload", Upload, Lost, false,
                 {{"BELLTIDE_RAPI_LOSE_AT", "CeWriteFile:1"}}),
    throughSynce("UploadsTheThemeWhole", Upload, "", true),
#endif
};
INSTANTIATE_TEST_SUITE_P(Transfer, Scenarios, ::testing::ValuesIn(ScenarioRows),
                         [](const auto& param) { return param.param.name; });

// A theme named at the first start is copied into the library and shown again, as that copy,
// once the backup is taken.
class FirstStart : public ::testing::Test, public Handheld {};
TEST_F(FirstStart, ShowsTheThemeNamedAtStartFromTheLibraryOnceTheBackupIsTaken) {
    dlg->setStartupTheme(writeSampleTheme(pcText(folder.path() / "named.kbt")));
    dlg->OnInitDialog();
    dlg->InitialBackupCheck();
    EXPECT_TRUE(fs::exists(backupFile()));
    EXPECT_EQ(rows(), SampleRows);
    EXPECT_EQ(shownTheme(), "named.kbt");
}
