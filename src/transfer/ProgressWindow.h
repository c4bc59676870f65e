// The toolkit side of a progress dialog, and the road from a worker thread to it.
#pragma once

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

enum class TextAlign { Centre, Left };

// What a progress dialog shows besides its bar.
struct ProgressDialogTemplate {
    int id;
    std::string title;
    std::string text;
    TextAlign align;
};

// One progress dialog on screen; UI thread only.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // The bar's range; upper is a 16-bit value.
    virtual void setRange(int lower, int upper) = 0;
    virtual void setStep(int step) = 0;
    virtual void stepIt() = 0;
    // How far the coming step has got, from 0 to 1; stepIt starts the next one at 0.
    virtual void setStepPart(double part) = 0;
    // The line above the bar.
    virtual void setText(const std::string& text) = 0;
    // Whether the user has asked the transfer to stop.
    virtual bool cancelRequested() const = 0;
    // A message box with the text and OK; returns when the user has closed it.
    virtual void showMessage(const std::string& text) = 0;
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    // The worker's close request: the one thing that ends the dialog.
    virtual void endModal() = 0;
};

// Shows progress dialogs modally over the main window.
class ProgressWindows {
public:
    virtual ~ProgressWindows() = default;
    // UI thread. Shows the dialog, with the main window disabled, calls onShown once it is on
    // screen and returns after its endModal.
    virtual void runModal(const ProgressDialogTemplate& dialog,
                          const std::function<void(ProgressWindow&)>& onShown) = 0;
    // Any thread: has the UI thread's event loop run the call soon.
    virtual void callAfter(std::function<void()> call) = 0;
};

// A worker's hold on its dialog: every call is carried out on the UI thread and returns after.
class ProgressSink {
public:
    // Raised on the worker by a call that the dialog can no longer carry out: the call was
    // dropped unrun, or the dialog went away. Not a std::exception, so that only the worker's
    // outermost handler takes it.
    struct DialogGone {};

    ProgressSink(ProgressWindows& windows, ProgressWindow& window)
        : m_windows(windows), m_window(window) {}

    // Several calls in one trip to the UI thread: each trip costs the worker two thread switches.
    void together(const std::function<void(ProgressWindow&)>& calls);

    void stepIt();
    void setStepPart(double part);
    void setText(const std::string& text);
    bool cancelRequested();
    void showMessage(const std::string& text);
    void beginWaitCursor();
    void endWaitCursor();
    // The last call a worker makes on its dialog.
    void close();

    // UI thread, when the dialog goes away: a worker waiting on a call is released, and every
    // call from then on raises DialogGone at once.
    void abandon();

private:
    struct Handoff {
        std::mutex mutex;
        std::weak_ptr<std::promise<void>> pending;
        bool gone = false;
    };

    ProgressWindows& m_windows;
    ProgressWindow& m_window;
    std::shared_ptr<Handoff> m_handoff = std::make_shared<Handoff>();
};

// UI thread, once a dialog is gone: its worker, if still waiting on it, is released, and joined.
void releaseWorker(std::optional<ProgressSink>& progress, std::thread& worker);
