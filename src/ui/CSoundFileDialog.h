// The Open dialog of Change Sound, which plays each wave file the user selects while browsing.
#pragma once

#include "ui/Controls.h"
#include "ui/SoundPlayer.h"

#include <string>

class CSoundFileDialog {
public:
    explicit CSoundFileDialog(SoundPlayer& sound) : m_sound(sound) {}

    // The dialog's filter and folders: "Sound Files (*.wav)", no default extension.
    static FileDialogOptions options();

    // Called whenever the selection in the dialog changes. Plays the selected file, except the
    // first selection after the user moved to another folder; folders and unreadable files
    // play nothing.
    void OnFileNameChange(const std::string& selectedPath);

private:
    SoundPlayer& m_sound;
    std::string m_lastFolder; // without trailing separator
};
