#pragma once

#include <string>
#include <vector>

class IParam;
class ITextControl;
class TK_LogSink;

// What the value display reads of the plug-in. The plug-in implements it; the display runs inside
// the plug-in's parameter-change handlers, under the plug-in's lock.
class DisplayHost {
 public:
  virtual ~DisplayHost() = default;

  // The parameter at a flat index; null when there is none.
  virtual const IParam* displayParam(int paramIdx) const = 0;
  // The name line and the value display, the first controls of kControlDisplayName and
  // kControlDisplayValue; null when the layout built none.
  virtual ITextControl* displayNameControl() const = 0;
  virtual ITextControl* displayValueControl() const = 0;

  // False until the plug-in's constructor has shown its first page; the display is silent till
  // then.
  virtual bool startupComplete() const = 0;
  // False exactly while kMIDIFilterDAWPCPassThrough is 1; kControlLibrary is not shown then.
  virtual bool programChangeSwitchState() const = 0;
  // The part being edited, 0 to 15.
  virtual int currentPart() const = 0;

  // The configuration's value list of that name; empty when there is none. Never changes the lists.
  virtual const std::vector<std::string>& valueList(const std::string& name) const = 0;
  // The samples file's names, one per sample number, and whether the file could be read.
  virtual const std::vector<std::string>& sampleNames() const = 0;
  virtual bool samplesFileRead() const = 0;

  // The plug-in's debug log.
  virtual TK_LogSink* debugLog() const = 0;
};
