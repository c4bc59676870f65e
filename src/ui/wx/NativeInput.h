// What the toolkit under wxWidgets knows of the user's input and wxWidgets does not pass on, and
// what it does with a window that wxWidgets does not ask of it (UI thread only).
#pragma once

#include <functional>

class wxChoice;
class wxTopLevelWindow;

// Calls handler when the user is about to drop the list down, before it is sized and shown,
// so that the handler may still change its items.
void onAboutToDropDown(wxChoice* list, std::function<void()> handler);

// True while the event being handled is a key press or a click of the user's, not a change
// the toolkit makes on its own.
bool isHandlingUserInput();

// Places a window not yet shown at its position on screen, where the window manager finds it
// when the window first appears.
void placeBeforeShow(wxTopLevelWindow* window);
