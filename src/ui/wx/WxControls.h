// wxWidgets implementations of the control interfaces (UI thread only).
#pragma once

#include "ui/Controls.h"

class wxButton;
class wxCheckBox;
class wxChoice;
class wxStatusBar;
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

class WxStatusLine : public StatusLine {
public:
    explicit WxStatusLine(wxStatusBar* bar) : m_bar(bar) {}
    void setText(const std::string& text) override;

private:
    wxStatusBar* m_bar;
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

class WxPrompts : public Prompts {
public:
    explicit WxPrompts(wxWindow* owner) : m_owner(owner) {}
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& question) override;
    Answer askYesNoCancel(const std::string& question) override;
    std::optional<std::string> chooseFileToOpen(const FileDialogOptions& options) override;
    std::optional<std::string> chooseFileToSave(const FileDialogOptions& options) override;
    std::optional<std::string> chooseSoundFile(CSoundFileDialog& dialog) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;

private:
    wxWindow* m_owner;
};
