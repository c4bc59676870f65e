// The Open dialog of Change Sound, which plays each sound the user selects while browsing, as
// the handheld will play it.
#pragma once

#include "audio/SoundConverter.h"
#include "ui/Controls.h"
#include "ui/SoundPlayer.h"

#include <memory>
#include <string>
#include <utility>

struct SoundEntry;

class CSoundFileDialog {
public:
    // The settings key of the folder a sound was last chosen from.
    static constexpr const char* RememberedFolderKey = "Folders/Sounds";

    CSoundFileDialog(SoundPlayer& sound, FileDialogOptions options)
        : m_sound(sound), m_options(std::move(options)) {}

    // The dialog for an event's sound: its title names the event; the sound files Belltide
    // converts or all files, no default extension.
    static FileDialogOptions optionsFor(const std::string& eventName,
                                        const std::string& initialFolder);
    // Where the dialog opens: the folder of the marked row's sound if it has one, else the
    // folder remembered, else the music folder; a folder that is gone is passed over.
    static std::string startFolder(const SoundEntry& marked, const std::string& remembered,
                                   const std::string& musicFolder);

    const FileDialogOptions& options() const { return m_options; }

    // Called whenever the selection in the dialog changes. Plays the selected file, except the
    // first selection after the user moved to another folder; folders and unreadable files
    // play nothing, and a selection reported again is not played again. A sound that is no
    // handheld wave is played as the conversion of its opening seconds; one that cannot be
    // converted as it stands. Never raises.
    void OnFileNameChange(const std::string& selectedPath);
    // The conversion played last, which must outlive the dialog while it plays.
    std::unique_ptr<PreviewWave> takePreview() { return std::move(m_preview); }

private:
    void play(const std::string& path);

    SoundPlayer& m_sound;
    FileDialogOptions m_options;
    std::string m_lastFolder; // without trailing separator
    std::string m_lastSelection;
    std::unique_ptr<PreviewWave> m_preview;
};
