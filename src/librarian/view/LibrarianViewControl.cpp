#include "src/librarian/view/LibrarianViewControl.h"

#include <mutex>

#include "src/config/ParameterIds.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianHost.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

constexpr int kRows = 16;
enum Key { kKeyUp = 1, kKeyDown = 2, kKeyLeft = 3, kKeyRight = 4 };
const IColor kSelectedFill(255, 225, 225, 225);
const IColor kSlotInk(255, 255, 255, 255);
const IColor kSelectedInk(255, 0, 0, 0);

int scaled(double value, double scale) {
  return static_cast<int>(value * scale);
}

bool isSlot(int slot) {
  return slot >= 0 && slot < LibrarianViewControl::kSlots;
}

// The slot the arrows reach from `cursor` (-1 counts as before slot 0).
int step(int cursor, int key) {
  const int c = cursor >= -1 && cursor < LibrarianViewControl::kSlots ? cursor : -1;
  switch (key) {
    case kKeyUp:
      return c < 1 ? 127 : c - 1;
    case kKeyDown:
      return c < 127 ? c + 1 : 0;
    case kKeyLeft:
      return c < kRows ? c + 112 : c - kRows;
    default:
      return c + kRows < 128 ? c + kRows : c - 112;
  }
}

}  // namespace

LibrarianViewControl::LibrarianViewControl(IPluginBase* plug, int x, int y, int paramIdx,
                                           IBitmap* bitmap, IRECT area, PatchLibrarian* librarian,
                                           double scale)
    : CustomOverlayControl(plug, x, y, paramIdx, bitmap, area),
      mHost(dynamic_cast<LibrarianHost*>(plug)),
      mLibrarian(librarian),
      mScale(scale),
      mDragBoxWidth(scaled(105, scale)),
      mDragBoxHeight(scaled(14, scale)) {
  IText style(scaled(13, scale), &kSlotInk, "NK57 Monospace", IText::kStyleNormal,
              IText::kAlignNear, 0, IText::kQualityDefault);
  for (int list : {kUpper, kLower}) {
    for (int slot = 0; slot < kSlots; ++slot)
      mSlots[list][slot] = std::make_unique<ITextControl>(plug, slotRect(list, slot), &style, "");
    refill(list);
  }
}

LibrarianViewControl::~LibrarianViewControl() = default;

IRECT LibrarianViewControl::slotRect(int list, int slot) const {
  const double s = mScale;
  const int width = s == 1.0 ? scaled(105, s) : scaled(106, s);
  const int height = scaled(14, s) + (s < 1.0 ? 1 : 0);
  const int columnStep = width + scaled(28, s);
  const int top = list == kUpper ? scaled(1, s) + (s != 1.0 ? 1 : 0)
                                 : scaled(274, s) + (s < 1.0 ? 2 : 0) + (s > 1.0 ? 1 : 0);
  const int left = mRECT.L + slot / kRows * columnStep;
  const int y = mRECT.T + top + slot % kRows * height;
  return IRECT(left, y, left + width, y + height);
}

LibrarianViewControl::Hit LibrarianViewControl::hitTest(int x, int y) const {
  Hit hit;
  for (int list : {kUpper, kLower})
    for (int slot = 0; slot < kSlots; ++slot)
      if (mSlots[list][slot]->GetRECT().Contains(x, y)) hit = Hit{list, slot};
  return hit;
}

LibrarianViewControl::Hit LibrarianViewControl::select(int x, int y, bool activate, bool greySave) {
  upperSelection = -1;
  lowerSelection = -1;
  const Hit hit = hitTest(x, y);
  if (hit.list < 0) return hit;
  selection(hit.list) = hit.slot;
  if (!activate) return hit;
  activeList = hit.list;
  if (!greySave) return hit;
  if (ControlLayer* save = mHost ? mHost->layerNamed("saveChangesLayer") : nullptr)
    save->GrayOut(hit.list == kLower);
  return hit;
}

