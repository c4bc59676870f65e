#include "audio/WaveFile.h"
#include "files/FileNames.h"
#include "support/MainWindowFixture.h"
#include "ui/CSoundFileDialog.h"

namespace fs = std::filesystem;

using SoundCommands = SampleThemeFixture;

// Every command wants a marked row; a non-wave or a cancel changes nothing.
TEST_F(SoundCommands, ActOnTheMarkedRowOnlyAndOnAWaveOnly) {
    for (auto command : {&CBelltideDlg::OnPlaySound, &CBelltideDlg::OnChangeSound,
                         &CBelltideDlg::OnNoSound, &CBelltideDlg::OnListDoubleClick,
                         &CBelltideDlg::OnListClick, &CBelltideDlg::OnListRightClick})
        (dlg.get()->*command)();
    EXPECT_FALSE(playButton.enabled || changeButton.enabled || noSoundButton.enabled ||
                 listView.menusShown);
    const std::string text = pcText(folder.writeFile("notes.txt", 10));
    dlg->OnDropSoundFile(2, text);
    std::vector<std::string> told(4, "No sound selected");
    told.push_back("Belltide cannot read \"" + text + "\" as a sound; the sound is not changed.");
    EXPECT_EQ(prompts.messages, told);

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
    EXPECT_EQ(sound.played, std::vector<std::string>{soundsDir() + "alarm1.wav"});
    EXPECT_EQ(rows()[0][1] + rows()[0][2] + rows()[3][1], "(none)chime.wav");
    EXPECT_TRUE(dlg->isModified());
}

