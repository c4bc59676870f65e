#include "support/MainWindowFixture.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {
const std::string SaveQuestion = "Do you want to save your changes?";
const std::string ExitQuestion = "Are you absolutely sure you want to exit Belltide?";
} // namespace

class MainWindowStart : public MainWindowFixture {};

TEST_F(MainWindowStart, MakesTheProgramFolderCurrentAndDerivesTheThemeFolders) {
    EXPECT_TRUE(fs::equivalent(fs::current_path(), folder.path()));
    const std::string programFolder = folder.path().string();
#ifdef _WIN32
    EXPECT_EQ(dlg->folders().themesDir, programFolder + "\\themes\\");
    EXPECT_EQ(dlg->folders().soundsDir, programFolder + "\\themes\\sounds\\");
#else
    EXPECT_EQ(dlg->folders().themesDir, programFolder + "/themes/");
    EXPECT_EQ(dlg->folders().soundsDir, programFolder + "/themes/sounds/");
#endif
}

TEST_F(MainWindowStart, CreatesBothFoldersAndKeepsWhatTheyHold) {
    EXPECT_FALSE(fs::exists(folder.path() / "themes"));
    dlg->OnInitDialog();
    EXPECT_TRUE(fs::is_directory(folder.path() / "themes" / "sounds"));

    folder.writeFile("themes/sounds/kept.wav", 10);
    TestableBelltideDlg again((folder.path() / "belltide").string(), controls());
    again.OnInitDialog();
    EXPECT_TRUE(fs::exists(folder.path() / "themes" / "sounds" / "kept.wav"));
}

TEST_F(MainWindowStart, WelcomesWithAnEmptyListAndOnlyWhatWorksWithoutATheme) {
    dlg->OnInitDialog();
    EXPECT_EQ(statusBar.text, "Welcome to Belltide");
    EXPECT_EQ(listView.columns.size(), 3u);
    EXPECT_EQ(sound.played, std::vector<std::string>{"Belltide.wav"});
    EXPECT_FALSE(playButton.enabled);
    EXPECT_FALSE(changeButton.enabled);
    EXPECT_FALSE(noSoundButton.enabled);
    EXPECT_FALSE(saveThemeButton.enabled);
    EXPECT_FALSE(uploadButton.enabled);
    EXPECT_FALSE(extendedCheck.enabled);
    EXPECT_TRUE(extendedCheck.checked);
    EXPECT_FALSE(dlg->isModified());
}

class CloseSequence : public MainWindowFixture {
protected:
    void SetUp() override { dlg->OnInitDialog(); }
};

TEST_F(CloseSequence, WithoutChangesAsksOnlyTheExitQuestion) {
    prompts.answers = {true};
    EXPECT_TRUE(dlg->OnClose());
    EXPECT_EQ(prompts.questions, std::vector<std::string>{ExitQuestion});
}

TEST_F(CloseSequence, NoToTheExitQuestionKeepsTheWindowOpen) {
    prompts.answers = {false};
    EXPECT_FALSE(dlg->OnClose());
    prompts.answers = {true};
    EXPECT_TRUE(dlg->OnClose()) << "the window can still be closed later";
}

TEST_F(CloseSequence, OffersToSaveChangesFirstAndForgetsThemEitherWay) {
    for (const bool saveAnswer : {false, true}) {
        dlg->m_modified = true;
        prompts.questions.clear();
        prompts.answers = {saveAnswer, false};
        if (saveAnswer)
            prompts.files = {std::nullopt}; // Yes, then Cancel in the save dialog
        EXPECT_FALSE(dlg->OnClose());
        EXPECT_EQ(prompts.questions, (std::vector<std::string>{SaveQuestion, ExitQuestion}));
        EXPECT_EQ(prompts.dialogs.size(), saveAnswer ? 1u : 0u);
        EXPECT_FALSE(dlg->isModified()) << "save answered " << saveAnswer;
    }
}

TEST_F(CloseSequence, YesToTheSaveQuestionSavesTheTheme) {
    dlg->OnNewTheme();
    dlg->m_modified = true;
    const std::string path = dlg->folders().themesDir + "kept.kbt";
    prompts.answers = {true, true};
    prompts.files = {path};
    EXPECT_TRUE(dlg->OnClose());
    EXPECT_TRUE(fs::exists(path));
}
