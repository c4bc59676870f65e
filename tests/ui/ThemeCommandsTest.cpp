#include "audio/WaveFile.h"
#include "support/MainWindowFixture.h"
#include "ui/SavePath.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <tuple>

namespace fs = std::filesystem;

using ThemeCommands = SampleThemeFixture;

#ifndef _WIN32
// A disk that fills up while a theme is opened leaves the editor and its sounds as they were.
TEST_F(ThemeCommands, AThemeWhoseSoundsDoNotFitIsNotOpened) {
    const fs::path volume = folder.path() / "volume";
    const auto mounted = folder.mountTmpfs("volume", "size=256k");
    if (!mounted)
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    // The theme library on the small disk, with the sample's sounds in it.
    fs::copy(pcPath(themesDir()), volume / "themes", fs::copy_options::recursive);
    TestableBelltideDlg small(ProgramFolders{folder.path(), volume}, controls());
    small.loadTheme(writeSampleTheme(pcText(volume / "themes" / "sample.kbt")));
    const std::string big = pcText(folder.path() / "big.kbt");
    writeBytes(big, memberBytes("theme.dsc", "1\r\nAsterisk\r\nbig\r\n.wav\r\n") +
                        memberBytes("big.wav", std::string(300 << 10, 'b')));
    EXPECT_THROW(small.loadTheme(big), MessageError);
    EXPECT_EQ(small.eventList().rows(), SampleRows);
    EXPECT_EQ(readBytes(volume / "themes" / "sounds" / "alarm1.wav"),
              waveBytes(std::string(2004, 'g')));
    EXPECT_FALSE(fs::exists(volume / "themes" / "sounds.new"));
}
#endif

// A save that fails says why, from the call that failed; a long name that the file system takes
// is saved, its temporary name shortened to fit.
TEST_F(ThemeCommands, AFailedSaveSaysWhy) {
    std::vector<std::pair<std::string, std::string>> cases{
        {themesDir() + "missing" + PathSeparator + "x.kbt", ": the folder does not exist."},
        {themesDir() + std::string(245, 'L') + ".kbt", ""}};
#ifndef _WIN32
    cases.emplace_back(themesDir() + std::string(300, 'L') + ".kbt",
                       ": the name is too long for the file system.");
    std::vector<std::shared_ptr<const void>> mounted;
    for (const auto& [options, reason] : {std::pair{"size=4k", ": the disk is full."},
                                          std::pair{"ro", ": Belltide may not write there."}})
        if (mounted.push_back(folder.mountTmpfs(options, options)), mounted.back())
            cases.emplace_back(pcText(folder.path() / options / "x.kbt"), reason);
#endif
    for (const auto& [path, reason] : cases) {
        prompts.messages.clear();
        save(path);
        EXPECT_EQ(prompts.messages,
                  reason.empty() ? std::vector<std::string>{}
                                 : std::vector{"Could not save theme \"" + path + "\"" + reason});
        std::error_code unreadable;
        EXPECT_EQ(fs::exists(testPath(path), unreadable), reason.empty()) << path;
    }
}

// A theme from elsewhere may name sounds of any extension, names that differ only in case and
// names in Windows-1252 (a Western PC of the handheld's era; a UTF-8 name stays as it is): each
// becomes a wave of its own in the sounds folder, named in UTF-8, the theme's files as they were,
// and one that is no sound is told and left out. It saves and opens again as it was shown.
TEST_F(ThemeCommands, EverySoundOfAThemeOpenedIsAWaveOfItsOwn) {
    const std::string mp3 = readBytes(BELLTIDE_TEST_DATA "/audio/tone-44100-stereo.mp3");
    const std::string path = pcText(folder.path() / "foreign.kbt");
    std::string descriptor = "7\r\n", members;
    for (const auto& [event, file, bytes] :
         {std::tuple{"Asterisk", "tone.mp3", mp3},
          {"Exclamation", "ring.wav", waveBytes("r")},
          {"Infrared Begin", "junk.txt", std::string("no sound")},
          {"Infrared End", "R\xEAve \x80.wav", waveBytes("1252")},
          {"Menu Pop", "Möwe.wav", waveBytes("utf-8")},
          {"Question", "beep.WAV", waveBytes("beep")},
          {"Start Up", "Ring.wav", waveBytes("R")}}) {
        const std::string name = file;
        descriptor += std::string(event) + "\r\n" + name.substr(0, name.rfind('.')) + "\r\n" +
                      name.substr(name.rfind('.')) + "\r\n";
        members += memberBytes(name, bytes);
    }
    writeBytes(path, memberBytes("theme.dsc", descriptor) + members);
    dlg->loadTheme(path);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"The theme's sound \"junk.txt\" is no "
                                                         "sound Belltide can read; its events have "
                                                         "no sound."});
