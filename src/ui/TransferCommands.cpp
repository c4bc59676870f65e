// The main window's transfers: Download Theme, Upload Theme and the initial backup.
#include "CBelltideDlg.h"

#include "files/PcPath.h"

#include "transfer/CBackupDlg.h"
#include "transfer/CExportDlg.h"
#include "transfer/CImportDlg.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>

namespace {

constexpr const char* SilentUploadQuestion =
    "This theme has no sounds: the Pocket PC will play none. Upload it?";
constexpr const char* NotBackedUpText =
    "Sounds not backed up; Belltide tries again at its next start";

// True when no event that takes part in the upload has a sound: a New Theme, say.
bool isSilent(const SoundTheme& theme) {
    return std::none_of(theme.begin(), theme.end(), [&](const auto& item) {
        return item.second.hasSound() &&
               (theme.uploadExtended() || !isExtendedEventName(item.first));
    });
}

// "Sounds exported", or how many sounds did not get there.
std::string outcomeText(std::size_t missing, const std::string& done) {
    if (missing == 0)
        return "Sounds " + done;
    return std::to_string(missing) + (missing == 1 ? " sound" : " sounds") + " could not be " +
           done;
}

// The status line's word on an upload: done only when all of it was done.
std::string uploadOutcome(const CExportDlg& dlg) {
    if (dlg.m_succeeded)
        return "Sounds exported";
    if (dlg.wasCancelled())
        return "Sounds not exported";
    if (dlg.m_notTakenUp)
        return "Sounds sent, but not taken up by the PocketPC";
    const auto count = dlg.m_notExported.size();
    if (!dlg.m_changed || count == 0)
        return "Sounds not exported";
    return outcomeText(count, "exported");
}

} // namespace

TransferServices CBelltideDlg::transferServices() const {
    return TransferServices{m_progressWindows, m_deviceFactory};
}

void CBelltideDlg::runTransfer(CProgressDlg& dlg) {
    runTransfer([&dlg] { dlg.DoModal(); });
}

void CBelltideDlg::runTransfer(const std::function<void()>& showDialog) {
    m_transferRunning = true;
    const std::shared_ptr<void> over(nullptr, [this](void*) {
        m_transferRunning = false;
        if (std::exchange(m_backupCheckWaiting, false))
            m_progressWindows.callAfter([this] { InitialBackupCheck(); });
        for (auto& path : std::exchange(m_handedOver, {}))
            m_progressWindows.callAfter([this, path] { OnOpenFromAnotherStart(path); });
    });
    showDialog();
}

void CBelltideDlg::OnDownloadTheme() {
    if (!promptSaveChanges())
        return;
    WaitCursor wait(m_prompts);
    m_statusBar.setText("Importing sounds from PocketPC...");
    CImportDlg dlg(m_folders.soundsDir, transferServices());
    runTransfer(dlg);
    if (dlg.m_result.size() == 0) {
        m_statusBar.setText("Sounds not imported");
        return;
    }
    m_sound.stop(); // a sound still playing would hold its file
    if (!dlg.commitSounds()) {
        m_prompts.showMessage("Could not put the downloaded sounds in the sounds folder \"" +
                              m_folders.soundsDir + "\".");
        m_statusBar.setText("Sounds not imported");
        return;
    }
    m_theme = std::move(dlg.m_result);
    rebuildEventRows();
    // The editor's theme is no longer one of the library's.
    m_themeCombo.setSelection(-1);
    applyEnabling(ThemeShown::Yes);
    setModified(false);
    m_statusBar.setText(outcomeText(dlg.m_notArrived.size(), "imported"));
}

void CBelltideDlg::OnUploadTheme() {
    m_theme.setUploadExtended(m_extendedCheck.isChecked());
    if (isSilent(m_theme) && !m_prompts.askYesNo(SilentUploadQuestion))
        return;
    WaitCursor wait(m_prompts);
    m_statusBar.setText("Exporting sounds to PocketPC...");
    CExportDlg dlg(m_theme, transferServices());
    runTransfer(dlg);
    m_statusBar.setText(uploadOutcome(dlg));
}

void CBelltideDlg::InitialBackupCheck() {
    // Posted at start, it may come while the user's first transfer runs: one session at a time.
    if (m_transferRunning) {
        m_backupCheckWaiting = true;
        return;
    }
    const std::string path = m_folders.themesDir + InitialBackupFileName;
    std::error_code error;
    if (std::filesystem::exists(pcPath(path), error))
        return;
    {
        CBackupDlg dlg(m_folders.themesDir, m_folders.soundsDir, transferServices());
        runTransfer(dlg);
    }
    if (!std::filesystem::exists(pcPath(path), error)) {
        m_statusBar.setText(NotBackedUpText); // the editor stays empty: say why
        return;
    }
    // A theme named on the command line is what the user asked to see; the backup only had to
    // come first. It is opened again from where it was opened at start.
    if (!m_startupOpenedFrom.empty() &&
        std::filesystem::exists(pcPath(m_startupOpenedFrom), error) &&
        tryLoadTheme(m_startupOpenedFrom))
        return;
    tryLoadTheme(path);
}
