// Upload: writes the theme's sounds into the device's registry, copies their files into its
// Windows folder and has it reload its sound settings.
#pragma once

#include "transfer/CProgressDlg.h"

class CExportDlg : public CProgressDlg {
public:
    static constexpr int DialogId = 135;

    CExportDlg(SoundTheme upload, TransferServices services);

    static int ExportThreadProc(CExportDlg* dlg);

    // False once the operation as a whole has failed.
    bool m_succeeded = false;
    SoundTheme m_upload;

private:
    void startWorker(std::thread& worker) override;
    SoundTheme prepare(DeviceLink& device) override;
    void copyFile(DeviceLink& device, const SoundEntry& file) override;
    void completeOnDevice(DeviceLink& device) override;
    void onFailure() override { m_succeeded = false; }
};
