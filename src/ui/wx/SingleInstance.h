// One Belltide per user and data folder: a later start hands its theme to the running one and
// ends, or says that it does not answer and ends (a lock held for the program's life: a locked
// file in the data folder on Unix, wxSingleInstanceChecker's mutex on Windows; and wx's IPC: DDE
// on Windows, a Unix domain socket elsewhere).
#pragma once

#include <wx/modalhook.h>
#include <wx/timer.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class wxServerBase;
class wxSingleInstanceChecker;

enum class HandOver {
    NoneRunning, // this start holds the data folder now
    Taken,       // a running Belltide took the theme
    NotAnswered, // one holds the data folder but did not answer in time
};

// What the running program does with a theme handed over by a later start (UI thread).
struct HandOverTarget {
    std::function<void()> raise;
    // The window takes input: no transfer, no menu; modal dialogs are watched here.
    std::function<bool()> isFree;
    std::function<void(const std::string& theme)> open;
};

class SingleInstance : private wxModalDialogHook {
public:
    // Seconds a later start waits for the running one to answer.
    static constexpr int AnswerTimeoutSeconds = 5;

    // UI thread, with the toolkit running. dataDir is the folder the program works in.
    explicit SingleInstance(const std::filesystem::path& dataDir);
    ~SingleInstance() override;

    // Hands the theme ("": only to be raised) to the Belltide that holds the data folder, trying
    // for at most AnswerTimeoutSeconds. A lock whose program no longer runs (killed, a zombie) is
    // taken over: NoneRunning.
    HandOver handOver(const std::string& theme);
    // The message for NotAnswered.
    std::string notAnsweredText() const;
    // Answers later starts from now on. Each theme is opened once no modal dialog is shown and
    // the target is free, in the order they came.
    void serve(HandOverTarget target);

    // From the server's connection.
    void receive(const std::string& theme);

private:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;
    void openWhenFree();
    // Takes the data folder's lock unless another program holds it; true when this one holds
    // it, or when there is no place for a lock at all.
    bool takeLock();
    // Where the program that holds the lock answers; empty when it does not tell.
    std::string runningService() const;
    // One attempt to hand the theme over, given up at the deadline.
    bool poke(const std::string& service, const std::string& theme,
              std::chrono::steady_clock::time_point deadline);

    std::string m_service; // where this program answers; empty when it cannot
#ifdef _WIN32
    std::string m_lockName;
    std::unique_ptr<wxSingleInstanceChecker> m_checker;
#else
    std::filesystem::path m_lockPath;
    int m_lock = -1;
#endif
    std::unique_ptr<wxServerBase> m_server;
    HandOverTarget m_target;
    std::deque<std::string> m_waiting;
    wxTimer m_retry;
    std::vector<wxDialog*> m_modalDialogs; // shown now, the innermost last
    bool m_opening = false;
    bool m_serving = false;
};
