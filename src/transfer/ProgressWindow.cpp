#include "ProgressWindow.h"

#include <future>

void ProgressSink::onUiThread(const std::function<void(ProgressWindow&)>& call) {
    std::promise<void> done;
    m_windows.callAfter([&] {
        // A call that fails must still release the worker.
        try {
            call(m_window);
        } catch (...) {
        }
        done.set_value();
    });
    done.get_future().wait();
}

void ProgressSink::setRange(int lower, int upper) {
    onUiThread([=](ProgressWindow& window) { window.setRange(lower, upper); });
}

void ProgressSink::setStep(int step) {
    onUiThread([=](ProgressWindow& window) { window.setStep(step); });
}

void ProgressSink::stepIt() {
    onUiThread([](ProgressWindow& window) { window.stepIt(); });
}

void ProgressSink::showMessage(const std::string& text) {
    onUiThread([&](ProgressWindow& window) { window.showMessage(text); });
}

void ProgressSink::beginWaitCursor() {
    onUiThread([](ProgressWindow& window) { window.beginWaitCursor(); });
}

void ProgressSink::endWaitCursor() {
    onUiThread([](ProgressWindow& window) { window.endWaitCursor(); });
}

void ProgressSink::close() {
    onUiThread([](ProgressWindow& window) { window.endModal(); });
}
