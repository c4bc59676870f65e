// The small control interfaces through which window logic talks to its toolkit (UI thread only).
#pragma once

#include "ui/StatusNote.h"

#include <optional>
#include <string>
#include <vector>

class CSoundFileDialog;

class Button {
public:
    virtual ~Button() = default;
    virtual void enable(bool enabled) = 0;
};

class CheckBox : public Button {
public:
    virtual void setChecked(bool checked) = 0;
    virtual bool isChecked() const = 0;
};

class StatusLine {
public:
    virtual ~StatusLine() = default;
    // Shows the note as it fits the line, and whole where the pointer rests on it.
    virtual void setText(const StatusNote& note) = 0;
    // The whole note shown.
    virtual std::string shownText() const = 0;
};

// The main window's title bar.
class WindowTitle {
public:
    virtual ~WindowTitle() = default;
    virtual void setTitle(const std::string& text) = 0;
};

// What the program remembers between starts: texts under keys such as "Folders/Sounds".
class Settings {
public:
    virtual ~Settings() = default;
    // Empty when nothing is stored under the key.
    virtual std::string text(const std::string& key) const = 0;
    virtual void setText(const std::string& key, const std::string& value) = 0;
};

// A drop-down list without an edit field; shows its items in the order they were added.
class ComboBox {
public:
    virtual ~ComboBox() = default;
    virtual void clear() = 0;
    virtual void addItem(const std::string& text) = 0;
    virtual int count() const = 0;
    virtual std::string itemText(int index) const = 0;
    // -1 when no item is selected.
    virtual int selection() const = 0;
    // -1 clears the selection.
    virtual void setSelection(int index) = 0;
};

enum class ColumnAlign { Left, Right };

struct ListColumn {
    std::string heading;
    ColumnAlign align = ColumnAlign::Left;
    // Texts the column shows whole besides its rows': whatever theme is shown, its width stays.
    std::vector<std::string> samples;
    // The column that takes the room the others leave, never narrower than its samples.
    bool takesRest = false;
};

// The widget of a report-style list; what it shows comes from its CEventListCtrl.
class ListView {
public:
    virtual ~ListView() = default;
    virtual void insertColumn(int column, const ListColumn& layout) = 0;
    // The number of rows changed; no row is shown selected afterwards.
    virtual void setRowCount(int count) = 0;
    virtual void refreshRows(int first, int last) = 0;
    // Shares the list's width among the columns again, after their texts changed.
    virtual void fitColumns() = 0;
    virtual void showSelected(int row) = 0;
    // Pops up the menu of the sound commands at the pointer.
    virtual void showSoundMenu() = 0;
};

struct FileDialogOptions {
    std::string title;             // "Open Theme"
    std::string filterDescription; // "Theme Files (*.kbt)"
    std::string filterPattern;     // "*.kbt", matched in any letter case
    std::string defaultExtension;  // added to a name typed without one; may be empty
    std::string initialFolder;     // empty for the platform's choice
    bool offerAllFiles = false;    // a second filter, "All files"
};

// Message boxes with the program's title, file dialogs, and the wait cursor.
enum class Answer { Yes, No, Cancel };

class Prompts {
public:
    virtual ~Prompts() = default;
    // Information or error with an OK button only.
    virtual void showMessage(const std::string& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& question) = 0;
    // A question with Yes, No and Cancel; closing the box is Cancel.
    virtual Answer askYesNoCancel(const std::string& question) = 0;
    // The full path of an existing file the user chose; empty when cancelled.
    virtual std::optional<std::string> chooseFileToOpen(const FileDialogOptions& options) = 0;
    // The full path the user chose to write, after asking before an existing file is replaced;
    // empty when cancelled.
    virtual std::optional<std::string> chooseFileToSave(const FileDialogOptions& options) = 0;
    // The wave file the user chose in the previewing Open dialog, which has no parent window;
    // empty when cancelled.
    virtual std::optional<std::string> chooseSoundFile(CSoundFileDialog& dialog) = 0;
    // Where the user keeps music (XDG_MUSIC_DIR, "My Music"); the home folder when there is none.
    virtual std::string musicFolder() const = 0;
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
};

// Shows the wait cursor for the life of the object.
class WaitCursor {
public:
    explicit WaitCursor(Prompts& prompts) : m_prompts(prompts) { m_prompts.beginWaitCursor(); }
    ~WaitCursor() { m_prompts.endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Prompts& m_prompts;
};