void LibrarianViewControl::showLayer(const char* name, bool shown) const {
  if (ControlLayer* layer = mHost ? mHost->layerNamed(name) : nullptr) layer->Hide(!shown);
}

void LibrarianViewControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  mPressed = -1;
  if (!mLibrarian || !mod || (!mod->L && !mod->R)) return;
  SetDirty(false);
  if (mod->R) {
    const Hit hit = select(x, y, true, true);
    mLibrarian->selectedProgram = upperSelection.load();
    mLibrarian->lowerSelectedProgram = lowerSelection.load();
    if (!mHost) return;
    if (hit.list == kUpper)
      mHost->showFileEditMenu(x, y);
    else
      mHost->showFileCopyMenu(x, y);
    return;
  }
  if (mHost) mHost->setRenameFinished(true);
  showLayer("patchRename", false);
  const Hit hit = select(x, y, true, true);
  if (hit.list == kLower) mPressed = hit.slot;
  mLibrarian->selectedProgram = upperSelection.load();
  keyCursor = upperSelection.load();
  mLibrarian->lowerSelectedProgram = lowerSelection.load();
}

void LibrarianViewControl::OnMouseDblClick(int x, int y, IMouseMod*) {
  if (mHost) mHost->setRenameFinished(true);
  SetDirty(false);
  // No output port chosen: nothing to play on.
  const IParam* port = mPlug->GetParam(kDeviceOutSelection);
  if (!mHost || !port || port->Value() == 0.0) return;
  const Hit hit = select(x, y, true, true);
  keyCursor = hit.slot;
  selection(activeList) = hit.slot;
  if (hit.slot >= 0) play(hit.slot);
}

bool LibrarianViewControl::OnKeyDown(int, int, int key) {
  if (mHost) mHost->setRenameFinished(true);
  if (!mLibrarian || key < kKeyUp || key > kKeyRight) return false;
  const int slot = step(keyCursor, key);
  keyCursor = slot;
  selection(activeList) = slot;
  // The selected program is the slot the menus act on: it follows the highlight.
  (activeList == kUpper ? mLibrarian->selectedProgram : mLibrarian->lowerSelectedProgram) = slot;
  SetDirty(false);
  if (upperSelection < 0 && lowerSelection < 0) return false;
  play(slot);
  return true;
}

void LibrarianViewControl::play(int slot) {
  if (mHost) mHost->sendPatchToDeviceFromLibrarian(slot, activeList, mHost->currentPart());
}

void LibrarianViewControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) {
  SetDirty(false);
  if (!dragEnabled) return;
  mDragBox.L = x - mDragBoxWidth / 2;
  mDragBox.T = y - mDragBoxHeight / 2;
  mDragBox.R = mDragBox.L + mDragBoxWidth;
  mDragBox.B = mDragBox.T + mDragBoxHeight;
  // The slot pressed, not the one under the first drag position: rows are a few pixels high.
  if (mDragging || mPressed < 0) return;
  mDragged = lowerRecord(mPressed);
  mDragging = true;
}

void LibrarianViewControl::OnMouseUp(int x, int y, IMouseMod*) {
  mPressed = -1;
  SetDirty(false);
  if (!mDragging || !mLibrarian) return;
  mDragging = false;
  const Hit hit = select(x, y, true, false);
  const int target = hit.list == kUpper ? hit.slot : -1;
  mLibrarian->selectedProgram = target;
  if (target >= 0 && mDragged) transfer(*mDragged);
  mDragged.reset();
}

int LibrarianViewControl::pick(int list, int x, int y) {
  selection(list) = -1;
  const Hit hit = hitTest(x, y);
  if (hit.list != list) return -1;
  selection(list) = hit.slot;
  activeList = list;
  return hit.slot;
}

void LibrarianViewControl::CopySlotData(int x, int y) {
  mCopied = lowerRecord(pick(kLower, x, y));
}

