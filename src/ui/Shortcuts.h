// The keys that reach the main window's commands, and the texts the menus show for them.
#pragma once

#include <string>

struct Shortcut {
    enum class Scope {
        Menu,   // an accelerator of the menu bar's item
        Window, // anywhere in the window
        List,   // only while the event list has the focus: Space presses a focused button
    };
    int command;             // a CommandId
    const char* accelerator; // as the menus show it, and as the toolkit reads it
    Scope scope;
};

extern const Shortcut Shortcuts[7];

// The menu item's text followed by its shortcut, if it has one.
std::string menuText(const std::string& text, int command);
