// The initial backup: the device's own sounds saved as a theme in the library, gathered in a folder
// of the backup's own; the sounds folder is never touched.
#pragma once

#include "files/StagedFolder.h"
#include "transfer/CProgressDlg.h"

#include <optional>

inline constexpr const char* InitialBackupFileName = "initialBackup.kbt";

class CBackupDlg : public CProgressDlg {
public:
    static constexpr int DialogId = 138;

    CBackupDlg(std::string themesDir, std::string soundsDir, TransferServices services);

    static int BackupThreadProc(CBackupDlg* dlg);

    std::string m_themesDir;
    std::string m_soundsDir;

private:
    void startWorker(std::thread& worker) override;
    SoundTheme prepare(DeviceLink& device) override;
    void copyFile(DeviceLink& device, const SoundEntry& file,
                  const CopyProgress& progress) override;
    void completeOnPc(SoundTheme& working) override;
    std::string failedCopiesText(const std::vector<std::string>& reasons) const override;

    // Made by the worker, removed with the dialog.
    std::optional<StagedFolder> m_work;
};
