#include "support/MainWindowFixture.h"

#include "catalog/PcPath.h"

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
    const SoundEntry& entry(const std::string& eventName) const {
        return dlg->theme().find(eventName)->second;
    }
    bool anyEnabled() const {
        return playButton.enabled || changeButton.enabled || noSoundButton.enabled;
    }
};

TEST_F(SoundCommands, ActOnTheMarkedRowOnly) {
    for (auto command : {&CBelltideDlg::OnPlaySound, &CBelltideDlg::OnChangeSound,
                         &CBelltideDlg::OnNoSound, &CBelltideDlg::OnListDoubleClick})
        (dlg.get()->*command)();
    dlg->OnListClick();
    dlg->OnListRightClick();
    EXPECT_EQ(prompts.messages, std::vector<std::string>(4, "No sound selected"));
    EXPECT_FALSE(anyEnabled());
    EXPECT_EQ(listView.menusShown, 0);

    select(1);
    EXPECT_TRUE(playButton.enabled && changeButton.enabled && noSoundButton.enabled);
    EXPECT_EQ(listView.shownSelected, 1);
    dlg->OnListRightClick();
    EXPECT_EQ(listView.menusShown, 1);
    dlg->OnPlaySound();
    dlg->OnListDoubleClick();
    EXPECT_EQ(sound.played, std::vector<std::string>(2, dlg->folders().soundsDir + "gong.wav"));
    select(2); // "Start Up" has no sound
    dlg->OnPlaySound();
    EXPECT_EQ(sound.played.size(), 2u);

    loadSampleTheme();
    EXPECT_EQ(dlg->eventList().selectionMark(), -1) << "a rebuild leaves no row selected";
    EXPECT_FALSE(anyEnabled());
}

TEST_F(SoundCommands, NoSoundClearsTheRowAndThenPlaysNothing) {
    select(0);
    dlg->OnNoSound();
    EXPECT_EQ(rows()[0], (CEventListCtrl::Row{"Asterisk", "(none)", ""}));
    EXPECT_TRUE(dlg->isModified());
    dlg->OnPlaySound();
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(rows()[3][1], "chime.wav") << "another row with the same file keeps it";
}

// The name ends at the last dot, however many the file name has.
TEST_F(SoundCommands, AChosenOrDroppedWavePointsTheRowAtIt) {
    const std::string picked = (folder.path() / "picked").string() + PathSeparator;
    folder.writeFile("picked/my.alarm.v2.wav", 3000);
    const std::string wave = picked + "my.alarm.v2.wav";
    const std::string other = folder.writeFile("other.wav", 10).string();
    for (const bool dropped : {false, true}) {
        SCOPED_TRACE(dropped ? "dropped" : "chosen");
        loadSampleTheme();
        dlg->m_modified = false;
        if (dropped) {
            dlg->OnDropSoundFile(2, wave);
        } else {
            select(2);
            // The user browses first; a file in another folder than the last is not played.
            prompts.previewSelections = {other, wave};
            prompts.files = {wave};
            dlg->OnChangeSound();
            EXPECT_EQ(sound.played, std::vector<std::string>{other});
            EXPECT_EQ(prompts.dialogs.at(0).filterPattern, "*.wav");
        }
        EXPECT_EQ(rows()[2], (CEventListCtrl::Row{"Start Up", "my.alarm.v2.wav", "3 KB"}));
        EXPECT_EQ(entry("Start Up").folder, picked);
        EXPECT_EQ(entry("Start Up").name, "my.alarm.v2");
        EXPECT_EQ(entry("Start Up").extension, ".wav");
        EXPECT_TRUE(dlg->isModified());
    }
}

TEST_F(SoundCommands, ANonWaveAVanishedFileOrCancelChangesNothing) {
    const std::string text = folder.writeFile("notes.txt", 10).string();
    const std::string gone = (folder.path() / "gone.wav").string();
    const auto before = rows();
    dlg->OnDropSoundFile(2, text);
    dlg->OnDropSoundFile(2, gone);
    select(1);
    prompts.files = {std::nullopt, gone};
    dlg->OnChangeSound();
    dlg->OnChangeSound();
    const std::string notOpened = "Could not open file \"" + gone + "\".";
    EXPECT_EQ(prompts.messages, (std::vector<std::string>{"Only wave files (*.wav) can be dropped "
                                                          "on an event; \"" +
                                                              text + "\" is not one.",
                                                          notOpened, notOpened}));
    EXPECT_EQ(rows(), before);
    EXPECT_FALSE(dlg->isModified());
}

TEST_F(SoundCommands, UncheckingDimsExactlyTheNotificationRows) {
    listView.refreshed.clear();
    extendedCheck.checked = false;
    dlg->OnExtendedCheck();
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(dlg->eventList().textColour(row).value_or(0), row == 3 ? 0x808080u : 0u) << row;
    EXPECT_EQ(listView.refreshed, std::vector<int>{3});
    EXPECT_FALSE(dlg->theme().uploadExtended());
    loadSampleTheme();
    EXPECT_TRUE(dlg->eventList().textColour(3)) << "a rebuild leaves the dimmed rows alone";

    extendedCheck.checked = true;
    listView.refreshed.clear();
    dlg->OnExtendedCheck();
    EXPECT_FALSE(dlg->eventList().textColour(3));
    EXPECT_EQ(listView.refreshed, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(dlg->theme().uploadExtended());
    EXPECT_FALSE(dlg->isModified());
}

TEST(CEventListCtrl, DimsRowPositionsAndForgetsTheMarkWithTheRows) {
    FakeListView view;
    CEventListCtrl list(view);
    list.dimRow(5);
    list.dimRow(1);
    list.undimRow(1);
    for (int row = 0; row < 6; ++row)
        list.insertRow(row, "event");
    list.setSelectionMark(4);
    list.deleteAllRows();
    EXPECT_EQ(list.selectionMark(), -1);
    EXPECT_EQ(view.rowCount, 0);
    EXPECT_FALSE(list.textColour(1));
    EXPECT_EQ(list.textColour(5), CEventListCtrl::DimmedTextColour);
}

// Browsing the sound dialog plays each wave selected, but not the first in a folder just entered.
TEST(SoundPreview, PlaysSelectedWavesUnlessTheFolderJustChanged) {
    TempFolder folder;
    for (const char* name : {"a/one.wav", "a/two.wav", "b/three.wav", "b/four.wav"})
        folder.writeFile(name, 10);
    std::filesystem::create_directories(folder.path() / "a" / "sub");
    RecordingSoundPlayer sound;
    CSoundFileDialog dialog(sound);
    const auto in = [&](const char* name) { return folder.dir() + name; };
    for (const std::string& path :
         {in("a/one.wav"), in("a/sub"), in("a/missing.wav"), std::string("x"),
          std::string("abc.wav"), in("a/two.wav"), in("b/three.wav"), in("b/four.wav")})
        dialog.OnFileNameChange(path);
    EXPECT_EQ(sound.played,
              (std::vector<std::string>{in("a/one.wav"), in("a/two.wav"), in("b/four.wav")}));
}