// The name ends at the last dot, however many the file name has. While browsing, a wave plays
// once, except the first one met in another folder; a folder or a missing file does not; any
// other sound plays as its conversion, kept until the next dialog, and no sound as it is.
// A drop takes the same path, as ChangeSoundPick shows. The dialog opens where the marked row's
// sound lies, else where a sound was last chosen (kept in the settings for the next start), else
// in the music folder; a folder that is gone is passed over.
TEST_F(SoundCommands, AChosenWavePointsTheRowAtItAndTheDialogOpensWhereSoundsAreOrWereChosen) {
    const std::string picked = folder.dir() + "picked", music = pcText(folder.path() / "Music");
    const auto in = [&](const char* name) { return picked + PathSeparator + name; };
    const std::string wave = in("my.alarm.v2.wav"), other = folder.dir() + "other.wav";
    writeBytes(folder.writeFile("picked/my.alarm.v2.wav", 0), waveBytes(std::string(3000, 'x')));
    writeBytes(folder.writeFile("picked/second.wav", 0), waveBytes("second"));
    writeBytes(folder.writeFile("picked/loud.wav", 0), floatWaveBytes(0.1));
    for (const char* file : {"other.wav", "other2.wav", "picked/notes.txt"})
        folder.writeFile(file, 10);
    // Windows reports one click more than once, and hands over paths with either separator.
    std::string slashed = folder.dir() + "other2.wav";
#ifdef _WIN32
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
#endif
    fs::create_directories(folder.path() / "Music");
    prompts.music = music;
    const auto openedIn = [&](int row, std::optional<std::string> choice = std::nullopt) {
        select(row), prompts.files = {choice}, dlg->OnChangeSound();
        return prompts.dialogs.back().initialFolder;
    };
    const std::string none = folder.dir() + "none.wav", second = in("second.wav");
    prompts.previewSelections = {other, other,  slashed,        picked,         none,
                                 wave,  second, in("loud.wav"), in("notes.txt")};
    EXPECT_EQ(openedIn(2, wave), music) << "nothing chosen yet";
    ASSERT_EQ(sound.played.size(), 5u);
    const std::string converted = sound.played[3];
    EXPECT_EQ(sound.played, (std::vector{other, folder.dir() + "other2.wav", second, converted,
                                         in("notes.txt")}));
    const auto format = readWaveFormat(converted);
    EXPECT_TRUE(format && isHandheldWave(*format) && format->sampleRate == 44100);
    EXPECT_EQ(rows()[2][1] + rows()[2][2], "my.alarm.v2.wav3 KB");
    prompts.previewSelections.clear();
    EXPECT_EQ(openedIn(1), soundsDir());
    EXPECT_FALSE(fs::exists(pcPath(converted))) << "the preview outlived the next dialog";
    EXPECT_EQ(settings.text(CSoundFileDialog::RememberedFolderKey), picked);
    dlg->OnNoSound();
    EXPECT_EQ(openedIn(1), picked);
    fs::remove_all(pcPath(picked));
    EXPECT_EQ(openedIn(1), music) << "the remembered folder is gone";
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

// What Change Sound takes, and under which name: a handheld wave as it is, any other sound as its
// conversion in the sounds folder, only names a theme and the handheld can hold, never two
// different sounds under one name.
struct Pick {
    const char* label;
    std::string folder, name, bytes;
    std::string shown;            // the row's sound afterwards; empty when the pick is refused
    const char* length = nullptr; // the Length column afterwards, where the row gives it
    friend void PrintTo(const Pick& pick, std::ostream* out) { *out << pick.label; }
};

class ChangeSoundPick : public SoundCommands, public ::testing::WithParamInterface<Pick> {};

TEST_P(ChangeSoundPick, TakesAPlayableWaveUnderANameThatStaysItsOwn) {
    const Pick& pick = GetParam();
    drop(0, "a/ring.wav", waveBytes("ring a"));
    // "sounds": Belltide's own sounds folder.
    const fs::path file = pick.folder == "sounds"
                              ? pcPath(soundsDir() + pick.name)
                              : folder.writeFile(pick.folder + "/" + pick.name, 0);
    writeBytes(file, pick.bytes);
    statusBar.text.clear();
    const int fitted = listView.fitted;
    dlg->OnDropSoundFile(2, pcText(file));
    EXPECT_EQ(listView.fitted > fitted, !pick.shown.empty()) << "a longer name stays readable";

    ASSERT_EQ(prompts.messages.size(), pick.shown.empty() ? 1u : 0u);
    EXPECT_EQ(rows()[2][1], pick.shown.empty() ? "(none)" : pick.shown);
    const auto source = readWaveFormat(pcText(file));
    const bool converted = !pick.shown.empty() && !(source && isHandheldWave(*source));
    const std::string told = converted ? "is converted into \"" : "is kept as \"";
    EXPECT_EQ(statusBar.text.find(told + pick.shown + "\"") != std::string::npos,
              !pick.shown.empty() && (converted || pick.shown != pick.name));
    EXPECT_TRUE(readBytes(file) == pick.bytes) << "the pick itself is never written";
    if (pick.shown.empty())
        return;
    const SoundEntry& taken = dlg->theme().find("Start Up")->second;
    const auto wave = readWaveFormat(taken.path());
    EXPECT_TRUE(converted ? wave && isHandheldWave(*wave) : readBytes(taken.path()) == pick.bytes);
    EXPECT_EQ(taken.folder + "|" + taken.extension, soundsDir() + "|.wav");
    if (pick.length) {
        EXPECT_EQ(rows()[2][3], pick.length) << "a conversion keeps the length";
    }
    // A sound over 30 seconds is marked, and the status line tells of it.
    EXPECT_EQ(statusBar.text.find("is long (" + rows()[2][3].substr(0, 6) + ")") !=
                  std::string::npos,
              rows()[2][3].ends_with("(long)"));
}

const Pick Picks[] = {
#ifndef _WIN32 // where no file can have such a name in the first place
    {"forbidden", "b", "Track 1: Intro?.wav", waveBytes("t"), "Track 1_ Intro_.wav"},
    {"device_name", "b", "CON.wav", waveBytes("c"), "CON_.wav"},
#endif
    {"trailing_space", "b", "song .wav", waveBytes("s"), "song.wav"},
    {"dotted_name", "b", "my.alarm.v2.wav", waveBytes(std::string(3000, 'x')), "my.alarm.v2.wav"},
    {"three_seconds", "b", "short.wav", waveBytes(std::string(26000, 'x')), "short.wav", "0:03.3"},
    {"thirty_seconds", "b", "just.wav", waveBytes(std::string(240000, 'x')), "just.wav", "0:30.0"},
    {"long", "b", "speech.wav", waveBytes(std::string(492000, 'x')), "speech.wav", "1:01.5 (long)"},
    {"long_converted", "b", "speech.WAV", waveBytes(std::string(31 * 96000, 0), {1, 1, 48000, 16}),
     "speech.wav", "0:31.0 (long)"},
    {"wave_of_another_extension", "b", "beep.snd", waveBytes("beep"), "beep.wav"},
    {"upper_case_extension", "b", "beep.WAV", waveBytes("beep"), "beep.wav"},
    {"other_letter_case_other_bytes", "b", "RING.wav", waveBytes("ring b"), "RING (2).wav"},
    {"same_name_other_bytes", "b", "ring.wav", waveBytes("ring b"), "ring (2).wav"},
    {"same_file_twice", "a", "ring.wav", waveBytes("ring a"), "ring.wav"},
    {"empty", "b", "empty.wav", "", ""},
    {"not_a_sound", "b", "packed.wav", "\x1f\x8b\x08\x00 gzip data", ""},
    {"float_wave", "b", "loud.wav", floatWaveBytes(0.25), "loud.wav", "0:00.3"},
    {"mp3", "b", "tone.mp3", readBytes(BELLTIDE_TEST_DATA "/audio/tone-44100-stereo.mp3"),
     "tone.wav", "0:00.3"},
    {"converted_under_a_taken_name", "b", "ring.WAV", floatWaveBytes(0.1), "ring (2).wav",
     "0:00.1"},
    {"converted_beside_itself", "sounds", "self.wav", floatWaveBytes(0.1), "self (2).wav",
     "0:00.1"},
    {"converted_beside_itself_spelled_otherwise", "sounds",
     std::string{'.', PathSeparator} + "self.wav", floatWaveBytes(0.1), "self (2).wav", "0:00.1"},
};
INSTANTIATE_TEST_SUITE_P(Picks, ChangeSoundPick, ::testing::ValuesIn(Picks),
                         [](const auto& param) { return std::string(param.param.label); });

// Names as a person counts them, as the list of sounds an upload could not copy shows them.
TEST(CountedOrder, PutsNumbersByTheirValueAndLettersInAnyCase) {
    std::vector<std::string> names{"w10.wav", "W2.wav", "w1.wav", "w02.wav", "w.wav",
                                   "w1a.wav", "w1.WAV", "x1.wav", "w100.wav"};
    std::sort(names.begin(), names.end(), lessAsCounted);
    EXPECT_EQ(names, (std::vector<std::string>{"w.wav", "w1.WAV", "w1.wav", "w1a.wav", "W2.wav",
                                               "w02.wav", "w10.wav", "w100.wav", "x1.wav"}));
}

TEST(PortableFileName, KeepsTheExtensionAndFitsTheArchivesHeader) {
    const std::string x = std::string(300, 'x');
    // No character is cut in two. "a.wav." would be another name on Windows, and NUL a device
    // whatever its extension (the plainer device names are among the picks).
    using Row = std::tuple<std::string, std::size_t, std::string>;
    for (const auto& [name, limit, portable] :
         {Row{x + ".wav", 255, std::string(251, 'x') + ".wav"},
          Row{"\xC3\xA9" + x + ".wav", 10, "\xC3\xA9xxxx.wav"},
          Row{"\xC3\xA9\xC3\xA9\xC3\xA9.wav", 9, "\xC3\xA9\xC3\xA9.wav"},
          Row{"dots....wav", 255, "dots.wav"}, Row{"a.wav.", 255, "a.wav"},
          Row{"NUL.tar.wav", 255, "NUL_.tar.wav"}})
        EXPECT_EQ(portableFileName(name, limit), portable) << name;
}
