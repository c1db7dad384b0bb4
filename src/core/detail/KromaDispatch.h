#pragma once

// Inside the plug-in's parameter dispatch: the handlers of the parameter families, spread over
// the KromaDispatch*.cpp files, and what they share.

#include <atomic>
#include <iterator>
#include <string>

#include "src/config/ParameterIds.h"
#include "src/core/Kroma.h"

namespace dispatch {

// One change as the handlers see it: the plug-in's entries, and the records of its state that
// the handlers change.
struct Change {
  Kroma& plug;
  MidiRouting& routing;
  ClockState& clock;
  LibrarianSelection& selection;
  EditorWidgets& widgets;
  KromaParts& parts;
  int idx;
  double v;               // the stored value
  int vi;                 // v cut toward zero
  int part;               // the index's place in its block of 16; 0 for single parameters
  ControlAction* action;  // null for a parameter without MIDI binding
};

// Where a handler sends the dispatch next: on to the common step (after the handlers that run
// first) or to the closing step (after the main ones), or out at once.
enum class Then { kGoOn, kReturn };
using Handler = Then (*)(Change&);

struct Row {
  int first;
  int count;  // 16 for a block of parts
  Handler handler;
};
struct Rows {
  const Row* rows;
  size_t count;
};

// The handlers that run before the common step (mirrors, trigger toggles, settings file, bank
// stepping, panels), and the main ones of each family.
Rows panelRowsFirst();
Rows panelRowsMain();
Rows librarianRowsFirst();
Rows librarianRowsMain();
Rows midiRowsMain();

// Keys of the tab switches that wait for the editor thread: a later one replaces one waiting.
inline constexpr char kMainTabSwitch = 0;
inline constexpr char kQuickTabSwitch = 0;

// The record of type Record that a change reaches.
template <class Record>
Record& record(Change& c);
template <>
inline MidiRouting& record(Change& c) {
  return c.routing;
}
template <>
inline ClockState& record(Change& c) {
  return c.clock;
}
template <>
inline LibrarianSelection& record(Change& c) {
  return c.selection;
}

// A handler that changes one record of the state and needs nothing else of the plug-in is given
// only that record, the index's place in its block and the value cut toward zero.
template <class Step>
struct StepRecord;
template <class Record>
struct StepRecord<Then (*)(Record&, int part, int vi)> {
  using type = Record;
};
template <auto Step>
Then onRecord(Change& c) {
  return Step(record<typename StepRecord<decltype(Step)>::type>(c), c.part, c.vi);
}

// The record that holds the member a pointer names.
template <class Member>
struct MemberRecord;
template <class Record, class Field>
struct MemberRecord<Field Record::*> {
  using type = Record;
};

// A flag that follows its switch: on while the switch is 1.
template <auto Flag>
Then followSwitch(typename MemberRecord<decltype(Flag)>::type& record, int, int vi) {
  record.*Flag = vi == 1;
  return Then::kGoOn;
}

// Shared steps.
// A layer shown or hidden, by name, on the editor thread; a layer the layout lacks is passed over.
void showLayer(Kroma& plug, const std::string& name, bool visible);
// The first control of `param` greyed or restored, on the editor thread.
void grayOut(Kroma& plug, int param, bool grayed);
// The action's layer group, when it has one: the child whose id is `vi` selected and shown, the
// other children hidden, on the editor thread.
void showLayerGroupChild(Kroma& plug, const ControlAction& action, int vi);
// The progress overlay shown and hidden again: what lies under it is drawn anew. A transfer's
// overlay stays.
void flashOverlay(Kroma& plug);
// The status line (kControlDisplayName), whose text of one line clears the value display
// (kControlDisplayValue); a second line follows it with valueText.
void status(Kroma& plug, const std::string& text);
void valueText(Kroma& plug, const std::string& text);
// A stored value, held to the parameter's range; no control hears of it.
void store(Kroma& plug, int param, double value);
// The 0-based MIDI channel a part's CCs go on by its kMultiPartMIDICh value (2..17 are channels
// 0..15; 0 and 1 stand for themselves); -1, logged, for a part or setting that gives none.
int ccChannel(Kroma& plug, int part);
// Whether a value from the synthesizer is being applied: nothing is then sent back to it.
bool fromSynthesizer(const MidiRouting& routing, const KromaParts& parts);

}  // namespace dispatch