#ifdef _WIN32 // one file there: the later member
    const std::string upper = "Ring.wav", lowerBytes = waveBytes("R");
#else
    const std::string upper = "Ring (2).wav", lowerBytes = waveBytes("r");
#endif
    std::string shown;
    for (const auto& row : rows())
        shown += row[0] + "=" + row[1] + ";";
    EXPECT_EQ(shown, "Asterisk=tone.wav;Exclamation=ring.wav;Infrared Begin=(none);"
                     "Infrared End=Rêve €.wav;Menu Pop=Möwe.wav;Question=beep.wav;Start Up=" +
                         upper + ";");
    for (const auto& [file, bytes] : {std::pair{std::string("beep.wav"), waveBytes("beep")},
                                      {"Rêve €.wav", waveBytes("1252")},
                                      {"Möwe.wav", waveBytes("utf-8")},
                                      {upper, waveBytes("R")},
                                      {"ring.wav", lowerBytes}})
        EXPECT_EQ(readBytes(soundsDir() + file), bytes) << file;
    const auto tone = readWaveFormat(dlg->theme().find("Asterisk")->second.path());
    EXPECT_TRUE(tone && isHandheldWave(*tone));
    EXPECT_FALSE(fs::exists(testPath(soundsDir() + "tone.mp3")));
    EXPECT_FALSE(extendedCheck.enabled) << "a theme without notifications";

    const auto before = rows();
    save(themesDir() + "mine.kbt");
    dlg->loadTheme(themesDir() + "mine.kbt");
    EXPECT_EQ(rows(), before);
}

// Each command leaves the window telling the present: the title names the theme the editor holds
// and marks unsaved changes, the list names the library's copy, the status line has a note of its
// own or nothing where an earlier one ("Sounds exported" here) is past, and a refusal is told.
struct CommandCase;

class ThemeCommand : public ThemeCommands, public ::testing::WithParamInterface<CommandCase> {
public:
    // Replaces {folder} and {themes} by the test's folder and its theme library.
    std::string filled(std::string text) const {
        for (const auto& [key, value] :
             {std::pair{"{folder}", folder.dir()}, {"{themes}", themesDir()}})
            if (const auto at = text.find(key); at != std::string::npos)
                text.replace(at, std::string(key).size(), value);
        return text;
    }
    // Opens a damaged theme file of these bytes: nothing is extracted, nothing written elsewhere
    // nor copied into the library.
    void openDamaged(const std::string& bytes) {
        writeBytes(folder.path() / "secret.txt", "private");
        writeBytes(folder.path() / "damaged.kbt", bytes);
        open(folder.dir() + "damaged.kbt");
        EXPECT_EQ(folder.names("themes/sounds"),
                  (std::set<std::string>{"alarm1.wav", "chime.wav", "theme.dsc"}));
        EXPECT_EQ(readBytes(soundsDir() + "chime.wav"), waveBytes(std::string(2002, 'c')));
        EXPECT_EQ(readBytes(folder.path() / "secret.txt"), "private");
        EXPECT_FALSE(fs::exists(testPath(themesDir() + "damaged.kbt")));
    }
};

struct CommandCase {
    const char* label;
    std::function<void(ThemeCommand&)> act;
    std::string title, status, message = {}; // message: empty for none
    std::string shown = "sample.kbt";        // the theme the list names
    char rows = 'S'; // S: the sample's, N: 25 without sound, -: the case checks them
    friend void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.label; }
};

