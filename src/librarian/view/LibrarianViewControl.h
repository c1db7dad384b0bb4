#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "src/librarian/LibrarianRecords.h"
#include "toolkit/plugin/editor/IStockControls.h"

class LibrarianHost;
class PatchLibrarian;

// The librarian's bank view: two grids of 128 slot names, the upper list (the bank being edited)
// above the lower list (the source: a bank, a category or search results), 16 rows by 8 columns
// each, numbered down the columns. A click selects, a double click or an arrow key plays the slot
// on the synthesizer, a right click opens the slot menus, and a slot dragged from the lower list
// onto the upper one is copied there.
//
// It reaches the plug-in through the LibrarianHost the plug-in implements; made for a plug-in
// that is none, it only shows the lists. The selection is public: the tab switches, the menus and
// the incoming program changes move it, the last from the MIDI input thread.
class LibrarianViewControl : public CustomOverlayControl {
 public:
  static constexpr int kSlots = 128;
  enum List { kUpper = 0, kLower = 1 };

  // Over one frame of the bitmap at (x, y); `area` is where it takes clicks. `scale` is the GUI
  // scale (0.85, 1.0 or 1.15), which the geometry follows.
  LibrarianViewControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT area,
                       PatchLibrarian* librarian, double scale);
  ~LibrarianViewControl() override;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Ends a drag: dropped on an upper slot, the dragged slot is copied there.
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  // Drags the lower slot the left button went down on; a press elsewhere drags nothing.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  // The arrows move the key cursor, wrapping, and play the slot reached.
  bool OnKeyDown(int x, int y, int key) override;
  bool Draw(IGraphics* graphics) override;

  // Refill a list's slot names from the librarian (any thread).
  void patchSelectionUpperChanged();
  void patchSelectionLowerChanged();
  // Opens the rename of the selected upper slot.
  void renameSlot(int x, int y);
  // Picks up the lower slot at (x, y): Paste copies this record, whatever the lists show then.
  void CopySlotData(int x, int y);
  // Writes the record picked up last into the upper slot at (x, y).
  void PasteSlotData(int x, int y);
  // Draws the view once more after the next redraw.
  void setRedraw() { SetRedraw(); }

  // Where slot `slot` of `list` lies.
  IRECT slotRect(int list, int slot) const;
  // The name a slot shows.
  std::string slotText(int list, int slot) const;
  bool dragging() const { return mDragging; }

  std::atomic<int> upperSelection{0};  // -1: none
  std::atomic<int> lowerSelection{-1};
  std::atomic<int> activeList{kUpper};  // the list the last selection concerned
  std::atomic<int> keyCursor{0};        // the slot the arrows move from
  // Drags do nothing until the librarian page was shown.
  std::atomic<bool> dragEnabled{false};

 private:
  struct Hit {
    int list = -1;  // -1: no slot
    int slot = -1;
  };
  Hit hitTest(int x, int y) const;
  // Clears both selections and selects what (x, y) hits. With `activate` the hit list becomes
  // the active one; with `greySave` too the save layer is greyed for a lower hit and restored for
  // an upper one.
  Hit select(int x, int y, bool activate, bool greySave);
  // Clears the selection of `list` and selects its slot at (x, y), making it the active list:
  // the slot, or -1 when (x, y) is on none of that list.
  int pick(int list, int x, int y);
  // The selection of `list` (kUpper or kLower).
  std::atomic<int>& selection(int list) { return list == kUpper ? upperSelection : lowerSelection; }
  // The bank a list shows now; null for none. The caller holds the librarian's lock.
  PatchFile* fileOf(int list) const;
  // A copy of a lower slot's record; none when the slot holds no dump.
  std::optional<LibrarianPatch> lowerRecord(int slot) const;
  void refill(int list);
  // Copies `record` into the librarian's selected upper slot and marks the bank unsaved.
  void transfer(const LibrarianPatch& record);
  void play(int slot);
  void showLayer(const char* name, bool shown) const;

  LibrarianHost* mHost;
  PatchLibrarian* mLibrarian;
  double mScale;
  std::unique_ptr<ITextControl> mSlots[2][kSlots];
  IRECT mDragBox;
  std::atomic<bool> mDragging{false};
  int mDragBoxWidth;
  int mDragBoxHeight;
  int mPressed = -1;  // the lower slot under the left button's press, -1 for none
  std::optional<LibrarianPatch> mDragged;
  std::optional<LibrarianPatch> mCopied;
};
