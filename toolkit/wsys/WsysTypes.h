#pragma once

#include <cstdint>

// Handles, rectangles and flag values of the window-system layer.

struct RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct WSYS_Window;
struct WSYS_DC;
struct WSYS_GdiObject;

typedef WSYS_Window* HWND;
typedef WSYS_DC* HDC;
typedef WSYS_GdiObject* HGDIOBJ;
typedef HGDIOBJ HFONT;
typedef uint32_t COLORREF;  // 0x00BBGGRR

// Pens, brushes, fonts and bitmaps share one base so that DeleteObject frees any of them.
struct WSYS_GdiObject {
  virtual ~WSYS_GdiObject() = default;
};

// Text flags of DrawText.
enum : unsigned int {
  DT_LEFT = 0,
  DT_TOP = 0,
  DT_CALCRECT = 1,
  DT_VCENTER = 2,
  DT_CENTER = 4,
  DT_BOTTOM = 0x10,
  DT_RIGHT = 0x20,
  DT_NOCLIP = 0x100,
  WSYS_DT_FGALPHA = 0x40000000,  // weight the text by the text colour's alpha
};

// Font weights and qualities of CreateFont.
enum : int {
  FW_NORMAL = 400,
  FW_BOLD = 700,
  DEFAULT_QUALITY = 0,
  NONANTIALIASED_QUALITY = 3,
  ANTIALIASED_QUALITY = 4,
};

// SetWindowPos flags: 1 keeps the position, 2 the size, 4 the z-order.
enum : int { SWP_NOMOVE = 1, SWP_NOSIZE = 2, SWP_NOZORDER = 4 };

// Virtual keys that the plug-in asks about.
enum : int { VK_LBUTTON = 1, VK_SHIFT = 16 };

// Dialog messages and command ids.
enum : unsigned int { WM_INITDIALOG = 0x110, WM_COMMAND = 0x111 };
enum : int { IDOK = 1, IDCANCEL = 2 };
