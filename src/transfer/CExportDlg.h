// Upload: sends the theme's sound files to the device's Windows folder, and only once all have
// arrived and Cancel was not pressed puts them in place, points the registry at those that
// arrived whole and has the device reload its sound settings.
#pragma once

#include "audio/SoundConverter.h"
#include "device/DeviceUpload.h"
#include "transfer/CProgressDlg.h"

#include <map>
#include <optional>
#include <set>
#include <string>

class CExportDlg : public CProgressDlg {
public:
    static constexpr int DialogId = 135;

    CExportDlg(SoundTheme upload, TransferServices services);

    static int ExportThreadProc(CExportDlg* dlg);

    // True only when every sound and setting of the upload reached the device and it took them
    // up.
    bool m_succeeded = false;
    SoundTheme m_upload;
    // Whether anything on the device was changed, and the events and notifications whose
    // sound did not reach it (they keep the one they had).
    bool m_changed = false;
    std::set<std::string> m_notExported;
    // The device has the upload but did not reload its settings, or could not keep them.
    bool m_notTakenUp = false;

private:
    void startWorker(std::thread& worker) override;
    SoundTheme prepare(DeviceLink& device) override;
    void copyFile(DeviceLink& device, const SoundEntry& file,
                  const CopyProgress& progress) override;
    void onCopyFailed(const SoundEntry& file) override;
    void completeOnDevice(DeviceLink& device) override;
    void onSessionEndFailed() override;
    void onCancelled() override;
    void onFailure() override;
    std::string failedCopiesText(const std::vector<std::string>& reasons) const override;

    // The names of the entries that take part in this upload.
    std::set<std::string> takingPart() const;

    // What the device named before the upload, for the entries whose file did not arrive.
    SoundTheme m_current;
    std::set<std::string> m_failedFiles;        // name + extension
    std::optional<DeviceUpload> m_deviceUpload; // while the session lasts
    std::size_t m_arrived = 0;
    ConvertedWaves m_converted;
    std::map<std::string, std::string> m_conversionErrors; // by name + extension
};
