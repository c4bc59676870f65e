// One Belltide per user and data folder: a later start hands its theme to the running one and
// ends (wxSingleInstanceChecker, and wx's IPC: DDE on Windows, a Unix domain socket elsewhere).
#pragma once

#include <wx/modalhook.h>
#include <wx/timer.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class wxServerBase;
class wxSingleInstanceChecker;

// What the running program does with a theme handed over by a later start (UI thread).
struct HandOverTarget {
    std::function<void()> raise;
    // The window takes input: no transfer, no menu; modal dialogs are watched here.
    std::function<bool()> isFree;
    std::function<void(const std::string& theme)> open;
};

class SingleInstance : private wxModalDialogHook {
public:
    // Seconds a later start waits for the running one to answer before it starts on its own.
    static constexpr int AnswerTimeoutSeconds = 5;

    // UI thread, with the toolkit running. dataDir is the folder the program works in.
    explicit SingleInstance(const std::filesystem::path& dataDir);
    ~SingleInstance() override;

    // True when a running Belltide took the theme ("": only to be raised); this start then ends.
    // False when there is none, or it did not answer in time.
    bool handOver(const std::string& theme);
    // Answers later starts from now on. Each theme is opened once no modal dialog is shown and
    // the target is free, in the order they came.
    void serve(HandOverTarget target);

    // From the server's connection.
    void receive(const std::string& theme);

private:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;
    void openWhenFree();

    std::string m_service;
    std::unique_ptr<wxSingleInstanceChecker> m_checker;
    std::unique_ptr<wxServerBase> m_server;
    HandOverTarget m_target;
    std::deque<std::string> m_waiting;
    wxTimer m_retry;
    std::vector<wxDialog*> m_modalDialogs; // shown now, the innermost last
    bool m_opening = false;
    bool m_serving = false;
};
