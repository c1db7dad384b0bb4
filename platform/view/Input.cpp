#include "platform/view/Backend.h"

#include <cmath>

#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/WsysTypes.h"

void VIEW_NoteInput(const VIEW_Event& event) {
  switch (event.type) {
    case VIEW_Event::kMouseDown:
    case VIEW_Event::kMouseDrag:
      if (event.button == VIEW_Event::kLeft) WSYS_SetKeyState(VK_LBUTTON, true);
      break;
    case VIEW_Event::kMouseUp:
      if (event.button == VIEW_Event::kLeft) WSYS_SetKeyState(VK_LBUTTON, false);
      break;
    case VIEW_Event::kDeactivate:
      WSYS_SetKeyState(VK_LBUTTON, false);
      WSYS_SetKeyState(VK_SHIFT, false);
      return;
    default:
      break;
  }
  WSYS_SetKeyState(VK_SHIFT, event.mods.shift);
}

void VIEW_NoteMenuClosed(bool leftDown, bool shift) {
  VIEW_Event state;
  state.type = leftDown ? VIEW_Event::kMouseDown : VIEW_Event::kMouseUp;
  state.button = VIEW_Event::kLeft;
  state.mods.shift = shift;
  VIEW_NoteInput(state);
}

void VIEW_SubWindowPlace(int hostX, int hostY, int hostWidth, int width, int* x, int* y) {
  *x = hostX + (hostWidth > width ? (int)std::floor((hostWidth - width) * 0.5) : 0);
  *y = hostY;
}
