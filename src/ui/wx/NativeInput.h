// What the toolkit under wxWidgets knows of the user's input and wxWidgets does not pass on, and
// what it does with a window that wxWidgets does not ask of it (UI thread only).
#pragma once

#include <functional>

class wxChoice;
class wxTopLevelWindow;
class wxWindow;

// Calls handler when the user is about to drop the list down, before it is sized and shown,
// so that the handler may still change its items.
void onAboutToDropDown(wxChoice* list, std::function<void()> handler);

// True while the event being handled is a key press or a click of the user's, not a change
// the toolkit makes on its own.
bool isHandlingUserInput();

// True while a menu of the program is open (the menu bar's, a popup menu or a drop-down list):
// keys then belong to it. Asked of the system, which knows how each one ends.
bool isMenuShown();

// Gives the keyboard focus back to the control, also where the toolkit believes it still has it.
void restoreFocus(wxWindow* control);

// True once the toolkit has made the window's native one, so that it has a place on screen.
bool hasScreenPlace(const wxWindow* window);

// Has GTK's own theme draw the ticks of check boxes from its pre-drawn pictures: drawn from its
// SVG pictures, one tick would load an SVG renderer, some 9 MB, for a program that shows no other
// SVG. Other themes draw as they are made to. Once, before the first window.
void drawTicksFromPictures();

// Places a window not yet shown at its position on screen, where the window manager finds it
// when the window first appears.
void placeBeforeShow(wxTopLevelWindow* window);
