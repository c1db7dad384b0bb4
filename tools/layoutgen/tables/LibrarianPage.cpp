#include "tools/layoutgen/detail/tables/Pages.h"
#include "tools/layoutgen/tables/ImageSizes.h"

namespace layout_tables {
namespace {

// The bank view: the edited bank above the source bank, 8 columns of 16 slots each; the plug-in
// core's folder menus lie over the strips above the two lists, its bank edit menu beside the
// upper one, and the transfer's cancel button to the right of the lower one.
constexpr At kBrowser{100, 214};
constexpr int kUpperMenuTop = 188;
// Where the plug-in core's folder menus begin.
constexpr int kBankName = 394;
constexpr int kLowerMenuTop = 461;
constexpr Box kLibrary{1150, 104, 340, 196};
constexpr Box kFind{1150, 310, 340, 130};
constexpr Box kTransfer{1150, 450, 340, 254};
static_assert(kBrowser.y + 498 <= kPageBottom, "the bank view ends above the quick mixer");

// What the plug-in core's invisible menus pick, printed on the page where they lie.
Element menuWell(const std::string& text, const Box& box) {
  return Element("well").attr("text", text).attr("bounds", {box.x, box.y, box.w, box.h});
}

// A list's row: what it holds, stepping through the bank files, and the name of the one shown,
// which the plug-in core's folder menu lies over and opens on a click. The name's field holds the
// longest file name shown unshortened.
std::vector<Element> bankRow(const char* list, const char* previous, const char* next, int top,
                             bool upper) {
  const std::string which = upper ? "Upper" : "Lower";
  return {
      caption(upper ? "EDIT BANK" : "SOURCE", {kBrowser.x, top + 4}, 70),
      momentary({previous, "Previous " + which + " Bank", "PREV"}, {kBankName - 56, top},
                "BUTTON_PATCHDW_ID", LabelSide::kNone),
      momentary({next, "Next " + which + " Bank", "NEXT"}, {kBankName - 30, top},
                "BUTTON_PATCHUP_ID", LabelSide::kNone),
      textMenu({list, std::string("Bank Selection List ") + (upper ? "1" : "2"), "BANK"},
               {kBankName + 2, top + 3}, 412, 14, LabelSide::kNone),
  };
}

}  // namespace

Element librarianPage() {
  Element browser("patchBrowser");
  const ImageSize view = imageSize("BG_ID_BROWSER");
  browser.attr("imageId", "BG_ID_BROWSER").attr("bounds", {kBrowser.x, kBrowser.y, view.w, view.h});
  browser.attr("label", "BANKS");
  std::vector<Element> page = {
      background("MANAGER_BG_ID2", kPageOrigin),
      section("LIBRARY", kLibrary),
      section("FIND", kFind),
      section("TRANSFER", kTransfer),
      menuWell("EDIT", {839, 187, 77, 18}),
      caption("DOUBLE-CLICK A SLOT TO PLAY IT ON THE SYNTHESIZER", {kBrowser.x, 124}, 520),
      caption("DRAG A SOURCE SLOT ONTO THE EDIT BANK TO COPY IT", {kBrowser.x, 142}, 520),
      onOff({"kDatatype", "Sounds or Multis", "SOUNDS / MULTIS"}, inPlate(kLibrary, 16, 14),
            "BUTTON_LIB_DATATYPE_ID", 0, LabelSide::kNone),
      onOff({"kPatchSearch", "Search", "SEARCH"}, inPlate(kLibrary, 214, 15),
            "BUTTON_BANK_SEARCH_ID"),
      dropMenu({"kRequestFromBank", "Request From Bank", "REQUEST FROM BANK"},
               inPlate(kTransfer, 16, 30), 140, 16, "bankLetters"),
      dropMenu({"kLibSyncTimer", "Transfer Pause", "PAUSE BETWEEN SLOTS"},
               inPlate(kTransfer, 180, 30), 140, 16, "transferPauses", 2),
  };
  for (Element& e : bankRow("kPatchSelectionListUpper", "kLibUpperPreviousBank",
                            "kLibUpperNextBank", kUpperMenuTop, true))
    page.push_back(std::move(e));
  // The lower list's row lies on the bank view's picture, between its lists.
  page.push_back(std::move(browser));
  for (Element& e : bankRow("kPatchSelectionListLower", "kLibLowerPreviousBank",
                            "kLibLowerNextBank", kLowerMenuTop, false))
    page.push_back(std::move(e));
  // The part switch hides every child layer whose id is not the part's, so the page holds its
  // controls itself; what comes and goes with the librarian's state are layers of their own.
  return layer("patchLibrarian", 1, std::move(page));
}

// The librarian's layers that the plug-in core and the tab switching show and hide.
std::vector<Element> librarianLayers() {
  const At find = inPlate(kFind, 20, 24);
  const At keep = inPlate(kLibrary, 16, 64);
  return {
      overlayLayer("categoryLimit", 0,
                   {background("BG_ID_CATEGORY_FILTER", find),
                    onOff({"kCategorySelection", "Categories", "LIST BY CATEGORY"},
                          {find.x + 116, find.y + 19}, "BTN_CHECKBOX_ID")}),
      overlayLayer("searchField", 0,
                   {background("BG_SEARCH_FIELD_ID", find),
                    nameField({"kPatchSearchString", "Search", "SEARCH"},
                              {find.x + 110, find.y + 18}, 172, 20, 0, LabelSide::kNone)}),
      overlayLayer("discardChangesLayerRight", 0,
                   {momentary({"kDiscardBankData", "Discard Changes", "DISCARD"}, keep,
                              "BUTTON_LIB_DISCARD_ID", LabelSide::kNone)}),
      // A plate of its own to print the switch's label on.
      overlayLayer("keepBankOpenLayer", 0,
                   {background("BG_ID_INDICATOR_PROTECTOR", keep),
                    onOff({"kKeepSelectedBank", "Keep Bank", "KEEP BANK OPEN"},
                          {keep.x + 2, keep.y + 5}, "BTN_CHECKBOX_ID", 1)}),
      overlayLayer(
          "saveChangesLayer", 0,
          {momentary({"kOverwriteBank", "Store Part In Slot", "OVERWRITE"},
                     inPlate(kLibrary, 16, 110), "BUTTON_BANK_OVERWRITE_ID", LabelSide::kNone)}),
  };
}

}  // namespace layout_tables
