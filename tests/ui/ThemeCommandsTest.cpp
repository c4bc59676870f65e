#include "support/ArchiveBytes.h"
#include "support/MainWindowFixture.h"

#include "files/PcPath.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {
const std::string SaveQuestion = "Do you want to save your changes?";
const std::string OverwriteQuestion = "A theme with the same filename already exists in your "
                                      "Belltide Theme Directory. Overwrite it?";
} // namespace

class ThemeCommands : public MainWindowFixture {
protected:
    void SetUp() override {
        dlg->OnInitDialog();
        sound.played.clear();
    }

    std::string themesDir() const { return dlg->folders().themesDir; }
    std::string soundsDir() const { return dlg->folders().soundsDir; }

    // A theme file made elsewhere: Asterisk with a 2047-byte wave, Question with 2048 bytes,
    // Start Up silent, and _Notify sharing Asterisk's file.
    std::string makeThemeFile(const std::string& path, char fill = 'w') {
        const std::string source = (folder.path() / "source" / "").string();
        const std::string work = (folder.path() / "work" / "").string();
        fs::create_directories(work);
        folder.writeFile("source/chime.wav", 2047, fill);
        folder.writeFile("source/gong.wav", 2048, fill);
        SoundTheme theme;
        theme.insert("Asterisk", SoundEntry{source, "chime", ".wav", 0});
        theme.insert("Question", SoundEntry{source, "gong", ".wav", 0});
        theme.insert("Start Up", SoundEntry::none());
        theme.insert("_Notify", SoundEntry{source, "chime", ".wav", 0});
        theme.saveToArchive(work, path);
        return path;
    }

    std::vector<CEventListCtrl::Row> expectedRows() const {
        return {{"Asterisk", "chime.wav", "2 KB"},
                {"Question", "gong.wav", "3 KB"},
                {"Start Up", "(none)", ""},
                {"_Notify", "chime.wav", "2 KB"}};
    }

    std::string selectedTheme() const {
        return themeCombo.selected < 0 ? "" : themeCombo.itemText(themeCombo.selected);
    }
};

TEST_F(ThemeCommands, NewThemeShowsTwentyFiveSilentRows) {
    dlg->OnNewTheme();
    ASSERT_EQ(dlg->eventList().rowCount(), 25);
    EXPECT_EQ(rows().front()[0], "Asterisk");
    EXPECT_EQ(rows().back()[0], "_lowbatt");
    for (const auto& row : rows()) {
        EXPECT_EQ(row[1], "(none)");
        EXPECT_EQ(row[2], "");
    }
    for (const auto& [eventName, entry] : dlg->theme())
        EXPECT_EQ(entry.folder, soundsDir()) << eventName;
    EXPECT_EQ(themeCombo.selected, -1);
    EXPECT_TRUE(saveThemeButton.enabled);
    EXPECT_TRUE(uploadButton.enabled);
    EXPECT_TRUE(extendedCheck.enabled);
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled);
}

TEST_F(ThemeCommands, LoadingShowsTheRowsMeasuredInTheSoundsFolder) {
    dlg->OnNewTheme();
    dlg->m_modified = true;
    const auto path = makeThemeFile((folder.path() / "elsewhere.kbt").string());
    dlg->loadTheme(path);
    EXPECT_TRUE(dlg->isModified()) << "loading leaves the mark to its callers";
    EXPECT_EQ(rows(), expectedRows());
    EXPECT_EQ(readBytes(soundsDir() + "gong.wav"), std::string(2048, 'w'));
    EXPECT_EQ(dlg->theme().find("Question")->second.path(), soundsDir() + "gong.wav");
    EXPECT_TRUE(saveThemeButton.enabled && uploadButton.enabled && extendedCheck.enabled);
    EXPECT_EQ(prompts.waitDepth, 0);
}

TEST_F(ThemeCommands, AMissingWaveLoadsAsNoSound) {
    writeBytes(
        themesDir() + "partial.kbt",
        memberBytes("theme.dsc", "2\r\nAsterisk\r\nlost\r\n.wav\r\nQuestion\r\nhere\r\n.wav\r\n") +
            memberBytes("here.wav", std::string(1024, 'h')));
    dlg->loadTheme(themesDir() + "partial.kbt");
    EXPECT_EQ(rows(), (std::vector<CEventListCtrl::Row>{{"Asterisk", "(none)", ""},
                                                        {"Question", "here.wav", "2 KB"}}));
    EXPECT_FALSE(extendedCheck.enabled) << "no notification rows";
}

struct BadTheme {
    const char* what;
    std::string bytes; // empty: no file at all
    std::string message;
    friend void PrintTo(const BadTheme& bad, std::ostream* out) { *out << bad.what; }
};

class FailedLoad : public ThemeCommands, public ::testing::WithParamInterface<BadTheme> {};