TEST_P(ThemeCommand, LeavesTheWindowTellingThePresent) {
    const CommandCase& c = GetParam();
    statusBar.setText("Sounds exported");
    c.act(*this);
    EXPECT_EQ(title.text, "Belltide \xE2\x80\x94 " + c.title);
    EXPECT_EQ(statusBar.text, filled(c.status));
    EXPECT_EQ(prompts.messages,
              c.message.empty() ? std::vector<std::string>{} : std::vector{filled(c.message)});
    EXPECT_EQ(shownTheme(), c.shown);
    if (c.rows == 'S') {
        EXPECT_EQ(rows(), SampleRows);
    } else if (c.rows == 'N') {
        ASSERT_EQ(dlg->eventList().rowCount(), 25);
        for (const auto& row : rows())
            EXPECT_EQ(row[1] + row[2], "(none)") << row[0];
    }
}

using T = ThemeCommand&;
// A theme file may name only its own members, and no theme's descriptor runs to megabytes.
CommandCase damaged(const char* label, const std::string& wave) {
    const std::string bytes = memberBytes("theme.dsc", "1\r\nAsterisk\r\n" + wave + "\r\n\r\n") +
                              memberBytes("chime.wav", "c");
    return {label, [bytes](T t) { t.openDamaged(bytes); }, "sample", "Sounds exported",
            "The theme file \"{folder}damaged.kbt\" is damaged."};
}
// A theme opened from elsewhere is copied into the library, asking before replacing a copy.
CommandCase openOver(const char* label, std::optional<bool> replace) {
    const auto act = [replace](T t) {
        if (replace)
            writeBytes(t.themesDir() + "Mélodie.KBT", "library copy"),
                t.prompts.answers = {*replace};
        t.open(t.away);
        EXPECT_EQ(readBytes(t.themesDir() + "Mélodie.KBT"),
                  replace.value_or(true) ? readBytes(t.away) : "library copy");
        EXPECT_EQ(t.prompts.questions.size(), replace ? 1u : 0u);
    };
    return {label, act, "Mélodie", "", "", replace.value_or(true) ? "Mélodie.KBT" : ""};
}
// A theme without a sound would silence the handheld: asked first; No changes nothing.
CommandCase silentUpload(const char* label, bool upload) {
    const auto act = [upload](T t) {
        t.dlg->OnNewTheme(), t.statusBar.setText("Sounds exported");
        t.prompts.answers = {upload}, t.dlg->OnUploadTheme();
        EXPECT_EQ(t.prompts.questions.at(0),
                  "This theme has no sounds: the Pocket PC will play none. Upload it?");
    };
    return {label, act, "Untitled", upload ? "Sounds not exported" : "Sounds exported",
            "",    "",  'N'};
}
const CommandCase CommandCases[] = {
    {"NewTheme",
     [](T t) {
         t.dlg->OnNewTheme();
         EXPECT_TRUE(t.saveThemeButton.enabled && t.uploadButton.enabled && !t.playButton.enabled);
     },
     "Untitled", "", "", "", 'N'},
    openOver("OpenTheme", std::nullopt),
    openOver("OpenThemeReplacingItsCopy", true),
    openOver("OpenThemeKeepingItsCopy", false),
    damaged("RowNamingParent", "../secret.txt"),
    damaged("HugeDescriptor", "chime\r\n.wav" + std::string(1 << 20, '\n')),
    {"PickTheme",
     [](T t) {
         t.dlg->OnNewTheme(), t.pick("pick.kbt");
         EXPECT_EQ(t.dlg->theme().find("Question")->second.path(), t.soundsDir() + "alarm1.wav");
     },
     "pick", "", "", "pick.kbt"},
    // A file without descriptor is refused before anything changes.
    {"PickNoTheme",
     [](T t) {
         writeBytes(t.themesDir() + "bad.kbt", memberBytes("new.wav", "n"));
         t.pick("bad.kbt");
         EXPECT_FALSE(fs::exists(testPath(t.soundsDir() + "new.wav")));
         EXPECT_EQ(t.prompts.waitDepth, 0);
     },
     "sample", "Sounds exported", "The file \"{themes}bad.kbt\" is not a Belltide theme."},
    // A theme handed over, or named at start, from the library under another spelling, on Windows
    // also in other letter case, is never copied onto itself: a question would find no answer.
    {"HandedOverFromTheLibraryRespelled",
     [](T t) {
         std::string path = t.themesDir() + "sounds" + PathSeparator + ".." + PathSeparator;
#ifdef _WIN32
         std::transform(path.begin(), path.end(), path.begin(), ::toupper);
#endif
         t.dlg->OnOpenFromAnotherStart(path + "pick.kbt");
     },
     "pick", "", "", "pick.kbt"},
    {"HandedOverGone", [](T t) { t.dlg->OnOpenFromAnotherStart(t.folder.dir() + "gone.kbt"); },
     "sample", "Sounds exported", "Could not open file \"{folder}gone.kbt\"."},
    // Notifications are saved too, whatever the check box says.
    {"SaveInLibrary",
     [](T t) {
         t.dlg->m_modified = true, t.extendedCheck.checked = false;
         t.save(t.themesDir() + "x.kbt");
         const FileDialogOptions& dialog = t.prompts.dialogs.at(0);
         EXPECT_EQ(dialog.title + dialog.filterDescription + dialog.filterPattern +
                       dialog.defaultExtension + dialog.initialFolder,
                   "Save Theme AsTheme Files (*.kbt)*.kbtkbt" + t.themesDir());
         EXPECT_FALSE(t.dlg->isModified() || t.extendedCheck.checked);
         const std::string saved = readBytes(t.themesDir() + "x.kbt");
         for (const char* row :
              {"\r\nAsterisk\r\nchime\r\n.wav\r\n", "\r\n_Notify\r\nchime\r\n.wav\r\n"})
             EXPECT_NE(saved.find(row), std::string::npos) << row;
     },
     "x", "", "", "x.kbt"},
    // A sound that vanished from the sounds folder fails the save, and the saved theme stays whole.
    {"SaveWithASoundGone",
     [](T t) {
         const std::string before = readBytes(t.themesDir() + "sample.kbt");
         fs::remove(testPath(t.soundsDir() + "alarm1.wav"));
         t.save(t.themesDir() + "sample.kbt");
         EXPECT_EQ(readBytes(t.themesDir() + "sample.kbt"), before);
     },
     "sample", "Sounds exported",
     "Could not save theme \"{themes}sample.kbt\": its sound \"alarm1.wav\" could not be read."},
    {"SaveOutside", [](T t) { t.save(t.away); }, "Mélodie",
     "Saved outside the theme library, as \"{folder}Mélodie.KBT\"", "", ""},
    {"NoSound", [](T t) { t.dlg->eventList().setSelectionMark(0), t.dlg->OnNoSound(); }, "*sample",
     "", "", "sample.kbt", '-'},
    {"PlainPickAfterAConversion",
     [](T t) {
         t.drop(1, "t48.wav", waveBytes(std::string(9600, 0), {1, 1, 48000, 16}));
         t.drop(1, "t8k.wav", waveBytes(std::string(14000, 0)));
     },
     "*sample", "", "", "sample.kbt", '-'},
    {"SelectingARowKeepsTheTransfersWord", [](T t) { t.select(1); }, "sample", "Sounds exported"},
    silentUpload("SilentThemeUploadDeclined", false),
    silentUpload("SilentThemeUploaded", true),
    {"NoHandheldAtTheFirstStart", [](T t) { t.dlg->InitialBackupCheck(); }, "sample",
     "Sounds not backed up; Belltide tries again at its next start"},
};
INSTANTIATE_TEST_SUITE_P(Commands, ThemeCommand, ::testing::ValuesIn(CommandCases),
                         [](const auto& param) { return std::string(param.param.label); });

