#pragma once

#include <cstdint>

// What a host without a window system hands the editor-open call as the
// parent: the headless view fills in the functions on opening and clears them
// on closing, so that the host can run the editor's timer, send it mouse
// events and read its screen. Such a host sets KROMA_VIEW=headless first: a
// real host passes a window of its own there, which must never be read as a
// frame.
struct VIEW_HostFrame {
  static constexpr uint32_t kMagic = 0x4B564846;  // 'KVHF'
  enum Mouse { kDown = 0, kUp, kDrag, kDoubleClick, kWheel };
  enum Flags { kRight = 1, kShift = 2, kControl = 4, kAlt = 8, kCommand = 16 };

  uint32_t magic = kMagic;
  void* view = nullptr;
  void (*tick)(void* view) = nullptr;
  // flags: Flags; amount is the wheel step.
  void (*mouse)(void* view, int kind, int x, int y, int flags, int amount) = nullptr;
  // The screen's pixels (alpha in bits 0-7, red, green, blue), width x height.
  const uint32_t* (*screen)(void* view, int* width, int* height) = nullptr;

  // Set by the host before opening and kept by the view: answers a popup menu that nothing in
  // the plug-in's process answers, as the host's user would. `lines` is the menu as
  // VIEW_MenuLines gives it (platform/view/Menu.h); the result is the line chosen, -1 dismisses.
  void* host = nullptr;
  int (*menu)(void* host, const char* lines) = nullptr;

  // Whether this process's host hands frames as parents.
  static bool HostHandsFrames();
};
