#pragma once

#include "tools/layoutgen/detail/Element.h"

// Sections, control labels and captions are drawn on the pictures under them, and so are the
// grooves the faders' handles travel in and the fields the text menus print on. Each goes on the
// last picture drawn before it, in its own layer or a layer above, that it lies on; the layout
// lists them per picture ("pictureLabels", relative to the picture's corner) for the drawn image
// set to print. The interpreter passes these over.
namespace layout_tables {

// The lists for a whole layout document; throws std::logic_error for a label on no picture, two
// texts in one place of a picture shown in several places, or a menu whose text colour follows
// the style on a picture both styles share.
std::vector<layout::Element> pictureLabels(const layout::Element& uiconfig);

}  // namespace layout_tables
