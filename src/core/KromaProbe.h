#pragma once

#include "src/core/Kroma.h"

// The plug-in's state records, for tests and benchmarks only: they set up or read a state that
// no public entry of Kroma reaches. The plug-in itself never uses it.
struct KromaProbe {
  explicit KromaProbe(Kroma& plug)
      : routing(plug.mRouting),
        clock(plug.mClock),
        selection(plug.mSelection),
        widgets(plug.mWidgets),
        parts(plug.mParts) {}
  explicit KromaProbe(Kroma* plug) : KromaProbe(*plug) {}

  MidiRouting& routing;
  ClockState& clock;
  LibrarianSelection& selection;
  EditorWidgets& widgets;
  KromaParts& parts;
};
