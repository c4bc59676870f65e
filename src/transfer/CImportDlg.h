// Download: reads the device's sounds and copies their files into a folder of the download's own,
// which takes the sounds folder's place only when the download is complete.
#pragma once

#include "files/StagedFolder.h"
#include "transfer/CProgressDlg.h"

#include <optional>
#include <set>

class CImportDlg : public CProgressDlg {
public:
    static constexpr int DialogId = 139;

    CImportDlg(std::string soundsDir, TransferServices services);

    static int ImportThreadProc(CImportDlg* dlg);

    // UI thread, after DoModal with a result: the downloaded sounds take the sounds folder's place
    // as a whole. False, with the sounds folder as it was, when they cannot.
    [[nodiscard]] bool commitSounds();

    std::string m_soundsDir;
    // Empty unless the device's sounds could be read and the download was complete; its sounds
    // point at the download's own folder until commitSounds.
    SoundTheme m_result;
    // The events that have a sound on the device whose wave did not arrive.
    std::set<std::string> m_notArrived;

private:
    void startWorker(std::thread& worker) override;
    SoundTheme prepare(DeviceLink& device) override;
    void copyFile(DeviceLink& device, const SoundEntry& file,
                  const CopyProgress& progress) override;
    void completeOnPc(SoundTheme& working) override;
    // The editor keeps its theme and its files after any failure of the whole.
    void onFailure() override { m_result = SoundTheme(); }
    std::string failedCopiesText(const std::vector<std::string>& reasons) const override;

    std::optional<StagedFolder> m_staged;
};
