#include "toolkit/wsys/Dialog.h"

#include <atomic>
#include <mutex>

#include "toolkit/heapbuf.h"

namespace {

struct Registered {
  int index;
  const WSYS_DialogResource* resource;
};

struct Placement {
  float xscale = 1, yscale = 1, xoffs = 0, yoffs = 0;
  HWND parent = nullptr;
};

std::mutex gLock;
// Owns its entries, so that nothing is left over at exit.
struct Registry {
  TK_PtrList<Registered> list;
  ~Registry() { list.Empty(true); }
};

Registry gResources;
std::atomic<WSYS_DialogRunner> gRunner{nullptr};
TK_TypedBuf<int> gCommands(64);
Placement gPlacement;

const WSYS_DialogResource* findResource(int index, int id) {
  std::lock_guard<std::mutex> lock(gLock);
  for (int i = 0; i < gResources.list.GetSize(); ++i) {
    const Registered* entry = gResources.list.Get(i);
    if (entry->index == index && entry->resource->id == id) return entry->resource;
  }
  return nullptr;
}

bool takeCommand(int* id) {
  std::lock_guard<std::mutex> lock(gLock);
  const int count = gCommands.GetSize();
  if (count == 0) return false;
  int* queue = gCommands.Get();
  *id = queue[0];
  for (int i = 1; i < count; ++i) queue[i - 1] = queue[i];
  gCommands.Resize(count - 1);
  return true;
}

int scaled(float value, float scale, float offset) {
  return (int)(value * scale + offset);
}

HWND makeDialog(const WSYS_DialogResource& resource, HWND parent) {
  const RECT size = {0, 0, scaled((float)resource.width, resource.scale, 0),
                     scaled((float)resource.height, resource.scale, 0)};
  HWND dialog = WSYS_CreateWindow(parent, &size, resource.id, resource.title);
  CenterWindow(dialog);
  WSYS_MakeSetCurParms(resource.scale, resource.scale, 0, 0, dialog, true, false);
  WSYS_GenerateDialogFromList(resource.items, resource.itemCount);
  return dialog;
}

}  // namespace

bool WSYS_RegisterDialog(int resourceIndex, const WSYS_DialogResource* resource) {
  if (!resource) return false;
  std::lock_guard<std::mutex> lock(gLock);
  return gResources.list.Add(new Registered{resourceIndex, resource}) != nullptr;
}

long WSYS_DialogBox(int resourceIndex, int resourceId, HWND parent, DLGPROC proc, long param) {
  const WSYS_DialogResource* resource = findResource(resourceIndex, resourceId);
  if (!resource || !proc) return -1;
  HWND dialog = makeDialog(*resource, parent);
  proc(dialog, WM_INITDIALOG, 0, param);
  auto deliver = [&] {
    int command = 0;
    while (!dialog->ended && takeCommand(&command)) proc(dialog, WM_COMMAND, (unsigned)command, 0);
  };
  deliver();
  const WSYS_DialogRunner runner = gRunner.load();
  if (!dialog->ended && runner)
    runner(dialog, [&](int id) {
      WSYS_PostDialogCommand(id);
      deliver();
    });
  if (!dialog->ended) proc(dialog, WM_COMMAND, IDCANCEL, 0);
  if (!dialog->ended) EndDialog(dialog, IDCANCEL);
  const long result = dialog->result;
  DestroyWindow(dialog);
  return result;
}

bool EndDialog(HWND dialog, int result) {
  if (!dialog) return false;
  dialog->ended = true;
  dialog->result = result;
  return true;
}

void WSYS_PostDialogCommand(int id) {
  std::lock_guard<std::mutex> lock(gLock);
  const int count = gCommands.GetSize();
  if (gCommands.Resize(count + 1)) gCommands.Get()[count] = id;
}

void WSYS_SetDialogRunner(WSYS_DialogRunner runner) {
  gRunner = runner;
}

void WSYS_MakeSetCurParms(float xscale, float yscale, float xoffs, float yoffs, HWND parent,
                          bool /*doAuto*/, bool /*dynamic*/) {
  std::lock_guard<std::mutex> lock(gLock);
  gPlacement = {xscale, yscale, xoffs, yoffs, parent};
}

int WSYS_GenerateDialogFromList(const WSYS_DialogItem* list, int count) {
  Placement p;
  {
    std::lock_guard<std::mutex> lock(gLock);
    p = gPlacement;
  }
  if (!list || !p.parent) return 0;
  int made = 0;
  for (int i = 0; i < count; ++i, ++made) {
    const WSYS_DialogItem& item = list[i];
    const RECT r = {scaled((float)item.x, p.xscale, p.xoffs),
                    scaled((float)item.y, p.yscale, p.yoffs),
                    scaled((float)(item.x + item.width), p.xscale, p.xoffs),
                    scaled((float)(item.y + item.height), p.yscale, p.yoffs)};
    HWND control = WSYS_CreateWindow(p.parent, &r, item.id, item.text);
    control->kind.Set(item.kind);
  }
  return made;
}