void LibrarianViewControl::PasteSlotData(int x, int y) {
  SetDirty(false);
  if (!mLibrarian) return;
  const int target = pick(kUpper, x, y);
  mLibrarian->selectedProgram = target;
  if (target >= 0 && mCopied) transfer(*mCopied);
}

void LibrarianViewControl::transfer(const LibrarianPatch& record) {
  bool stored;
  {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian->mutex());
    stored = mLibrarian->setSysexDatatoSelectedSlot(&record);
  }
  if (!stored) return;
  refill(kUpper);
  if (mHost) mHost->SetLibrarianStatusUnsaved(true);
}

void LibrarianViewControl::renameSlot(int, int) {
  if (mHost) mHost->setRenameFinished(false);
  const int slot = upperSelection;
  if (!isSlot(slot) || !mLibrarian) return;
  activeList = kUpper;
  std::string name;
  {
    std::lock_guard<std::recursive_mutex> lock(mLibrarian->mutex());
    PatchFile* file = fileOf(kUpper);
    if (!file) return;
    if (file->records.size() < static_cast<size_t>(kSlots)) file->records.resize(kSlots);
    const LibrarianPatch& record = file->records[slot];
    if (record.messages.empty()) return;
    name = drawnName(record.name);
  }
  if (IParam* param = mPlug->GetParam(kPatchRename)) param->SetDisplayText(0, name.c_str());
  showLayer("patchRename", true);
}

PatchFile* LibrarianViewControl::fileOf(int list) const {
  return mLibrarian->listedFile(list, mHost ? mHost->lowerListKind() : -1);
}

std::optional<LibrarianPatch> LibrarianViewControl::lowerRecord(int slot) const {
  if (!mLibrarian) return std::nullopt;
  std::lock_guard<std::recursive_mutex> lock(mLibrarian->mutex());
  const PatchFile* file = fileOf(kLower);
  if (!file || !isSlot(slot) || slot >= static_cast<int>(file->records.size()) ||
      file->records[slot].messages.empty())
    return std::nullopt;
  return file->records[slot];
}

void LibrarianViewControl::refill(int list) {
  SetDirty(false);
  if (!mLibrarian) return;
  std::lock_guard<std::recursive_mutex> lock(mLibrarian->mutex());
  const PatchFile* file = fileOf(list);
  const int count = file ? static_cast<int>(file->records.size()) : 0;
  for (int slot = 0; slot < kSlots; ++slot)
    mSlots[list][slot]->SetTextFromPlug(slot < count ? drawnName(file->records[slot].name).c_str()
                                                     : "");
}

void LibrarianViewControl::patchSelectionUpperChanged() {
  refill(kUpper);
}

void LibrarianViewControl::patchSelectionLowerChanged() {
  refill(kLower);
}

std::string LibrarianViewControl::slotText(int list, int slot) const {
  TK_String text;
  if (list >= kUpper && list <= kLower && isSlot(slot)) mSlots[list][slot]->GetTextForPlug(&text);
  return text.Get();
}

bool LibrarianViewControl::Draw(IGraphics* graphics) {
  IBitmapControl::Draw(graphics);
  for (int list : {kUpper, kLower}) {
    const int selected = selection(list);
    if (isSlot(selected)) {
      IRECT rect = mSlots[list][selected]->GetRECT();
      graphics->FillIRect(&kSelectedFill, &rect);
    }
    for (int slot = 0; slot < kSlots; ++slot) {
      ITextControl* text = mSlots[list][slot].get();
      if (slot != selected) {
        text->Draw(graphics);
        continue;
      }
      text->GetText()->mColor = kSelectedInk;
      text->Draw(graphics);
      text->GetText()->mColor = kSlotInk;
    }
  }
  if (mDragging) graphics->FillIRect(&kSelectedFill, &mDragBox);
  return true;
}