TEST_P(FailedLoad, ChangesNothingAndSaysWhy) {
    const auto good = makeThemeFile(themesDir() + "good.kbt");
    dlg->loadTheme(good);
    const std::string badPath = themesDir() + "bad.kbt";
    if (!GetParam().bytes.empty())
        writeBytes(badPath, GetParam().bytes);
    const auto rowsBefore = rows();
    const auto descriptorBefore = readBytes(soundsDir() + "theme.dsc");
    const auto comboBefore = themeCombo.items;
    const auto selectedBefore = themeCombo.selected;

    try {
        dlg->loadTheme(badPath);
        FAIL() << "no error";
    } catch (const MessageError& error) {
        std::string expected = GetParam().message;
        if (const auto at = expected.find('@'); at != std::string::npos)
            expected.replace(at, 1, badPath);
        EXPECT_EQ(error.text(), expected);
    }
    EXPECT_EQ(rows(), rowsBefore);
    EXPECT_EQ(dlg->theme().size(), 4);
    EXPECT_EQ(themeCombo.items, comboBefore);
    EXPECT_EQ(themeCombo.selected, selectedBefore);
    EXPECT_EQ(readBytes(soundsDir() + "theme.dsc"), descriptorBefore);
    EXPECT_FALSE(fs::exists(soundsDir() + "new.wav"));
    EXPECT_EQ(prompts.waitDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(Themes, FailedLoad,
                         ::testing::Values(BadTheme{"missing", "", "Could not open file"},
                                           BadTheme{
                                               "damaged",
                                               memberBytes("new.wav", "n") +
                                                   memberBytes(RawMember{"theme.dsc", "1", 99}),
                                               "The theme file \"@\" is damaged."},
                                           BadTheme{"no_descriptor", memberBytes("new.wav", "n"),
                                                    "The file \"@\" is not a Belltide theme."}),
                         [](const auto& param) { return std::string(param.param.what); });

TEST_F(ThemeCommands, SavingIntoTheLibrarySelectsTheThemeAndClearsTheMark) {
    dlg->loadTheme(makeThemeFile((folder.path() / "elsewhere.kbt").string()));
    dlg->m_modified = true;
    prompts.files = {themesDir() + "x.kbt"};
    dlg->OnSaveTheme();
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].filterDescription, "Theme Files (*.kbt)");
    EXPECT_EQ(prompts.dialogs[0].filterPattern, "*.kbt");
    EXPECT_EQ(prompts.dialogs[0].defaultExtension, "kbt");
    EXPECT_EQ(prompts.dialogs[0].initialFolder, themesDir());
    EXPECT_FALSE(dlg->isModified());
    EXPECT_EQ(selectedTheme(), "x.kbt");

    // What was saved loads back the same, in a fresh window.

    fs::remove_all(soundsDir());
    fs::create_directories(soundsDir());
    dlg->loadTheme(themesDir() + "x.kbt");
    EXPECT_EQ(rows(), expectedRows());
    EXPECT_EQ(readBytes(soundsDir() + "chime.wav"), std::string(2047, 'w'));
}

TEST_F(ThemeCommands, SavingPutsEveryRowInTheThemeWhateverTheCheckBox) {
    dlg->OnNewTheme();
    extendedCheck.checked = false;
    prompts.files = {themesDir() + "all.kbt"};
    dlg->OnSaveTheme();
    EXPECT_TRUE(dlg->theme().uploadExtended());
    EXPECT_EQ(readBytes(soundsDir() + "theme.dsc").substr(0, 4), "25\r\n");
    EXPECT_FALSE(extendedCheck.checked) << "the check box is left as it is";
}

TEST_F(ThemeCommands, CancellingAFileDialogChangesNothing) {
    dlg->OnNewTheme();
    dlg->m_modified = true;
    prompts.files = {std::nullopt, std::nullopt};
    dlg->OnSaveTheme();
    dlg->OnOpenTheme();
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(dlg->isModified());
    EXPECT_TRUE(fs::is_empty(themesDir() + "sounds"));
    EXPECT_EQ(std::distance(fs::directory_iterator(themesDir()), fs::directory_iterator()), 1);
}

TEST_F(ThemeCommands, AFailedSaveIsShownAndKeepsTheMark) {
    dlg->OnNewTheme();
    dlg->m_modified = true;
    const std::string nowhere = (folder.path() / "gone" / "x.kbt").string();
    prompts.files = {nowhere};
    dlg->OnSaveTheme();
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"Could not save theme \"" + nowhere + "\"."});
    EXPECT_TRUE(dlg->isModified());
}

TEST_F(ThemeCommands, OpeningCopiesAThemeFromElsewhereIntoTheLibrary) {
    const auto path = makeThemeFile((folder.path() / "away.kbt").string());
    prompts.files = {path};
    dlg->OnOpenTheme();
    EXPECT_EQ(rows(), expectedRows());
    EXPECT_EQ(readBytes(themesDir() + "away.kbt"), readBytes(path));
    EXPECT_EQ(selectedTheme(), "") << "the list was filled before the copy";
    EXPECT_EQ(prompts.dialogs[0].initialFolder, "") << "the open dialog picks its own folder";

    prompts.files = {themesDir() + "away.kbt"};
    dlg->OnOpenTheme();
    EXPECT_TRUE(prompts.questions.empty()) << "a library theme is not copied again";
    EXPECT_EQ(selectedTheme(), "away.kbt");
}

