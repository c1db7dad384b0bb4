#pragma once

#include "toolkit/wsys/WsysTypes.h"

class Kroma;

// Dialog helpers of the window-system layer that the plug-in keeps beside its editor: a message
// box (`MessageBoxProg` its procedure) opened from a registered dialog resource, centred on its
// parent. The resource "Enter Bank Name" (10014) is registered with them.
constexpr int kEnterBankNameDialog = 10014;

// Registers the plug-in's dialog resources, once per process; the plug-in's start-up calls it.
void registerDialogResources();
// Moves `moved` so that its centre lies on the centre of `reference`; its size and z-order stay.
void centerDialog(HWND reference, HWND moved);
// Centres the dialog when it opens; the command of button 1 ends it with 1.
long MessageBoxProg(HWND dialog, unsigned int message, unsigned long wParam, long lParam);
// Runs dialog resource `resourceId` modally over `parent`; its result.
long showMessageBox(HWND parent, Kroma* plug, int resourceId, void* param);
