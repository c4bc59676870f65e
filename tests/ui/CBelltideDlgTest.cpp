#include "support/MainWindowFixture.h"

namespace fs = std::filesystem;

class MainWindowStart : public MainWindowFixture {};

TEST_F(MainWindowStart, WelcomesWithWhatWorksWithoutAThemeAndAsksBeforeClosing) {
    EXPECT_TRUE(fs::equivalent(fs::current_path(), folder.path()));
    const std::string themes = folder.dir() + "themes" + PathSeparator;
    EXPECT_EQ(dlg->folders().themesDir, themes);
    EXPECT_EQ(dlg->folders().soundsDir, themes + "sounds" + PathSeparator);
    dlg->OnInitDialog();
    EXPECT_TRUE(fs::is_directory(dlg->folders().soundsDir));
    EXPECT_EQ(statusBar.text, "Welcome to Belltide");
    EXPECT_EQ(sound.played, std::vector<std::string>{"Belltide.wav"});
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled ||
                 saveThemeButton.enabled || uploadButton.enabled || extendedCheck.enabled);
    EXPECT_TRUE(extendedCheck.checked);

    // Closing offers to save changes first, then asks the exit question.
    const std::string save = "Do you want to save your changes?",
                      exit = "Are you absolutely sure you want to exit Belltide?";
    prompts.answers = {false};
    EXPECT_FALSE(dlg->OnClose()) << "No keeps the window open";
    EXPECT_EQ(prompts.questions, std::vector<std::string>{exit});
    dlg->OnNewTheme();
    const std::string kept = dlg->folders().themesDir + "kept.kbt";
    for (const bool yes : {false, true}) {
        dlg->m_modified = true;
        prompts.questions.clear();
        prompts.answers = {yes, true};
        prompts.files = {kept};
        EXPECT_TRUE(dlg->OnClose());
        EXPECT_EQ(prompts.questions, (std::vector<std::string>{save, exit}));
        EXPECT_EQ(fs::exists(kept), yes);
        EXPECT_FALSE(dlg->isModified()) << "changes are forgotten either way";
    }
}
