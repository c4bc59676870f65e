// Download: reads the device's sounds and copies their files into the sounds folder.
#pragma once

#include "transfer/CProgressDlg.h"

class CImportDlg : public CProgressDlg {
public:
    static constexpr int DialogId = 139;

    CImportDlg(std::string soundsDir, TransferServices services);

    static int ImportThreadProc(CImportDlg* dlg);

    std::string m_soundsDir;
    // Empty unless the device's sounds could be read.
    SoundTheme m_result;

private:
    void startWorker(std::thread& worker) override;
    SoundTheme prepare(DeviceLink& device) override;
    void copyFile(DeviceLink& device, const SoundEntry& file,
                  const CopyProgress& progress) override;
    // The editor keeps its theme after any failure of the whole.
    void onFailure() override { m_result = SoundTheme(); }
};
