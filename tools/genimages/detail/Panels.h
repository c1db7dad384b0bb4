#pragma once

#include "tools/genimages/Art.h"

// Backgrounds, sub-panels, dialogs and the progress overlay. A page is its chassis: the layout
// prints its sections on it. label is the caption of sub-panels.
void paintFrame(Canvas& c, const look::Palette& p, const Frame& f);
void paintHeader(Canvas& c, const look::Palette& p, const Frame& f);
void paintPage(Canvas& c, const look::Palette& p, const Frame& f);
void paintSubPanel(Canvas& c, const look::Palette& p, const Frame& f);
void paintFilterCurve(Canvas& c, const look::Palette& p, const Frame& f);
void paintEnvelope(Canvas& c, const look::Palette& p, const Frame& f);
void paintOverlay(Canvas& c, const look::Palette& p, const Frame& f);
void paintBrowser(Canvas& c, const look::Palette& p, const Frame& f);
void paintDialog(Canvas& c, const look::Palette& p, const Frame& f);
void paintField(Canvas& c, const look::Palette& p, const Frame& f);
void paintBlank(Canvas& c, const look::Palette& p, const Frame& f);

// Dialogs, for Art::variant.
enum Dialog { kDialogAbout, kDialogFirstRun, kDialogRename, kDialogConflict, kDialogMidiFilters };
// Filter responses and envelope shapes, for Art::variant.
enum Curve { kLowpass, kBandpass, kHighpass, kNotch, kCombMinus, kCombPlus };
enum Envelope { kAdsr, kAdsd2s2r, kOneShot, kLoopS1S2, kLoopAll };
