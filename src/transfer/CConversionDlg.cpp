#include "CConversionDlg.h"

#include "files/PcPath.h"

#include <chrono>
#include <utility>

namespace {

constexpr std::chrono::milliseconds CancelReadEvery{50};

} // namespace

ConversionProgress conversionProgress(ProgressSink& progress, std::string text) {
    return [&progress, text = std::move(text),
            next = std::optional<std::chrono::steady_clock::time_point>()](double part) mutable {
        const auto now = std::chrono::steady_clock::now();
        if (!next)
            progress.setText(text);
        else if (now < *next)
            return true;
        next = now + CancelReadEvery;
        bool asked = false;
        progress.together([&](ProgressWindow& window) {
            window.setStepPart(part);
            asked = window.cancelRequested();
        });
        return !asked;
    };
}

std::unique_ptr<PreviewWave> CConversionDlg::convert(const std::string& source,
                                                     ProgressWindows& windows) {
    if (playsAsItStands(source))
        return std::make_unique<PreviewWave>(source);
    CConversionDlg dlg(source, windows);
    dlg.DoModal();
    return dlg.takeWave();
}

CConversionDlg::CConversionDlg(std::string source, ProgressWindows& windows)
    : m_source(std::move(source)), m_windows(windows) {}

CConversionDlg::~CConversionDlg() {
    releaseWorker(m_progress, m_worker);
}

void CConversionDlg::DoModal() {
    m_windows.runModal({DialogId, "Converting Sound",
                        "Converting the sound into a wave\nthe Pocket PC can play...",
                        TextAlign::Centre},
                       [this](ProgressWindow& window) { OnInitDialog(window); });
    // The dialog is gone: a worker still waiting on it is released.
    releaseWorker(m_progress, m_worker);
}

std::unique_ptr<PreviewWave> CConversionDlg::takeWave() {
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
    return std::move(m_wave);
}

void CConversionDlg::OnInitDialog(ProgressWindow& window) {
    m_progress.emplace(m_windows, window);
    m_worker = std::thread(&CConversionDlg::ConvertThreadProc, this);
}

void CConversionDlg::ConvertThreadProc() {
    ProgressSink& progress = *m_progress;
    try {
        progress.together([](ProgressWindow& window) {
            window.setRange(0, 1);
            window.setStep(1);
        });
        m_wave = std::make_unique<PreviewWave>(
            m_source, PreviewPart::Whole,
            conversionProgress(progress, "Converting " + fileNameOf(m_source)));
        progress.stepIt();
    } catch (const ConversionCancelled&) {
    } catch (const ProgressSink::DialogGone&) {
        m_wave.reset(); // nobody waits for it
    } catch (...) {
        m_failure = std::current_exception();
    }
    try {
        progress.close();
    } catch (const ProgressSink::DialogGone&) {
    }
}
