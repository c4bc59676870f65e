// A sound converted into a wave the handheld plays on a worker thread, while a progress dialog
// with Cancel is shown: Change Sound and a dropped file never wait on the window's thread.
#pragma once

#include "audio/SoundConverter.h"
#include "transfer/ProgressWindow.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <thread>

// Worker thread. A conversion's hook that shows its progress within the bar's current step and
// reads Cancel: at its first call, which also sets the dialog's text, and then at most every
// 50 ms, so that the dialog costs the conversion next to nothing.
ConversionProgress conversionProgress(ProgressSink& progress, std::string text);

class CConversionDlg {
public:
    static constexpr int DialogId = 141;

    // UI thread. The wave the handheld plays for source: the source itself, without a dialog,
    // when the handheld plays it as it stands; else its conversion, made on a worker while the
    // dialog is shown; nothing when the user pressed Cancel. Raises what PreviewWave raises.
    static std::unique_ptr<PreviewWave> convert(const std::string& source,
                                                ProgressWindows& windows);

    CConversionDlg(std::string source, ProgressWindows& windows);
    ~CConversionDlg();
    CConversionDlg(const CConversionDlg&) = delete;
    CConversionDlg& operator=(const CConversionDlg&) = delete;

    // UI thread. Shows the dialog and returns once its worker has ended.
    void DoModal();
    // After DoModal: the conversion, or nothing when it was cancelled; raises what it raised.
    std::unique_ptr<PreviewWave> takeWave();

private:
    // UI thread, once the dialog is on screen.
    void OnInitDialog(ProgressWindow& window);
    // Worker thread: converts, catches everything and always ends the dialog.
    void ConvertThreadProc();

    std::string m_source;
    ProgressWindows& m_windows;
    std::optional<ProgressSink> m_progress;
    std::thread m_worker;
    std::unique_ptr<PreviewWave> m_wave;
    std::exception_ptr m_failure;
};
