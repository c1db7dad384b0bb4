#pragma once

#include <string>
#include <vector>

class IParam;
class ITextControl;
class TK_LogSink;

// What the value display reads of the plug-in. The plug-in implements it; the display runs inside
// the plug-in's parameter-change handlers, under the plug-in's lock, on whichever thread changed
// the parameter: the main thread, the editor timer, the MIDI input thread, the audio thread (the
// host's MIDI) or a job lane (dumps it hands in). So nothing here may wait or change a layer.
class DisplayHost {
 public:
  virtual ~DisplayHost() = default;

  // The parameter at a flat index; null when there is none.
  // [any thread running the dispatch; plug-in lock held; fixed at start-up]
  virtual const IParam* displayParam(int paramIdx) const = 0;
  // The name line and the value display, the first controls of kControlDisplayName and
  // kControlDisplayValue; null when the layout built none. The name line is also the status line
  // on which a name field says that it refused a character, clearing the value display.
  // [any thread running the dispatch, plug-in lock held; the editor's events (the name field's
  // refusal), no lock; fixed at start-up]
  virtual ITextControl* displayNameControl() const = 0;
  // [as displayNameControl]
  virtual ITextControl* displayValueControl() const = 0;

  // False until the plug-in's constructor has shown its first page; the display is silent till
  // then.
  // [any thread running the dispatch; plug-in lock held; atomic]
  virtual bool startupComplete() const = 0;
  // False exactly while kMIDIFilterDAWPCPassThrough is 1; kControlLibrary is not shown then.
  // [any thread running the dispatch; plug-in lock held; atomic]
  virtual bool programChangeSwitchState() const = 0;
  // The part being edited, 0 to 15.
  // [any thread running the dispatch; plug-in lock held; atomic]
  virtual int currentPart() const = 0;

  // The configuration's value list of that name; empty when there is none. Never changes the lists.
  // [any thread; lists fixed at start-up, which no lookup changes]
  virtual const std::vector<std::string>& valueList(const std::string& name) const = 0;
  // The samples file's names, one per sample number, and whether the file could be read.
  // [main thread while the constructor builds, then the dispatch; read only after start-up]
  virtual const std::vector<std::string>& sampleNames() const = 0;
  // [main thread while the constructor builds, then the dispatch; read only after start-up]
  virtual bool samplesFileRead() const = 0;

  // The plug-in's debug log.
  // [any thread; the log takes its own lock]
  virtual TK_LogSink* debugLog() const = 0;
};
