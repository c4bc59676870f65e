#include "support/MainWindowFixture.h"

#include "files/PcPath.h"

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
    const SoundEntry& startUp() const { return dlg->theme().find("Start Up")->second; }
    bool enabled() const {
        return playButton.enabled && changeButton.enabled && noSoundButton.enabled;
    }
};

TEST_F(SoundCommands, ActOnTheMarkedRowOnly) {
    for (auto command : {&CBelltideDlg::OnPlaySound, &CBelltideDlg::OnChangeSound,
                         &CBelltideDlg::OnNoSound, &CBelltideDlg::OnListDoubleClick,
                         &CBelltideDlg::OnListClick, &CBelltideDlg::OnListRightClick})
        (dlg.get()->*command)();
    EXPECT_EQ(prompts.messages, std::vector<std::string>(4, "No sound selected"));
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled);
    EXPECT_EQ(listView.menusShown, 0);

    select(1);
    EXPECT_TRUE(enabled());
    EXPECT_EQ(listView.shownSelected, 1);
    dlg->OnListRightClick();
    EXPECT_EQ(listView.menusShown, 1);
    dlg->OnPlaySound();
    dlg->OnListDoubleClick();
    EXPECT_EQ(sound.played, std::vector<std::string>(2, dlg->folders().soundsDir + "gong.wav"));
    select(2); // "Start Up" has no sound
    dlg->OnPlaySound();
    select(0);
    dlg->OnNoSound();
    dlg->OnPlaySound();
    EXPECT_EQ(sound.played.size(), 2u);
    EXPECT_EQ(rows()[0], (CEventListCtrl::Row{"Asterisk", "(none)", ""}));
    EXPECT_EQ(rows()[3][1], "chime.wav") << "another row with the same file keeps it";
    EXPECT_TRUE(dlg->isModified());

    loadSampleTheme();
    EXPECT_EQ(dlg->eventList().selectionMark(), -1) << "a rebuild leaves no row selected";
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled);
}

// The name ends at the last dot, however many the file name has.
TEST_F(SoundCommands, AChosenOrDroppedWavePointsTheRowAtIt) {
    const std::string picked = (folder.path() / "picked").string() + PathSeparator;
    const std::string wave = picked + "my.alarm.v2.wav", other = folder.dir() + "other.wav";
    folder.writeFile("picked/my.alarm.v2.wav", 3000);
    folder.writeFile("other.wav", 10);
    for (const bool dropped : {false, true}) {
        loadSampleTheme();
        dlg->m_modified = false;
        if (dropped) {
            dlg->OnDropSoundFile(2, wave);
        } else {
            select(2);
            // The user browses first: the first selection plays, a missing file or the first
            // selection in another folder does not.
            prompts.previewSelections = {other, folder.dir() + "none.wav", wave};
            prompts.files = {wave};
            dlg->OnChangeSound();
            EXPECT_EQ(sound.played, std::vector<std::string>{other});
            EXPECT_EQ(prompts.dialogs.at(0).filterPattern, "*.wav");
        }
        EXPECT_EQ(rows()[2], (CEventListCtrl::Row{"Start Up", "my.alarm.v2.wav", "3 KB"}));
        EXPECT_EQ(startUp().folder + "|" + startUp().name + "|" + startUp().extension,
                  picked + "|my.alarm.v2|.wav")
            << (dropped ? "dropped" : "chosen");
        EXPECT_TRUE(dlg->isModified());
    }
}

TEST_F(SoundCommands, ANonWaveAVanishedFileOrCancelChangesNothing) {
    const std::string text = folder.writeFile("notes.txt", 10).string();
    const std::string gone = folder.dir() + "gone.wav";
    dlg->OnDropSoundFile(2, text);
    dlg->OnDropSoundFile(2, gone);
    select(1);
    prompts.files = {std::nullopt, gone};
    dlg->OnChangeSound();
    dlg->OnChangeSound();
    const std::string notOpened = "Could not open file \"" + gone + "\".";
    EXPECT_EQ(prompts.messages,
              (std::vector<std::string>{"Only wave files (*.wav) can be dropped on an event; \"" +
                                            text + "\" is not one.",
                                        notOpened, notOpened}));
    EXPECT_EQ(rows(), SampleRows);
    EXPECT_FALSE(dlg->isModified());
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
        EXPECT_FALSE(dlg->isModified());
        loadSampleTheme();
        EXPECT_EQ(dlg->eventList().textColour(3).has_value(), !checked) << "a rebuild keeps them";
    }
}
