#include "platform/view/Backend.h"
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
