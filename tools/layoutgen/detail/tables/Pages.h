#pragma once

#include <string>
#include <vector>

#include "tools/layoutgen/detail/tables/Controls.h"

// The layout's parts. Each sound page is a layer of main-tab id 2..5 holding its picture, its
// section frames and sixteen part panels; a part panel holds the part's controls and the member
// layers that the tab switching shows by decade (zones, variants).
namespace layout_tables {

// Where the pages lie: below the header and right of the part selector's rail. The sound and
// librarian pages end where the quick mixer's band begins.
constexpr At kPageOrigin{80, 96};
constexpr int kParts = 16;
constexpr int kPageBottom = 712;
// The two rows of sections of a sound page.
constexpr int kTopRow = 104;
constexpr int kTopRowHeight = 316;
constexpr int kBottomRow = kTopRow + kTopRowHeight + 10;
constexpr int kBottomRowHeight = kPageBottom - 8 - kBottomRow;

Element multiPage();
Element librarianPage();
Element oscillatorsPage();
Element filtersEnvelopesPage();
Element lfoModMatrixPage();
Element effectsArpPage();

// Controls of the root layer, shown on every tab: main tabs, part selector, central display.
std::vector<Element> frameControls();
// Layers beside the root: the mini mixer and the bank and program panel of every part and of
// the Multi.
std::vector<Element> frameLayers();
// The twelve filter pictures and the nine panels of the second effect, one layer each.
std::vector<Element> filterPictureLayers();
std::vector<Element> effectPanelLayers();
// Panels and fields that the plug-in core shows and hides by name, the librarian's among them.
std::vector<Element> corePanelLayers();
std::vector<Element> librarianLayers();

// The two documents, and their texts as the generator writes them into resources/.
Element uiconfig();
Element sysexlist();
std::string uiconfigText();
std::string sysexText();

}  // namespace layout_tables
