// A main window logic on in-memory controls, its program placed in a fresh folder.
#pragma once

#include "catalog/MessageError.h"
#include "support/FakeControls.h"
#include "support/TempFolder.h"
#include "ui/CBelltideDlg.h"

#include <gtest/gtest.h>

#include <memory>

// Opens the members that only the window's own commands change, so tests can set them up.
class TestableBelltideDlg : public CBelltideDlg {
public:
    using CBelltideDlg::CBelltideDlg;
    using CBelltideDlg::m_modified;
};

class MainWindowFixture : public ::testing::Test {
protected:
    MainWindowFixture() {
        dlg = std::make_unique<TestableBelltideDlg>((folder.path() / "belltide").string(),
                                                    controls());
    }

    MainWindowControls controls() {
        return MainWindowControls{eventList,     themeCombo, statusBar,    saveThemeButton,
                                  noSoundButton, playButton, uploadButton, changeButton,
                                  extendedCheck, prompts,    sound};
    }

    TempFolder folder;
    FakeListView eventList;
    FakeComboBox themeCombo;
    FakeStatusLine statusBar;
    FakeButton saveThemeButton, noSoundButton, playButton, uploadButton, changeButton;
    FakeCheckBox extendedCheck;
    ScriptedPrompts prompts;
    RecordingSoundPlayer sound;
    std::unique_ptr<TestableBelltideDlg> dlg;
};
