#include "CBackupDlg.h"

#include "files/PcPath.h"
#include "transfer/DeviceSounds.h"

CBackupDlg::CBackupDlg(std::string themesDir, std::string soundsDir, TransferServices services)
    : CProgressDlg({DialogId, "Current Sounds Backup",
                    "Backing up your current sounds\nto the initial backup theme", TextAlign::Left},
                   std::move(services)),
      m_themesDir(std::move(themesDir)), m_soundsDir(std::move(soundsDir)) {}

int CBackupDlg::BackupThreadProc(CBackupDlg* dlg) {
    dlg->runWorker();
    return 0;
}

void CBackupDlg::startWorker(std::thread& worker) {
    worker = std::thread(&CBackupDlg::BackupThreadProc, this);
}

SoundTheme CBackupDlg::prepare(DeviceLink& device) {
    // Beside the sounds folder, and never it: the editor's theme stays as it is.
    makeStagedFolder(m_work, pcPath(m_soundsDir).parent_path().concat(".backup"));
    SoundTheme theme = device.readSoundTheme();
    m_notes = dropUnfitNames(theme);
    return theme;
}

void CBackupDlg::copyFile(DeviceLink& device, const SoundEntry& file,
                          const CopyProgress& progress) {
    device.copyFileFromDevice(DeviceFolder, folderText(m_work->path()), file.name + file.extension,
                              progress);
}

void CBackupDlg::completeOnPc(SoundTheme& working) {
    const std::string workDir = folderText(m_work->path());
    // Every other sound is kept; one that did not arrive is backed up as none.
    pointAtCopies(working, workDir);
    working.setUploadExtended(true);
    // Written through a temporary file: a backup cut short leaves none, and the next start
    // tries again.
    working.saveToArchive(workDir, m_themesDir + InitialBackupFileName);
}

std::string CBackupDlg::failedCopiesText(const std::vector<std::string>& reasons) const {
    return "These sounds could not be backed up; the backup has no sound for their events:\n\n" +
           CProgressDlg::failedCopiesText(reasons);
}
