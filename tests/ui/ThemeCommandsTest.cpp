#include "support/MainWindowFixture.h"

#include "files/PcPath.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

class ThemeCommands : public MainWindowFixture {
protected:
    void SetUp() override { dlg->OnInitDialog(); }
    std::string themesDir() const { return dlg->folders().themesDir; }
    std::string shownTheme() const {
        return themeCombo.selected < 0 ? "" : themeCombo.itemText(themeCombo.selected);
    }
    // As the user does: the list drops down, the user picks.
    void pick(const std::string& name) {
        dlg->OnThemeDropDown();
        const auto at = std::find(themeCombo.items.begin(), themeCombo.items.end(), name);
        themeCombo.selected = static_cast<int>(at - themeCombo.items.begin());
        dlg->OnThemeSelChange();
    }
};

TEST_F(ThemeCommands, NewThemeShowsTwentyFiveSilentRowsThatACancelledSaveKeepsUnsaved) {
    loadSampleTheme();
    dlg->OnNewTheme();
    ASSERT_EQ(dlg->eventList().rowCount(), 25);
    EXPECT_EQ(rows().front()[0] + rows().back()[0], "Asterisk_lowbatt");
    for (const auto& row : rows())
        EXPECT_EQ(row[1] + row[2], "(none)") << row[0];
    EXPECT_EQ(themeCombo.selected, -1);
    EXPECT_TRUE(saveThemeButton.enabled && uploadButton.enabled && extendedCheck.enabled);
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled);

    // A cancelled or failed save keeps the mark and the library.
    dlg->m_modified = true;
    const std::string nowhere = (folder.path() / "gone" / "x.kbt").string();
    prompts.files = {std::nullopt, std::nullopt, nowhere};
    dlg->OnSaveTheme();
    dlg->OnOpenTheme();
    dlg->OnSaveTheme();
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"Could not save theme \"" + nowhere + "\"."});
    EXPECT_TRUE(dlg->isModified());
    EXPECT_EQ(std::distance(fs::directory_iterator(themesDir()), fs::directory_iterator()), 2)
        << "the library holds its sounds folder and sample.kbt only";
}

// Waves are measured in the sounds folder; one the archive lacks is shown as no
// sound.
TEST_F(ThemeCommands, LoadingShowsTheWavesOfTheSoundsFolderAndAFailedLoadChangesNothing) {
    dlg->m_modified = true;
    loadSampleTheme();
    EXPECT_TRUE(dlg->isModified()) << "loading leaves the mark to its callers";
    EXPECT_EQ(rows(), SampleRows);
    EXPECT_EQ(dlg->theme().find("Question")->second.path(), dlg->folders().soundsDir + "gong.wav");
    EXPECT_EQ(readBytes(dlg->folders().soundsDir + "gong.wav"), std::string(2048, 'g'));
    EXPECT_EQ(shownTheme(), "sample.kbt");
    EXPECT_EQ(prompts.waitDepth, 0);

    // A damaged theme or one without descriptor is refused before anything
    // changes.
    const std::string bad = themesDir() + "bad.kbt",
                      descriptor = dlg->folders().soundsDir + "theme.dsc";
    const auto descriptorBefore = readBytes(descriptor);
    for (const auto& [bytes, message] :
         {std::pair{memberBytes("new.wav", "n") + memberBytes(RawMember{"theme.dsc", "1", 99}),
                    "The theme file \"" + bad + "\" is damaged."},
          std::pair{memberBytes("new.wav", "n"),
                    "The file \"" + bad + "\" is not a Belltide theme."}}) {
        writeBytes(bad, bytes);
        try {
            dlg->loadTheme(bad);
            ADD_FAILURE() << "no error for " << message;
        } catch (const MessageError& error) {
            EXPECT_EQ(error.text(), message);
        }
        EXPECT_EQ(rows(), SampleRows);
        EXPECT_EQ(shownTheme(), "sample.kbt");
        EXPECT_EQ(readBytes(descriptor), descriptorBefore);
        EXPECT_FALSE(fs::exists(dlg->folders().soundsDir + "new.wav"));
        EXPECT_EQ(prompts.waitDepth, 0);
    }
}

TEST_F(ThemeCommands, SavingKeepsEveryRowNamesTheThemeAndClearsTheMark) {
    loadSampleTheme();
    dlg->m_modified = true;
    extendedCheck.checked = false;
    prompts.files = {themesDir() + "x.kbt"};
    dlg->OnSaveTheme();
    const FileDialogOptions& dialog = prompts.dialogs.at(0);
    EXPECT_EQ(dialog.filterDescription + dialog.filterPattern, "Theme Files (*.kbt)*.kbt");
    EXPECT_EQ(dialog.defaultExtension, "kbt");
    EXPECT_EQ(dialog.initialFolder, themesDir());
    EXPECT_FALSE(dlg->isModified());
    EXPECT_EQ(shownTheme(), "x.kbt");
    EXPECT_FALSE(extendedCheck.checked) << "the check box is left as it is";
    fs::remove_all(dlg->folders().soundsDir);
    fs::create_directory(dlg->folders().soundsDir);
    dlg->loadTheme(themesDir() + "x.kbt");
    EXPECT_EQ(rows(), SampleRows) << "notifications are saved too";
}

