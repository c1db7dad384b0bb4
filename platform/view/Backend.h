#pragma once

#include <string>
#include <vector>

#include "platform/view/View.h"

// The contract of the editor-window kit: what every back end defines. Each
// back end is a library of its own (headless, x11); a program links exactly
// one of them beside the kit, and everything above the kit reaches the back
// end only through these definitions and the VIEW_View it opens.
//
// Every back end defines:
// - VIEW_View::open (View.h): a view of the editor's size in the host's parent;
//   a key its client declines (viewEvent answers false) goes on to the host's
//   window as if the view were not there, a key the client takes never does;
//   the first exposure tells the client viewInWindow, the parent's
//   destruction viewParentGone;
// - the services below, which need no open view.

// Records the left button and Shift of an event the back end delivers, so
// that other threads (the audio thread) read them without a window call.
// Defined by the kit; every back end calls it.
void VIEW_NoteInput(const VIEW_Event& event);
// Notes the left button and Shift as a back end finds them when a popup menu
// has closed: the menu took the events of the press that opened it, its
// release among them. Defined by the kit; every back end calls it.
void VIEW_NoteMenuClosed(bool leftDown, bool shift);

// The chosen path, or empty when the panel was cancelled.
std::string VIEW_RunFilePanel(const VIEW_FilePanel& panel);
// A modal alert with the given buttons, the first the default. Returns the
// position of the button pressed (1 for the first), or 0 when dismissed.
int VIEW_MessageBox(const char* text, const char* caption, const std::vector<std::string>& buttons);
// Hands the URL to the desktop; false when that failed.
bool VIEW_OpenURL(const char* url);

// Where a sub-window of width pixels goes over a host window at (hostX, hostY)
// hostWidth wide: at its top, centred when the host's window is wider, else at
// its left edge. Defined by the kit.
void VIEW_SubWindowPlace(int hostX, int hostY, int hostWidth, int width, int* x, int* y);
// A borderless window of width x height over the host's window, placed by
// VIEW_SubWindowPlace and kept above it: the parent in which to open a view.
// Null when it cannot be made.
void* VIEW_OpenSubWindow(void* hostWindow, int width, int height);
void VIEW_CloseSubWindow(void* subWindow);
// Resizes the content of a host window to width x height; its top-left corner
// stays. False when that failed.
bool VIEW_ResizeHostWindow(void* window, int width, int height);
