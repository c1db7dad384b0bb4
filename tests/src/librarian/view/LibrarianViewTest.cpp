#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <tuple>

#include "LibrarianRig.h"
#include "platform/view/headless/Script.h"
#include "src/config/ParameterIds.h"
#include "src/librarian/view/EditMenus.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/gfx/Modes.h"

namespace {

using banks::trimmed;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
enum { kUpper, kLower };

class View : public ::testing::Test {
 protected:
  View() {
    upper = banks::add(rig.librarian, "Upper.syx", banks::records("Up", 100));
    banks::add(rig.librarian, "A.syx", banks::records("A"));
    banks::add(rig.librarian, "B.syx", banks::records("B"));
    rig.librarian.lowerFileIndex = 1;
    view = rig.makeView();
  }
  // The middle of a slot.
  int x(int list, int slot) const { return view->slotRect(list, slot).L + 3; }
  int y(int list, int slot) const { return view->slotRect(list, slot).T + 3; }
  void click(int list, int slot, IMouseMod mod = IMouseMod(true)) {
    view->OnMouseDown(x(list, slot), y(list, slot), &mod);
  }
  std::string upperName(int slot) { return trimmed(upper->records[slot].name); }

  LibrarianRig rig;
  PatchFile* upper;
  LibrarianViewControl* view;
};

TEST(ViewGeometry, SlotsRunDownEightColumnsOfSixteenAtEachScale) {
  const struct {
    double scale;
    int list, slot;
    IRECT expected;  // from the view's corner
  } cases[] = {
      {0.85, kUpper, 17, IRECT(113, 13, 203, 25)},
      {1.0, kLower, 127, IRECT(931, 484, 1036, 498)},
      {1.15, kLower, 16, IRECT(153, 316, 274, 332)},
  };
  for (const auto& c : cases) {
    LibrarianRig rig(c.scale);
    const LibrarianViewControl* view = rig.makeView();
    const IRECT r = view->slotRect(c.list, c.slot), origin = view->GetRECT();
    EXPECT_EQ(IRECT(r.L - origin.L, r.T - origin.T, r.R - origin.L, r.B - origin.T), c.expected)
        << c.scale << " slot " << c.slot;
  }
}

// Column width, row height, column step and the tops of both grids at each scale; the corner
// slots of both lists follow from them.
TEST(ViewGeometry, EachScaleHasItsOwnGrid) {
  const struct {
    double scale;
    int width, height, step, upperTop, lowerTop;
  } grids[] = {
      {0.85, 90, 12, 113, 1, 234},
      {1.0, 105, 14, 133, 1, 274},
      {1.15, 121, 16, 153, 2, 316},
  };
  for (const auto& g : grids) {
    LibrarianRig rig(g.scale);
    const LibrarianViewControl* view = rig.makeView();
    const IRECT origin = view->GetRECT();
    for (int list : {kUpper, kLower})
      for (int slot : {0, 15, 16, 127}) {
        const int left = origin.L + slot / 16 * g.step;
        const int top =
            origin.T + (list == kUpper ? g.upperTop : g.lowerTop) + slot % 16 * g.height;
        EXPECT_EQ(view->slotRect(list, slot), IRECT(left, top, left + g.width, top + g.height))
            << g.scale << " list " << list << " slot " << slot;
      }
  }
}

TEST_F(View, ArrowsWrapAroundTheGridAndPlayTheSlotReached) {
  const struct {
    int from, key, to;
  } cases[] = {{0, 1, 127}, {0, 3, 112},   {127, 2, 0},  {120, 4, 8},  {5, 2, 6},     {20, 3, 4},
               {1, 1, 0},   {126, 2, 127}, {15, 3, 127}, {16, 3, 0},   {111, 4, 127}, {112, 4, 0},
               {-1, 2, 0},  {-1, 4, 15},   {-1, 1, 127}, {-1, 3, 111}, {128, 4, 15},  {-7, 2, 0}};
  for (const auto& c : cases) {
    view->keyCursor = c.from;
    EXPECT_TRUE(view->OnKeyDown(0, 0, c.key));
    EXPECT_EQ(view->upperSelection, c.to) << c.from << " key " << c.key;
    EXPECT_EQ(rig.librarian.selectedProgram, c.to) << "the menus act on the highlighted slot";
    EXPECT_THAT(rig.take(), ElementsAre("play " + std::to_string(c.to) + " 0 0"));
  }
}

TEST_F(View, ClicksSelectTheSlotTheMenusActOnAndDoubleClicksPlayIt) {
  rig.renameFinished = false;
  rig.layers["patchRename"]->Hide(false);
  rig.part = 3;
  click(kUpper, 5);
  EXPECT_EQ(rig.librarian.selectedProgram, 5);
  EXPECT_TRUE(rig.renameFinished);
  EXPECT_FALSE(rig.layers["patchRename"]->IsVisible()) << "a click abandons an open rename";

  click(kLower, 3);
  EXPECT_EQ(rig.librarian.lowerSelectedProgram, 3);
  EXPECT_EQ(view->keyCursor, -1);
  EXPECT_TRUE(view->OnKeyDown(0, 0, 2));  // down from no slot: lower slot 0

  view->OnMouseDblClick(x(kUpper, 9), y(kUpper, 9), nullptr);
  view->OnMouseDblClick(x(kUpper, 0), y(kUpper, 0), nullptr);
  // The port chosen decides, not whether it opened: the plug-in refuses to play on its own.
  rig.midiOut = false;
  view->OnMouseDblClick(x(kUpper, 8), y(kUpper, 8), nullptr);
  rig.param(kDeviceOutSelection)->Set(0.0);
  view->OnMouseDblClick(x(kUpper, 7), y(kUpper, 7), nullptr);
  EXPECT_EQ(view->upperSelection, 8) << "no port: the double click selects nothing";
  // A right click selects the slot the menu then acts on.
  click(kUpper, 4, IMouseMod(false, true));
  EXPECT_EQ(rig.librarian.selectedProgram, 4);
  click(kLower, 4, IMouseMod(false, true));
  EXPECT_EQ(rig.librarian.lowerSelectedProgram, 4);
  EXPECT_EQ(rig.librarian.selectedProgram, -1);
  EXPECT_EQ(view->activeList, kLower);
  view->OnMouseDown(x(kUpper, 2), y(kUpper, 2), nullptr);
  IMouseMod none(false, false);
  view->OnMouseDown(x(kUpper, 2), y(kUpper, 2), &none);
  EXPECT_EQ(view->upperSelection, -1) << "no button, no selection";
  auto menu = [&](const char* name, int list) {
    return std::string(name) + " " + std::to_string(x(list, 4)) + " " + std::to_string(y(list, 4));
  };
  EXPECT_THAT(rig.take(), ElementsAre("play 0 1 3", "play 9 0 3", "play 0 0 3", "play 8 0 3",
                                      menu("edit menu", kUpper), menu("copy menu", kLower)));
}

TEST_F(View, PasteAndDropCopyTheRecordPickedUpEvenAfterTheLowerListChanged) {
  view->PasteSlotData(x(kUpper, 7), y(kUpper, 7));
  EXPECT_THAT(rig.take(), IsEmpty()) << "nothing was copied yet";

  view->CopySlotData(x(kLower, 2), y(kLower, 2));
  rig.librarian.lowerFileIndex = 2;
  view->patchSelectionLowerChanged();
  view->PasteSlotData(x(kUpper, 7), y(kUpper, 7));
  EXPECT_EQ(upperName(7), "A2");
  EXPECT_EQ(trimmed(view->slotText(kUpper, 7)), "A2");
  EXPECT_THAT(rig.take(), ElementsAre("unsaved 1"));

  auto drag = [&](int list, int slot) {
    view->OnMouseDrag(x(list, slot), y(list, slot), 1, 1, nullptr);
  };
  auto drop = [&](int list, int slot) { view->OnMouseUp(x(list, slot), y(list, slot), nullptr); };
  click(kLower, 4);
  drag(kLower, 4);
  EXPECT_FALSE(view->dragging()) << "not before the librarian page was shown";
  view->dragEnabled = true;
  click(kUpper, 4);
  drag(kLower, 4);
  EXPECT_FALSE(view->dragging()) << "only a lower slot pressed is dragged";
  IControl* store = new IInvisibleSwitchControl(&rig, IRECT(0, 0, 1, 1), -1);
  rig.layers["saveChangesLayer"]->controls.Add(store);
  click(kLower, 4);
  ASSERT_TRUE(store->IsGrayed());
  drag(kLower, 4);
  rig.librarian.lowerFileIndex = 1;
  drop(kUpper, 1);
  EXPECT_EQ(upperName(1), "B4");
  EXPECT_EQ(view->activeList, kUpper);
  EXPECT_TRUE(store->IsGrayed()) << "a drop leaves the save layer as it is";
  click(kLower, 5);
  drag(kLower, 5);
  drop(kLower, 6);
  EXPECT_EQ(upperName(6), "Up6") << "a drop outside the upper list copies nothing";
  EXPECT_THAT(rig.take(), ElementsAre("unsaved 1"));
}

// The first and the last slot take a paste or a drop like any other.
TEST_F(View, PastesReachTheFirstAndTheLastSlot) {
  view->CopySlotData(x(kLower, 3), y(kLower, 3));
  for (int slot : {0, 127}) {
    view->PasteSlotData(x(kUpper, slot), y(kUpper, slot));
    EXPECT_EQ(upperName(slot), "A3") << slot;
    EXPECT_EQ(rig.librarian.selectedProgram, slot);
  }
  view->dragEnabled = true;
  for (int slot : {0, 127}) {
    click(kLower, 5);
    view->OnMouseDrag(x(kLower, 5), y(kLower, 5), 1, 1, nullptr);
    view->OnMouseUp(x(kUpper, slot), y(kUpper, slot), nullptr);
    EXPECT_EQ(upperName(slot), "A5") << slot;
  }
  EXPECT_THAT(rig.take(), ElementsAre("unsaved 1", "unsaved 1", "unsaved 1", "unsaved 1"));
}

// A copy or paste whose point lies outside the list it concerns picks no slot: nothing is copied,
// nothing is stored, and that list keeps no selection.
TEST_F(View, CopyAndPasteOutsideTheirListPickNothing) {
  view->CopySlotData(x(kUpper, 2), y(kUpper, 2));
  EXPECT_EQ(view->lowerSelection, -1);
  view->PasteSlotData(x(kUpper, 0), y(kUpper, 0));
  EXPECT_EQ(upperName(0), "Up0") << "nothing was copied";

  view->CopySlotData(x(kLower, 3), y(kLower, 3));
  view->PasteSlotData(x(kLower, 0), y(kLower, 0));
  EXPECT_EQ(rig.librarian.selectedProgram, -1);
  EXPECT_EQ(view->upperSelection, -1);
  for (int slot = 0; slot < 100; ++slot) ASSERT_EQ(upperName(slot), "Up" + std::to_string(slot));
  EXPECT_THAT(rig.take(), IsEmpty());
}

// The slot menus open where the right click was: Copy takes the lower slot there, Paste stores it
// into the upper slot there, Rename opens the name of the upper slot selected.
TEST_F(View, TheSlotMenusCopyPasteAndRenameAtTheClickedSlot) {
  FileCopyPopupMenu copy(&rig, &rig.librarian, IRECT(50, 60, 50, 60), &rig);
  FileEditPopupMenu edit(&rig, &rig.librarian, IRECT(50, 60, 50, 60), &rig);
  auto choose = [&](IControl& menu, int item, int list, int slot) {
    VIEW_Script::instance().answerMenu({item});
    IMouseMod right(false, true);
    menu.OnMouseDown(x(list, slot), y(list, slot), &right);
  };
  choose(copy, 0, kLower, 3);
  choose(edit, 0, kUpper, 7);
  EXPECT_EQ(upperName(7), "A3");
  EXPECT_EQ(rig.librarian.selectedProgram, 7);
  EXPECT_THAT(rig.take(), ElementsAre("unsaved 1"));

  click(kUpper, 12);
  choose(edit, 2, kUpper, 12);
  EXPECT_TRUE(rig.layers["patchRename"]->IsVisible());
  EXPECT_EQ(trimmed(rig.param(kPatchRename)->GetDisplayText(0)), "Up12");
}

// Whatever the mouse or the keys do on the lists, the view asks to be drawn again, also when a
// drop or a paste outside the upper list stores nothing.
TEST_F(View, EveryMouseAndKeyStepAsksForARedraw) {
  view->dragEnabled = true;
  IMouseMod left(true), right(false, true);
  const std::pair<const char*, std::function<void()>> steps[] = {
      {"click", [&] { click(kUpper, 3); }},
      {"right click", [&] { click(kLower, 3, right); }},
      {"double click", [&] { view->OnMouseDblClick(x(kUpper, 4), y(kUpper, 4), &left); }},
      {"arrow", [&] { view->OnKeyDown(0, 0, 2); }},
      {"drag", [&] { view->OnMouseDrag(x(kLower, 5), y(kLower, 5), 1, 1, &left); }},
      {"drop", [&] { view->OnMouseUp(x(kLower, 6), y(kLower, 6), &left); }},
      {"paste", [&] { view->PasteSlotData(x(kLower, 7), y(kLower, 7)); }},
      {"list change", [&] { view->patchSelectionLowerChanged(); }},
  };
  for (const auto& [what, step] : steps) {
    IRECT all(0, 0, rig.graphics->Width(), rig.graphics->Height());
    rig.graphics->Draw(&all);
    IRECT region;
    ASSERT_FALSE(rig.graphics->IsDirty(&region)) << what;
    step();
    EXPECT_TRUE(rig.graphics->IsDirty(&region)) << what;
    EXPECT_TRUE(region.Contains(view->GetRECT().L, view->GetRECT().T)) << what;
  }
}

// The selected slot of each list is filled light grey with its name in black; the others show
// the picture beneath, their names in white; a drag box is filled grey around the mouse.
TEST_F(View, TheSelectedSlotsAndTheDragBoxAreDrawnLightGrey) {
  const unsigned int grey = GFX_Pixel(255, 225, 225, 225);
  auto pixel = [&](int px, int py) { return GFX_GetPixel(rig.graphics->GetBackBuffer(), px, py); };
  auto draw = [&] {
    IRECT all(0, 0, rig.graphics->Width(), rig.graphics->Height());
    rig.graphics->Draw(&all);
  };
  // Whether any pixel of the slot's text band is black ink (exactly: it lies on the opaque fill)
  // or white ink (nearly: blended onto the picture) in all three channels; the picture beneath
  // has no blue and the fill is 225 grey.
  auto inked = [&](int list, int slot, bool dark) {
    const IRECT r = view->slotRect(list, slot);
    for (int py = r.T; py < r.B; ++py)
      for (int px = r.L; px < r.L + 30; ++px) {
        const unsigned int v = pixel(px, py);
        const int channels[] = {int(v >> 24), int(v >> 16 & 255), int(v >> 8 & 255)};
        if (std::all_of(std::begin(channels), std::end(channels),
                        [dark](int c) { return dark ? c == 0 : c >= 240; }))
          return true;
      }
    return false;
  };
  click(kUpper, 5);
  view->lowerSelection = 20;
  draw();
  for (const auto& [list, slot, selected] :
       {std::tuple{kUpper, 5, true}, {kLower, 20, true}, {kUpper, 6, false}, {kLower, 21, false}}) {
    const IRECT r = view->slotRect(list, slot);
    EXPECT_EQ(pixel(r.R - 2, r.B - 2) == grey, selected) << list << " " << slot;
    EXPECT_TRUE(!selected || inked(list, slot, true)) << list << " " << slot;
    EXPECT_EQ(inked(list, slot, false), !selected) << list << " " << slot;
  }
  click(kUpper, 6);
  draw();
  EXPECT_TRUE(inked(kUpper, 5, false)) << "the ink turns white again";
  // Between the columns the picture beneath shows (its pixel (x, y) has red x and green y).
  const IRECT& area = view->GetRECT();
  EXPECT_EQ(pixel(area.L + 110, area.T + 100), GFX_Pixel(255, 110, 100, 0));

  // The box follows the mouse away from the slot the drag started on (which is selected).
  view->dragEnabled = true;
  click(kLower, 40);
  view->OnMouseDrag(x(kLower, 40), y(kLower, 40), 1, 1, nullptr);
  const int mx = x(kLower, 100), my = y(kLower, 100);
  view->OnMouseDrag(mx, my, 1, 1, nullptr);
  draw();
  // 105 x 14 at scale 1.0, centred on the mouse.
  EXPECT_EQ(pixel(mx - 52, my - 7), grey);
  EXPECT_NE(pixel(mx - 53, my), grey);
  EXPECT_TRUE(view->Draw(rig.graphics)) << "a draw reports it drew";
  EXPECT_EQ(pixel(mx + 52, my + 6), grey);
  EXPECT_NE(pixel(mx + 53, my + 6), grey);
  EXPECT_NE(pixel(mx + 40, my + 7), grey);
  view->OnMouseUp(x(kUpper, 3), y(kUpper, 3), nullptr);
  draw();
  EXPECT_NE(pixel(mx + 40, my), grey) << "no box after the drop";
}

TEST_F(View, SlotTextsAreThoseOfTheListsBanksAndNoneOutsideTheLists) {
  EXPECT_EQ(trimmed(view->slotText(kUpper, 99)), "Up99");
  EXPECT_EQ(view->slotText(kUpper, 100), "") << "past the upper bank's end";
  EXPECT_EQ(trimmed(view->slotText(kLower, 127)), "A127");
  for (const auto& [list, slot] : {std::pair{-1, 0}, {2, 0}, {kUpper, -1}, {kLower, 128}})
    EXPECT_EQ(view->slotText(list, slot), "") << list << " " << slot;
}

TEST_F(View, RenameOpensOnASlotWithADumpAndPadsTheBank) {
  click(kUpper, 110);
  view->renameSlot(0, 0);
  EXPECT_FALSE(rig.layers["patchRename"]->IsVisible()) << "an empty slot has no name to edit";
  EXPECT_EQ(upper->records.size(), 128u);
  click(kUpper, 12);
  view->renameSlot(0, 0);
  EXPECT_FALSE(rig.renameFinished);
  EXPECT_TRUE(rig.layers["patchRename"]->IsVisible());
  EXPECT_EQ(trimmed(rig.param(kPatchRename)->GetDisplayText(0)), "Up12");
}

}  // namespace
