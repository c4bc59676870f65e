#include "support/MainWindowFixture.h"

class SoundCommands : public MainWindowFixture {
protected:
    void SetUp() override {
        dlg->OnInitDialog();
        loadSampleTheme();
        sound.played.clear();
    }
    void select(int row) {
        dlg->eventList().setSelectionMark(row);
        dlg->OnListClick();
    }
    bool anyEnabled() const {
        return playButton.enabled || changeButton.enabled || noSoundButton.enabled;
    }
};

// Every command wants a marked row; a non-wave, a vanished file or a cancel changes nothing.
TEST_F(SoundCommands, ActOnTheMarkedRowOnlyAndOnAWaveOnly) {
    for (auto command : {&CBelltideDlg::OnPlaySound, &CBelltideDlg::OnChangeSound,
                         &CBelltideDlg::OnNoSound, &CBelltideDlg::OnListDoubleClick,
                         &CBelltideDlg::OnListClick, &CBelltideDlg::OnListRightClick})
        (dlg.get()->*command)();
    EXPECT_FALSE(anyEnabled() || listView.menusShown);
    const std::string text = folder.writeFile("notes.txt", 10).string();
    const std::string gone = folder.dir() + "gone.wav";
    dlg->OnDropSoundFile(2, text);
    dlg->OnDropSoundFile(2, gone);
    auto messages = std::vector<std::string>(4, "No sound selected");
    messages.push_back("Only wave files (*.wav) can be dropped on an event; \"" + text +
                       "\" is not one.");
    messages.push_back("Could not open file \"" + gone + "\".");
    EXPECT_EQ(prompts.messages, messages);

    select(1);
    prompts.files = {std::nullopt};
    dlg->OnChangeSound();
    EXPECT_EQ(rows(), SampleRows);
    EXPECT_FALSE(dlg->isModified());
    EXPECT_TRUE(playButton.enabled && changeButton.enabled && noSoundButton.enabled);
    dlg->OnListRightClick();
    dlg->OnListDoubleClick();
    EXPECT_EQ(listView.menusShown + listView.shownSelected, 2);
    select(0);
    dlg->OnNoSound();
    dlg->OnPlaySound();
    EXPECT_EQ(sound.played, std::vector<std::string>{dlg->folders().soundsDir + "gong.wav"});
    EXPECT_EQ(rows()[0][1] + rows()[0][2] + rows()[3][1], "(none)chime.wav");
    EXPECT_TRUE(dlg->isModified());

    loadSampleTheme();
    EXPECT_EQ(dlg->eventList().selectionMark(), -1) << "a rebuild leaves no row selected";
    EXPECT_FALSE(anyEnabled());
}

// The name ends at the last dot, however many the file name has. While browsing, the first
// selection plays, a folder, a missing file or the first selection in another folder does not.
TEST_F(SoundCommands, AChosenOrDroppedWavePointsTheRowAtIt) {
    const std::string picked = (folder.path() / "picked").string() + PathSeparator;
    const std::string wave = picked + "my.alarm.v2.wav", other = folder.dir() + "other.wav";
    folder.writeFile("picked/my.alarm.v2.wav", 3000);
    folder.writeFile("other.wav", 10);
    for (const bool dropped : {false, true}) {
        loadSampleTheme();
        if (dropped) {
            dlg->OnDropSoundFile(2, wave);
        } else {
            select(2);
            prompts.previewSelections = {other, folder.dir() + "picked", folder.dir() + "none.wav",
                                         wave};
            prompts.files = {wave};
            dlg->OnChangeSound();
            EXPECT_EQ(sound.played, std::vector<std::string>{other});
        }
        const SoundEntry& startUp = dlg->theme().find("Start Up")->second;
        EXPECT_EQ(rows()[2][1] + rows()[2][2] + startUp.folder + "|" + startUp.name + "|" +
                      startUp.extension,
                  "my.alarm.v2.wav3 KB" + picked + "|my.alarm.v2|.wav");
    }
}

TEST_F(SoundCommands, TheCheckBoxDimsExactlyTheNotificationRows) {
    for (const bool checked : {false, true}) {
        listView.refreshed.clear();
        extendedCheck.checked = checked;
        dlg->OnExtendedCheck();
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(dlg->eventList().textColour(row).value_or(0),
                      row == 3 && !checked ? 0x808080u : 0u);
        EXPECT_EQ(listView.refreshed,
                  (checked ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{3}));
        EXPECT_EQ(dlg->theme().uploadExtended(), checked);
        loadSampleTheme();
        EXPECT_EQ(dlg->eventList().textColour(3).has_value(), !checked) << "a rebuild keeps them";
    }
}
