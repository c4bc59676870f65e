// wxWidgets implementations of the control interfaces (UI thread only).
#pragma once

#include "ui/Controls.h"

#include <exception>
#include <string>

class wxButton;
class wxCheckBox;
class wxChoice;
class wxConfigBase;
class wxStatusBar;
class wxTopLevelWindow;
class wxWindow;

class WxButton : public Button {
public:
    explicit WxButton(wxButton* button) : m_button(button) {}
    void enable(bool enabled) override;

private:
    wxButton* m_button;
};

class WxCheckBox : public CheckBox {
public:
    explicit WxCheckBox(wxCheckBox* box) : m_box(box) {}
    void enable(bool enabled) override;
    void setChecked(bool checked) override;
    bool isChecked() const override;

private:
    wxCheckBox* m_box;
};

// Fits its note to the bar's width again whenever the bar is resized.
class WxStatusLine : public StatusLine {
public:
    explicit WxStatusLine(wxStatusBar* bar);
    void setText(const StatusNote& note) override;
    std::string shownText() const override { return m_note.whole(); }

private:
    void show();

    wxStatusBar* m_bar;
    StatusNote m_note;
};

class WxWindowTitle : public WindowTitle {
public:
    explicit WxWindowTitle(wxTopLevelWindow* window) : m_window(window) {}
    void setTitle(const std::string& text) override;

private:
    wxTopLevelWindow* m_window;
};

// The user's settings: a file in the XDG config folder on Linux, the registry under
// HKCU\Software\Belltide on Windows. Each change is written at once: a killed program keeps it.
class WxSettings : public Settings {
public:
    explicit WxSettings(wxConfigBase& config) : m_config(config) {}
    std::string text(const std::string& key) const override;
    void setText(const std::string& key, const std::string& value) override;

private:
    wxConfigBase& m_config;
};

// The theme list: a wxChoice, which has no edit field.
class WxComboBox : public ComboBox {
public:
    explicit WxComboBox(wxChoice* combo) : m_combo(combo) {}
    void clear() override;
    void addItem(const std::string& text) override;
    int count() const override;
    std::string itemText(int index) const override;
    int selection() const override;
    void setSelection(int index) override;

private:
    wxChoice* m_combo;
};

// What a message box says of a failure that reached a handler of the window: a MessageError's
// text, or for anything else (a file system's error) that it was unexpected and what it was.
std::string problemText(const std::exception& error);

class WxPrompts : public Prompts {
public:
    explicit WxPrompts(wxWindow* owner) : m_owner(owner) {}
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& question) override;
    Answer askYesNoCancel(const std::string& question) override;
    std::optional<std::string> chooseFileToOpen(const FileDialogOptions& options) override;
    std::optional<std::string> chooseFileToSave(const FileDialogOptions& options) override;
    std::optional<std::string> chooseSoundFile(CSoundFileDialog& dialog) override;
    std::string musicFolder() const override;
    void beginWaitCursor() override;
    void endWaitCursor() override;

private:
    wxWindow* m_owner;
};