TEST_F(ThemeCommands, OpeningOverALibraryThemeAsksFirst) {
    const auto path = makeThemeFile((folder.path() / "same.kbt").string(), 'n');
    for (const bool overwrite : {false, true}) {
        writeBytes(themesDir() + "same.kbt", "library copy");
        prompts.files = {path};
        prompts.answers = {overwrite};
        prompts.questions.clear();
        dlg->OnOpenTheme();
        EXPECT_EQ(prompts.questions, std::vector<std::string>{OverwriteQuestion});
        EXPECT_EQ(readBytes(themesDir() + "same.kbt"),
                  overwrite ? readBytes(path) : "library copy");
        EXPECT_EQ(rows(), expectedRows()) << "the opened theme stays loaded";
    }
}

TEST_F(ThemeCommands, OpeningALibraryThemeUnderAnotherSpellingNeverEmptiesIt) {
    const auto path = makeThemeFile(themesDir() + "mine.kbt");
    const auto bytes = readBytes(path);
    for (const std::string& spelling :
         {themesDir() + "sounds" + PathSeparator + ".." + PathSeparator + "mine.kbt",
          folder.anotherSpelling("themes") + PathSeparator + "mine.kbt"}) {
        prompts.files = {spelling};
        dlg->OnOpenTheme();
        EXPECT_TRUE(prompts.questions.empty()) << spelling;
        EXPECT_EQ(readBytes(path), bytes) << spelling;
    }
}

TEST_F(ThemeCommands, ADamagedThemeIsShownAndNotCopied) {
    const std::string path = (folder.path() / "broken.kbt").string();
    writeBytes(path, std::string(100, 'x'));
    prompts.files = {path};
    dlg->OnOpenTheme();
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"The theme file \"" + path + "\" is damaged."});
    EXPECT_FALSE(fs::exists(themesDir() + "broken.kbt"));
}

TEST_F(ThemeCommands, PickingAThemeInTheListLoadsIt) {
    makeThemeFile(themesDir() + "pick.kbt");
    dlg->OnThemeDropDown();
    dlg->OnThemeSelChange();
    EXPECT_EQ(dlg->eventList().rowCount(), 0) << "nothing picked, nothing loaded";
    EXPECT_TRUE(prompts.messages.empty());
    themeCombo.selected = 0;
    dlg->OnThemeSelChange();
    EXPECT_EQ(rows(), expectedRows());
    EXPECT_EQ(selectedTheme(), "pick.kbt");
}

TEST_F(ThemeCommands, SavingChangesFirstStillLoadsThePickedTheme) {
    makeThemeFile(themesDir() + "picked.kbt");
    dlg->OnNewTheme();
    dlg->m_modified = true;
    dlg->OnThemeDropDown();
    themeCombo.selected = 0;
    prompts.answers = {true};
    prompts.files = {themesDir() + "saved.kbt"};
    dlg->OnThemeSelChange();
    EXPECT_EQ(prompts.questions, std::vector<std::string>{SaveQuestion});
    EXPECT_TRUE(fs::exists(themesDir() + "saved.kbt"));
    EXPECT_EQ(rows(), expectedRows());
    EXPECT_EQ(selectedTheme(), "picked.kbt");
}

class StartupThemeFile : public MainWindowFixture {
protected:
    std::string makeTheme(const std::string& path) {
        writeBytes(path, memberBytes("theme.dsc", "1\r\nAsterisk\r\n(none)\r\n\r\n"));
        return path;
    }
    std::string themesDir() const { return dlg->folders().themesDir; }
};

TEST_F(StartupThemeFile, FromElsewhereIsCopiedIntoTheLibraryAndLoaded) {
    const auto path = makeTheme((folder.path() / "given.kbt").string());
    dlg->setStartupTheme(path);
    dlg->OnInitDialog();
    EXPECT_EQ(readBytes(themesDir() + "given.kbt"), readBytes(path));
    EXPECT_EQ(rows(), (std::vector<CEventListCtrl::Row>{{"Asterisk", "(none)", ""}}));
    ASSERT_GE(themeCombo.selected, 0) << "the list shows the copy";
    EXPECT_EQ(themeCombo.itemText(themeCombo.selected), "given.kbt");
}

TEST_F(StartupThemeFile, FromTheLibraryIsLoadedWithoutCopying) {
    fs::create_directories(themesDir());
    const auto path = makeTheme(themesDir() + "lib.kbt");
    dlg->setStartupTheme(path);
    dlg->OnInitDialog();
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(themeCombo.items, std::vector<std::string>{"lib.kbt"});
    EXPECT_EQ(themeCombo.selected, 0);
    EXPECT_EQ(dlg->eventList().rowCount(), 1);
}

TEST_F(StartupThemeFile, ThatDoesNotExistIsReportedAndCreatesNothing) {
    const std::string path = (folder.path() / "typo.kbt").string();
    dlg->setStartupTheme(path);
    dlg->OnInitDialog();
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Could not open file"});
    EXPECT_FALSE(fs::exists(themesDir() + "typo.kbt"));
    EXPECT_FALSE(saveThemeButton.enabled);
}
