#include "support/MainWindowFixture.h"

#include "files/PcPath.h"

namespace fs = std::filesystem;

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

    std::string soundsDir() const { return dlg->folders().soundsDir; }
    const SoundEntry& entry(const std::string& eventName) const {
        return dlg->theme().find(eventName)->second;
    }
    bool soundButtonsEnabled() const {
        return playButton.enabled && changeButton.enabled && noSoundButton.enabled;
    }
};

TEST_F(SoundCommands, WithoutASelectedRowEveryCommandSaysSo) {
    for (auto command : {&CBelltideDlg::OnPlaySound, &CBelltideDlg::OnChangeSound,
                         &CBelltideDlg::OnNoSound, &CBelltideDlg::OnListDoubleClick})
        (dlg.get()->*command)();
    EXPECT_EQ(prompts.messages, std::vector<std::string>(4, "No sound selected"));
    EXPECT_TRUE(sound.played.empty());
    EXPECT_TRUE(prompts.dialogs.empty());
    EXPECT_FALSE(dlg->isModified());
}

TEST_F(SoundCommands, ClicksEnableTheSoundCommandsOnlyOnARow) {
    dlg->OnListClick();
    dlg->OnListRightClick();
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled);
    EXPECT_EQ(listView.menusShown, 0);

    select(1);
    EXPECT_TRUE(soundButtonsEnabled());
    EXPECT_EQ(listView.shownSelected, 1);
    dlg->OnListRightClick();
    EXPECT_EQ(listView.menusShown, 1);

    loadSampleTheme();
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled)
        << "a rebuild leaves no row selected";
    EXPECT_EQ(dlg->eventList().selectionMark(), -1);
}

TEST_F(SoundCommands, PlayActsOnTheMarkedRowNotOnAnother) {
    select(1);
    dlg->OnPlaySound();
    dlg->OnListDoubleClick();
    EXPECT_EQ(sound.played, std::vector<std::string>(2, soundsDir() + "gong.wav"));

    select(2); // "Start Up" has no sound
    dlg->OnPlaySound();
    EXPECT_EQ(sound.played.size(), 2u);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(SoundCommands, NoSoundClearsTheRowAndThenPlaysNothing) {
    select(0);
    dlg->OnNoSound();
    EXPECT_EQ(rows()[0], (CEventListCtrl::Row{"Asterisk", "(none)", ""}));
    EXPECT_EQ(entry("Asterisk").folder, "");
    EXPECT_EQ(entry("Asterisk").extension, "");
    EXPECT_TRUE(dlg->isModified());
    dlg->OnPlaySound();
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(rows()[3], (CEventListCtrl::Row{"_Notify", "chime.wav", "2 KB"}))
        << "another row with the same file keeps it";
}

TEST_F(SoundCommands, ChangeSoundPointsTheRowAtTheChosenFile) {
    folder.writeFile("picked/low.wav", 1023);
    folder.writeFile("picked/edge.wav", 1024);
    const std::string picked = (folder.path() / "picked").string() + PathSeparator;
    select(2);
    prompts.files = {picked + "low.wav", picked + "edge.wav"};
    dlg->OnChangeSound();
    EXPECT_EQ(rows()[2], (CEventListCtrl::Row{"Start Up", "low.wav", "1 KB"}));
    dlg->OnChangeSound();
    EXPECT_EQ(rows()[2], (CEventListCtrl::Row{"Start Up", "edge.wav", "2 KB"}));
    EXPECT_EQ(entry("Start Up").folder, picked);
    EXPECT_EQ(entry("Start Up").name, "edge");
    EXPECT_EQ(entry("Start Up").extension, ".wav");
    EXPECT_EQ(entry("Start Up").sizeKB, 2u);
    EXPECT_TRUE(dlg->isModified());
    EXPECT_EQ(prompts.dialogs[0].filterDescription, "Sound Files (*.wav)");
    EXPECT_EQ(prompts.dialogs[0].filterPattern, "*.wav");
}

TEST_F(SoundCommands, ChangeSoundPreviewsWhileTheUserBrowses) {
    folder.writeFile("a/one.wav", 10);
    folder.writeFile("b/two.wav", 10);
    folder.writeFile("b/three.wav", 10);
    const auto in = [&](const std::string& file) { return (folder.path() / file).string(); };
    select(0);
    prompts.previewSelections = {in("a/one.wav"), in("b/two.wav"), in("b/three.wav")};
    prompts.files = {in("b/three.wav")};
    dlg->OnChangeSound();
    EXPECT_EQ(sound.played, (std::vector<std::string>{in("a/one.wav"), in("b/three.wav")}));
    EXPECT_EQ(rows()[0][1], "three.wav");
}

TEST_F(SoundCommands, CancellingOrAVanishedFileChangesNothing) {
    select(1);
    const auto before = rows();
    const std::string gone = (folder.path() / "gone.wav").string();
    prompts.files = {std::nullopt, gone};
    dlg->OnChangeSound();
    dlg->OnChangeSound();
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Could not open file \"" + gone + "\"."});
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(entry("Question").path(), soundsDir() + "gong.wav");
    EXPECT_FALSE(dlg->isModified());
}

