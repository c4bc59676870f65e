// In-memory controls and services that record what the window logic does with them.
#pragma once

#include "ui/CSoundFileDialog.h"
#include "ui/Controls.h"
#include "ui/SoundPlayer.h"

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class FakeButton : public Button {
public:
    void enable(bool on) override { enabled = on; }
    bool enabled = true;
};

class FakeCheckBox : public CheckBox {
public:
    void enable(bool on) override { enabled = on; }
    void setChecked(bool on) override { checked = on; }
    bool isChecked() const override { return checked; }
    bool enabled = true;
    bool checked = false;
};

class FakeStatusLine : public StatusLine {
public:
    void setText(const std::string& newText) override { text = newText; }
    std::string text;
};

class FakeComboBox : public ComboBox {
public:
    void clear() override {
        items.clear();
        selected = -1;
    }
    void addItem(const std::string& text) override { items.push_back(text); }
    int count() const override { return static_cast<int>(items.size()); }
    std::string itemText(int index) const override {
        return items.at(static_cast<std::size_t>(index));
    }
    int selection() const override { return selected; }
    void setSelection(int index) override { selected = index; }
    std::vector<std::string> items;
    int selected = -1;
};

// Records what the list control asks of its widget.
class FakeListView : public ListView {
public:
    struct Column {
        std::string heading;
        ColumnAlign align;
        int width;
    };

    void insertColumn(int column, const std::string& heading, ColumnAlign align,
                      int widthPixels) override {
        columns.insert(columns.begin() + column, Column{heading, align, widthPixels});
    }
    void setRowCount(int count) override { rowCount = count; }
    void refreshRows(int first, int last) override {
        for (int row = first; row <= last; ++row)
            refreshed.push_back(row);
    }
    void fitColumn(int, int) override {}
    void showSelected(int row) override { shownSelected = row; }
    void showSoundMenu() override { ++menusShown; }

    std::vector<Column> columns;
    int rowCount = 0;
    std::vector<int> refreshed;
    int shownSelected = -1;
    int menusShown = 0;
};

// Answers questions from a script and records every text it was shown.
class ScriptedPrompts : public Prompts {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& question) override {
        questions.push_back(question);
        if (answers.empty())
            throw std::logic_error("unexpected question: " + question);
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> chooseFileToOpen(const FileDialogOptions& options) override {
        return nextFile(options);
    }
    std::optional<std::string> chooseFileToSave(const FileDialogOptions& options) override {
        return nextFile(options);
    }
    // Before answering, the user browses: each path of previewSelections is selected in turn.
    std::optional<std::string> chooseSoundFile(CSoundFileDialog& dialog) override {
        for (const auto& path : previewSelections)
            dialog.OnFileNameChange(path);
        return nextFile(CSoundFileDialog::options());
    }
    void beginWaitCursor() override { ++waitDepth; }
    void endWaitCursor() override { --waitDepth; }

    std::optional<std::string> nextFile(const FileDialogOptions& options) {
        dialogs.push_back(options);
        if (files.empty())
            throw std::logic_error("unexpected file dialog");
        auto file = files.front();
        files.pop_front();
        return file;
    }

    std::deque<bool> answers;
    std::deque<std::optional<std::string>> files; // nullopt: the user cancels
    std::vector<FileDialogOptions> dialogs;
    std::vector<std::string> previewSelections;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    int waitDepth = 0;
};

class RecordingSoundPlayer : public SoundPlayer {
public:
    void playFile(const std::string& path) override { played.push_back(path); }
    void stop() override { ++stops; }
    void releaseIdleOutput() override {}
    std::vector<std::string> played;
    int stops = 0;
};
