// In-memory controls and services that record what the window logic does with them.
#pragma once

#include "ui/CSoundFileDialog.h"
#include "ui/Controls.h"
#include "ui/SoundPlayer.h"

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct FakeCheckBox : CheckBox {
    void enable(bool on) override { enabled = on; }
    void setChecked(bool on) override { checked = on; }
    bool isChecked() const override { return checked; }
    bool enabled = true, checked = false;
};
using FakeButton = FakeCheckBox;

struct FakeStatusLine : StatusLine {
    void setText(const StatusNote& note) override { text = note.whole(); }
    std::string shownText() const override { return text; }
    std::string text;
};

struct FakeWindowTitle : WindowTitle {
    void setTitle(const std::string& newText) override { text = newText; }
    std::string text;
};

struct MemorySettings : Settings {
    std::string text(const std::string& key) const override {
        return values.contains(key) ? values.at(key) : std::string();
    }
    void setText(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

struct FakeComboBox : ComboBox {
    void clear() override { items.clear(), selected = -1; }
    void addItem(const std::string& text) override { items.push_back(text); }
    int count() const override { return static_cast<int>(items.size()); }
    std::string itemText(int index) const override { return items.at(std::size_t(index)); }
    int selection() const override { return selected; }
    void setSelection(int index) override { selected = index; }
    std::vector<std::string> items;
    int selected = -1;
};

// Records what the list control asks of its widget.
struct FakeListView : ListView {
    void insertColumn(int, const ListColumn&) override {}
    void setRowCount(int count) override { rowCount = count; }
    void refreshRows(int first, int) override { refreshed.push_back(first); }
    void fitColumns() override { ++fitted; }
    void showSelected(int row) override { shownSelected = row; }
    void showSoundMenu() override { ++menusShown; }
    int rowCount = 0, shownSelected = -1, menusShown = 0, fitted = 0;
    std::vector<int> refreshed;
};

// Answers questions and file dialogs from a script and records every text it was shown.
struct ScriptedPrompts : Prompts {
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& question) override {
        questions.push_back(question);
        return next(answers, "question: " + question);
    }
    Answer askYesNoCancel(const std::string& question) override {
        questions.push_back(question);
        return next(choices, "question: " + question);
    }
    std::optional<std::string> chooseFileToOpen(const FileDialogOptions& options) override {
        dialogs.push_back(options);
        return next(files, "file dialog");
    }
    std::optional<std::string> chooseFileToSave(const FileDialogOptions& o) override {
        return chooseFileToOpen(o);
    }
    // Before answering, the user browses: each path of previewSelections is selected in turn.
    std::optional<std::string> chooseSoundFile(CSoundFileDialog& dialog) override {
        for (const auto& path : previewSelections)
            dialog.OnFileNameChange(path);
        return chooseFileToOpen(dialog.options());
    }
    std::string musicFolder() const override { return music; }
    void beginWaitCursor() override { ++waitDepth; }
    void endWaitCursor() override { --waitDepth; }
    template <typename T> static T next(std::deque<T>& script, const std::string& what) {
        T answer = script.empty() ? throw std::logic_error("unexpected " + what) : script.front();
        return script.pop_front(), answer;
    }

    std::deque<bool> answers;
    std::deque<Answer> choices;                   // for the questions that can be cancelled
    std::deque<std::optional<std::string>> files; // nullopt: the user cancels
    std::vector<FileDialogOptions> dialogs;
    std::vector<std::string> previewSelections, messages, questions;
    std::string music;
    int waitDepth = 0;
};

struct RecordingSoundPlayer : SoundPlayer {
    void playFile(const std::string& path) override {
        if (fails)
            throw std::filesystem::filesystem_error("cannot play",
                                                    std::error_code(EIO, std::generic_category()));
        played.push_back(path);
    }
    void stop() override {}
    void releaseIdleOutput() override {}
    std::vector<std::string> played;
    bool fails = false; // as a player that meets a file system's error
};