TEST_F(SoundCommands, UncheckingDimsExactlyTheNotificationRows) {
    listView.refreshed.clear();
    extendedCheck.checked = false;
    dlg->OnExtendedCheck();
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(dlg->eventList().textColour(row).has_value(), row == 3) << "row " << row;
    EXPECT_EQ(dlg->eventList().textColour(3), 0x808080u);
    EXPECT_EQ(listView.refreshed, std::vector<int>{3});
    EXPECT_FALSE(dlg->theme().uploadExtended());
    EXPECT_FALSE(dlg->isModified());

    loadSampleTheme();
    EXPECT_TRUE(dlg->eventList().textColour(3)) << "a rebuild leaves the dimmed rows alone";

    extendedCheck.checked = true;
    listView.refreshed.clear();
    dlg->OnExtendedCheck();
    for (int row = 0; row < 4; ++row)
        EXPECT_FALSE(dlg->eventList().textColour(row)) << "row " << row;
    EXPECT_EQ(listView.refreshed, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(dlg->theme().uploadExtended());
}

TEST_F(SoundCommands, DroppingAWaveOnARowChangesThatRow) {
    const auto wave = folder.writeFile("dropped/drop.wav", 3000).string();
    const auto text = folder.writeFile("dropped/notes.txt", 10).string();
    const std::string gone = (folder.path() / "dropped" / "gone.wav").string();
    dlg->OnDropSoundFile(2, text);
    dlg->OnDropSoundFile(2, gone);
    EXPECT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1], "Could not open file \"" + gone + "\".");
    EXPECT_EQ(rows()[2][1], "(none)");
    EXPECT_FALSE(dlg->isModified());

    dlg->OnDropSoundFile(2, wave);
    EXPECT_EQ(rows()[2], (CEventListCtrl::Row{"Start Up", "drop.wav", "3 KB"}));
    EXPECT_EQ(entry("Start Up").path(), wave);
    EXPECT_TRUE(dlg->isModified());
}

TEST(CEventListCtrl, DimsRowPositionsIncludingOnesNotYetThere) {
    FakeListView view;
    CEventListCtrl list(view);
    list.dimRow(1);
    list.dimRow(1);
    list.undimRow(1);
    list.undimRow(2);
    list.dimRow(5);
    EXPECT_FALSE(list.textColour(1));
    EXPECT_FALSE(list.textColour(2));
    for (int row = 0; row < 6; ++row)
        list.insertRow(row, "event");
    EXPECT_EQ(list.textColour(5), CEventListCtrl::DimmedTextColour);
    list.setSelectionMark(4);
    list.deleteAllRows();
    EXPECT_EQ(list.selectionMark(), -1);
    EXPECT_EQ(view.rowCount, 0);
    EXPECT_EQ(list.textColour(5), CEventListCtrl::DimmedTextColour);
}

class SoundPreview : public ::testing::Test {
protected:
    SoundPreview() {
        for (const char* name : {"a/one.wav", "a/two.wav", "b/three.wav", "b/four.wav"})
            folder.writeFile(name, 10);
        std::filesystem::create_directories(folder.path() / "a" / "sub");
    }
    std::string path(const std::string& relative) const { return folder.dir() + relative; }

    TempFolder folder;
    RecordingSoundPlayer sound;
    CSoundFileDialog dialog{sound};
};

TEST_F(SoundPreview, PlaysEachFileSelectedInTheSameFolder) {
    dialog.OnFileNameChange(path("a/one.wav"));
    dialog.OnFileNameChange(path("a/two.wav"));
    EXPECT_EQ(sound.played, (std::vector<std::string>{path("a/one.wav"), path("a/two.wav")}));
}

TEST_F(SoundPreview, SkipsTheFirstSelectionAfterMovingToAnotherFolder) {
    dialog.OnFileNameChange(path("a/one.wav"));
    dialog.OnFileNameChange(path("b/three.wav"));
    dialog.OnFileNameChange(path("b/four.wav"));
    EXPECT_EQ(sound.played, (std::vector<std::string>{path("a/one.wav"), path("b/four.wav")}));
}

TEST_F(SoundPreview, PlaysNoFolderNoMissingFileAndNoShortPath) {
    dialog.OnFileNameChange(path("a/sub"));
    dialog.OnFileNameChange(path("a/missing.wav"));
    dialog.OnFileNameChange("x");
    dialog.OnFileNameChange("abc.wav");
    EXPECT_TRUE(sound.played.empty());
    dialog.OnFileNameChange(path("a/one.wav"));
    EXPECT_EQ(sound.played, std::vector<std::string>{path("a/one.wav")})
        << "a path without a folder left the last folder as it was";
}