TEST_F(ThemeCommands, OpeningCopiesALoadableThemeIntoTheLibraryAskingBeforeReplacingOne) {
    const std::string away = writeSampleTheme((folder.path() / "away.kbt").string());
    prompts.files = {away};
    dlg->OnOpenTheme();
    EXPECT_EQ(rows(), SampleRows);
    EXPECT_EQ(readBytes(themesDir() + "away.kbt"), readBytes(away));
    EXPECT_EQ(shownTheme(), "") << "the list was filled before the copy";
    EXPECT_EQ(prompts.dialogs[0].initialFolder, "") << "the open dialog picks its own folder";
    for (const bool overwrite : {false, true}) {
        writeBytes(themesDir() + "away.kbt", "library copy");
        prompts.files = {away};
        prompts.answers = {overwrite};
        dlg->OnOpenTheme();
        EXPECT_EQ(readBytes(themesDir() + "away.kbt"),
                  overwrite ? readBytes(away) : "library copy");
    }
    const std::string broken = (folder.path() / "broken.kbt").string();
    writeBytes(broken, std::string(100, 'x'));
    prompts.files = {broken};
    dlg->OnOpenTheme();
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"The theme file \"" + broken + "\" is damaged."});
    EXPECT_FALSE(fs::exists(themesDir() + "broken.kbt"));
}

TEST_F(ThemeCommands, OpeningALibraryThemeUnderAnySpellingNeverCopiesIt) {
    loadSampleTheme();
    const std::string path = themesDir() + "sample.kbt";
    const auto bytes = readBytes(path);
    for (const std::string& spelling :
         {path, themesDir() + "sounds" + PathSeparator + ".." + PathSeparator + "sample.kbt",
          folder.anotherSpelling("themes") + PathSeparator + "sample.kbt"}) {
        prompts.files = {spelling};
        dlg->OnOpenTheme(); // a question would find no answer
        EXPECT_EQ(readBytes(path), bytes) << spelling;
    }
    EXPECT_EQ(shownTheme(), "sample.kbt");
}

TEST_F(ThemeCommands, APickedThemeIsLoadedAfterTheSaveQuestionOrTheLastStaysNamed) {
    dlg->OnThemeSelChange();
    EXPECT_EQ(dlg->eventList().rowCount(), 0) << "nothing picked, nothing loaded";
    writeSampleTheme(themesDir() + "pick.kbt");
    writeBytes(themesDir() + "bad.kbt", "ZimoPACK");
    dlg->OnNewTheme();
    dlg->m_modified = true;
    prompts.answers = {true};
    prompts.files = {themesDir() + "saved.kbt"};
    pick("pick.kbt");
    EXPECT_EQ(prompts.questions, std::vector<std::string>{"Do you want to save your changes?"});
    EXPECT_TRUE(fs::exists(themesDir() + "saved.kbt"));
    EXPECT_EQ(rows(), SampleRows);
    pick("bad.kbt");
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(rows(), SampleRows);
    EXPECT_EQ(shownTheme(), "pick.kbt") << "the list names the theme the editor holds";
}

// The theme named on the command line is loaded, and copied into the library
// from elsewhere.
TEST(StartupTheme, IsLoadedAndNamedInTheListByTheLibrarysCopy) {
    for (const std::string where : {"elsewhere", "library", "missing"}) {
        SCOPED_TRACE(where);
        MainWindowHarness window;
        const std::string themes = window.dlg->folders().themesDir;
        fs::create_directories(themes);
        const std::string path = (where == "library" ? themes : window.folder.dir()) + "given.kbt";
        const bool loads = where != "missing";
        if (loads)
            writeBytes(path, memberBytes("theme.dsc", "1\r\nAsterisk\r\n(none)\r\n\r\n"));
        window.dlg->setStartupTheme(path);
        window.dlg->OnInitDialog();
        EXPECT_EQ(window.prompts.messages.size(), loads ? 0u : 1u);
        EXPECT_EQ(window.dlg->eventList().rowCount(), loads ? 1 : 0);
        EXPECT_EQ(fs::exists(themes + "given.kbt"), loads);
        EXPECT_EQ(window.themeCombo.selected, loads ? 0 : -1);
        EXPECT_EQ(window.saveThemeButton.enabled, loads);
        EXPECT_FALSE(window.extendedCheck.enabled) << "a theme without notifications";
    }
}