// A theme handed over by a later start is opened as one named at start, never in a running
// transfer's modal loop; the save question is asked as for the other actions.
TEST_F(ThemeCommands, AThemeFromAnotherStartWaitsForTheTransferAndTheSaveQuestion) {
    progressWindows.callAfter([&] { dlg->OnOpenFromAnotherStart(away); });
    dlg->OnDownloadTheme(); // the call comes while its dialog is shown
    EXPECT_EQ(shownTheme(), "sample.kbt");
    progressWindows.runPending();
    EXPECT_EQ(title.text, "Belltide \xE2\x80\x94 Mélodie");
    EXPECT_EQ(shownTheme(), "Mélodie.KBT") << "copied into the library";
    dlg->m_modified = true;
    dlg->OnOpenFromAnotherStart(""); // only raises the window
    EXPECT_TRUE(prompts.questions.empty());
}

// Each action that would replace unsaved edits asks first; only No, or Yes with a save that
// happened, lets it go on. Cancel, a cancelled Save dialog or a failed save keep the edits, and
// so does a No followed by an action that does not replace them: a download that fails, or No to
// the exit question after the save question.
class SaveQuestion : public ThemeCommands,
                     public ::testing::WithParamInterface<std::tuple<std::string, std::string>> {};

TEST_P(SaveQuestion, LetsTheActionGoOnOnlyOnceTheEditsAreSavedOrDropped) {
    const auto [action, reply] = GetParam();
    drop(0, "edited.wav", waveBytes("edited"));
    const auto edited = rows();
    prompts.choices = {reply == "No"       ? Answer::No
                       : reply == "Cancel" ? Answer::Cancel
                                           : Answer::Yes};
    const std::string saved = themesDir() + "saved.kbt",
                      unsaved = themesDir() + "missing" + PathSeparator + "saved.kbt";
    if (reply.starts_with("Yes"))
        prompts.files = {reply == "YesCancelledDialog"
                             ? std::nullopt
                             : std::optional(reply == "YesSaved" ? saved : unsaved)};
    if (action == "Open")
        prompts.files.push_front(away);
    // The exit question, or replacing the library's copy.
    prompts.answers = {action != "CloseDeclined"};

    const bool closing = action.starts_with("Close");
    const bool closes = closing                  ? dlg->OnClose()
                        : action == "New"        ? (dlg->OnNewTheme(), false)
                        : action == "Open"       ? (dlg->OnOpenTheme(), false)
                        : action == "Pick"       ? (pick("pick.kbt"), false)
                        : action == "HandedOver" ? (dlg->OnOpenFromAnotherStart(away), false)
                                                 : (dlg->OnDownloadTheme(), false);
    const bool goesOn = reply == "No" || reply == "YesSaved";
    const bool replaced = goesOn && !closing && action != "Download";
    EXPECT_EQ(prompts.questions.at(0), "Do you want to save your changes?");
    EXPECT_EQ(dlg->isModified(), reply != "YesSaved" && !replaced);
    EXPECT_EQ(title.text.find('*') != std::string::npos, dlg->isModified());
    EXPECT_EQ(fs::exists(testPath(saved)), reply == "YesSaved");
    EXPECT_EQ(prompts.messages.size(), reply == "YesFailedSave" ? 1u : 0u)
        << "a failed save is told";
    if (closing) {
        EXPECT_EQ(closes, goesOn && action == "Close");
        const std::string exitQuestion = "Are you absolutely sure you want to exit Belltide?";
        EXPECT_EQ(prompts.questions.back() == exitQuestion, goesOn) << "after the save question";
    } else if (action == "Download") {
        EXPECT_EQ(statusBar.text, goesOn ? "Sounds not imported" : "") << "the edit spoke last";
    } else {
        EXPECT_EQ(rows() == edited, !goesOn) << "the edits are replaced only when it goes on";
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, SaveQuestion,
                         ::testing::Combine(::testing::Values("New", "Open", "Pick", "HandedOver",
                                                              "Download", "Close", "CloseDeclined"),
                                            ::testing::Values("No", "Cancel", "YesCancelledDialog",
                                                              "YesFailedSave", "YesSaved")),
                         [](const auto& param) {
                             return std::get<0>(param.param) + "_" + std::get<1>(param.param);
                         });

// The Save dialog's answer: ".kbt" only for a name without an extension, and a question only
// about a name the dialog did not ask about.
TEST(SavePathRule, AddsTheExtensionOnlyWhereThereIsNoneAndAsksOnlyAboutANameAdded) {
    const std::string t = std::string("t") + PathSeparator;
    const auto exists = [&](const std::string& path) { return path == t + "x.kbt"; };
    // What is typed > what is written, with "?" where the user is asked about replacing it.
    for (const std::string row :
         {"x>x.kbt?", "y>y.kbt", "foo.bar>foo.bar", "x.kbt>x.kbt", ".hidden>.hidden.kbt"}) {
        const auto at = row.find('>');
        const SavePath decided = savePathFor(t + row.substr(0, at), "kbt", exists);
        EXPECT_EQ(decided.path + (decided.askToReplace ? "?" : ""), t + row.substr(at + 1)) << row;
    }
}
