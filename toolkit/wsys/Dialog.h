#pragma once

#include <functional>

#include "toolkit/wsys/Window.h"

typedef long (*DLGPROC)(HWND dialog, unsigned int message, unsigned long wParam, long lParam);

// One control of a dialog resource, in dialog units.
struct WSYS_DialogItem {
  const char* kind;  // "static", "edit", "button", ...
  const char* text;
  int id;
  int x, y, width, height;
};

// A dialog resource: size in dialog units, the factor its controls are scaled by, and its
// controls. Registered resources are referred to, not copied.
struct WSYS_DialogResource {
  int id;
  const char* title;
  int width, height;
  float scale;
  const WSYS_DialogItem* items;
  int itemCount;
};

bool WSYS_RegisterDialog(int resourceIndex, const WSYS_DialogResource* resource);

// Runs a modal dialog built from a registered resource: the procedure gets WM_INITDIALOG with
// param, then a WM_COMMAND for each command posted, until it calls EndDialog. Commands posted
// beforehand come first; then, where a window back end registered a runner, the dialog shows on
// the screen and each button pressed there posts its command. When the commands run out (or the
// window is closed) first, the dialog is cancelled (WM_COMMAND IDCANCEL, then
// EndDialog(IDCANCEL) if the procedure did not end it). Returns the result; -1 for an unknown
// resource or a missing procedure.
long WSYS_DialogBox(int resourceIndex, int resourceId, HWND parent, DLGPROC proc, long param);
bool EndDialog(HWND dialog, int result);

// Queues a command id (a pressed button) for the running or next dialog.
void WSYS_PostDialogCommand(int id);

// Shows a built dialog (its controls are its children, each with its kind, id and text) and runs
// it until the procedure ends it (dialog->ended): a button pressed calls command with its id, text
// typed into an edit control is that control's text, and closing the window returns. False when
// nothing could be shown.
typedef bool (*WSYS_DialogRunner)(HWND dialog, const std::function<void(int id)>& command);
// The window back end's runner; null: dialogs answer only posted commands.
void WSYS_SetDialogRunner(WSYS_DialogRunner runner);

// Sets how WSYS_GenerateDialogFromList places controls: x' = x * xscale + xoffs (y alike),
// relative to parent. doAuto and dynamic ask for automatic layout updates, which fixed
// window records do not need.
void WSYS_MakeSetCurParms(float xscale, float yscale, float xoffs, float yoffs, HWND parent,
                          bool doAuto, bool dynamic);
// Makes a child window of the current parent for each item; returns how many were made.
int WSYS_GenerateDialogFromList(const WSYS_DialogItem* list, int count);
