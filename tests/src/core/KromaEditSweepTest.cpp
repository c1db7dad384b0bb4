#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "ConnectedPlugin.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/WsysTypes.h"

namespace {

// The records of what each edit does, kept beside this file. Writing them again (after a change
// meant to alter what an edit does): KROMA_RECORD_SWEEP=1 ./test_core --gtest_filter='EditSweep*'
const char* const kRecordFolder = SWEEP_RECORDS;

const ParamIdEntry* identifierOf(int idx) {
  for (int i = paramIdCount - 1; i >= 0; --i)
    if (paramIdTable[i].index <= idx) return &paramIdTable[i];
  return nullptr;
}

std::string paramName(int idx) {
  const ParamIdEntry* id = identifierOf(idx);
  if (!id) return std::to_string(idx);
  const int offset = idx - id->index;
  return std::string(id->name) + (offset ? "+" + std::to_string(offset) : "");
}

// The first and last index of each identifier's stretch: part 1 and part 16 of a part's values,
// the two ends of a row of steps; those between are built by the same code. Left out (their own
// tests take them): the controls whose jobs wait seconds for answers the synthesizer's port never
// gives, and the randomizer, whose values are drawn afresh each time.
bool swept(int idx) {
  if (idx == kDeviceOutSelection || idx == kPushArrangement || idx == kRequestTempData ||
      idx == kRandomize)
    return false;
  const ParamIdEntry* id = identifierOf(idx);
  return !id || idx == id->index || idx == id->index + id->length - 1;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The messages from `from` on, one text each; a long one (a whole dump) by its first bytes, its
// length and a digest of the rest.
std::string messagesText(const std::vector<std::vector<uint8_t>>& messages, size_t from) {
  std::string text;
  char hex[4];
  for (size_t m = from; m < messages.size(); ++m) {
    const std::vector<uint8_t>& bytes = messages[m];
    const size_t shown = bytes.size() > 24 ? 8 : bytes.size();
    for (size_t i = 0; i < shown; ++i)
      text += (std::snprintf(hex, sizeof hex, "%02X", bytes[i]), hex) + std::string(" ");
    if (shown < bytes.size()) {
      uint32_t digest = 2166136261u;
      for (uint8_t byte : bytes) digest = (digest ^ byte) * 16777619u;
      text += "... " + std::to_string(bytes.size()) + " bytes #" + std::to_string(digest) + " ";
    }
    text.back() = '|';
  }
  return text;
}

// What the user and the synthesizer can see of the plug-in between two edits.
struct Seen {
  std::vector<double> values;
  std::vector<uint8_t> controlState;  // hidden, greyed; a layer's visibility
  std::vector<double> controlValues;
  std::vector<std::string> displays;  // and the librarian's selections and slots
};

class EditSweep : public ConnectedPlugin {
 protected:
  static void note(IControl* control, Seen& seen) {
    seen.controlState.push_back(control->IsHidden() | control->IsGrayed() << 1);
    seen.controlValues.push_back(control->GetValue());
  }
  // A layer's visibility counts as a control state of its own.
  static void note(ControlLayer* layer, Seen& seen) {
    seen.controlState.push_back(layer->IsVisible() << 2);
    seen.controlValues.push_back(0);
    for (int i = 0; i < layer->controls.GetSize(); ++i) note(layer->controls.Get(i), seen);
    for (int i = 0; i < layer->childLayers.GetSize(); ++i) note(layer->childLayers.Get(i), seen);
  }

  Seen look(Kroma* plug) {
    Seen seen;
    for (int i = 0; i < numParams; ++i) seen.values.push_back(value(plug, i));
    IGraphics* gui = plug->GetGUI();
    for (int i = 0; i < gui->NControls(); ++i) note(gui->GetControl(i), seen);
    for (int i = 0; i < gui->NLayers(); ++i) note(gui->GetLayer(i), seen);
    EditorWidgets& widgets = KromaProbe(plug).widgets;
    for (ITextControl* display :
         {widgets.mCCDisplayControl, widgets.mNameDisplay, widgets.mValueDisplay,
          widgets.mCategoryDisplay, widgets.mPatchDisplay})
      seen.displays.push_back(display ? text(display) : "-");
    const LibrarianSelection& lists = KromaProbe(plug).selection;
    for (const std::string* text :
         {&lists.mUpperSelectionText, &lists.mLowerSelectionText, &lists.mUpperMultiSelectionText,
          &lists.mLowerMultiSelectionText})
      seen.displays.push_back(*text);
    LibrarianViewControl* view = plug->librarianView();
    for (int list : {0, 1})
      for (int slot : {0, 127}) seen.displays.push_back(view ? view->slotText(list, slot) : "-");
    return seen;
  }

  // One line: the bytes sent, the other values that changed, the controls shown, hidden, greyed
  // or moved (their count and a digest of which), the displays that changed.
  static std::string difference(int param, const Seen& before, const Seen& after,
                                const std::string& bytes) {
    std::ostringstream line;
    line << " sent " << (bytes.empty() ? "-" : bytes);
    for (int i = 0; i < numParams; ++i)
      if (i != param && before.values[i] != after.values[i])
        line << " " << paramName(i) << "=" << number(after.values[i]);
    uint32_t digest = 2166136261u;
    int states = 0, moved = 0;
    for (size_t i = 0; i < before.controlState.size(); ++i) {
      const bool state = before.controlState[i] != after.controlState[i];
      const bool value = before.controlValues[i] != after.controlValues[i];
      if (!state && !value) continue;
      states += state, moved += value;
      digest =
          (digest ^ static_cast<uint32_t>(i * 4 + after.controlState[i] + value * 8)) * 16777619u;
    }
    if (states || moved) line << " controls " << states << "/" << moved << " #" << digest;
    static const char* const kDisplays[] = {
        "cc",         "name",        "value",       "category",    "patch",
        "upper bank", "lower bank",  "upper multi", "lower multi", "upper first",
        "upper last", "lower first", "lower last"};
    for (size_t i = 0; i < before.displays.size(); ++i)
      if (before.displays[i] != after.displays[i])
        line << " " << kDisplays[i] << " \"" << after.displays[i] << "\"";
    return line.str();
  }

  // The debug log's lines since the last call, without their time stamps, the data folder's
  // path as "DATA".
  std::string newLogLines() {
    std::string log = readData(kLogName);
    for (size_t at; (at = log.find(data.path())) != std::string::npos;)
      log.replace(at, data.path().size(), "DATA");
    std::string lines;
    for (size_t at = mLogRead; at < log.size();) {
      const size_t end = std::min(log.find('\n', at), log.size());
      const std::string line = log.substr(at, end - at);
      const size_t tab = line.find("\t ");
      lines += " log \"" + (tab == std::string::npos ? line : line.substr(tab + 2)) + "\"";
      at = end + 1;
    }
    mLogRead = log.size();
    return lines;
  }

  std::string edit(Kroma* plug, int param, double to) {
    const Seen before = look(plug);
    const size_t from = sentCount();
    turn(plug, param, to);
    // The button is held, as the mouse's is while a knob turns: a Multi or Global setting's
    // whole dump waits for the audio callback, noted here instead of sent.
    ClockState& clock = KromaProbe(plug).clock;
    const std::string deferred =
        std::string(clock.mMultiSendPending.exchange(false) ? " multi" : "") +
        (clock.mGlobalSendPending.exchange(false) ? " global" : "");
    // A job the control starts (a slot overwritten) has ended before the edit is read.
    EXPECT_TRUE(eventually([plug] {
      return !KromaProbe(plug).parts.mMIDIMessageManager->isLaneRunning(Lane::kTransfer);
    })) << paramName(param);
    return paramName(param) + " -> " + number(to) + ":" +
           difference(param, before, look(plug), messagesText(midi.received("Synth Out"), from)) +
           (deferred.empty() ? "" : " deferred" + deferred) + newLogLines();
  }

  // Every control of the editor turned to its other end and back, in index order; a line each.
  std::vector<std::string> sweep(Kroma* plug) {
    newLogLines();
    plug->setStoredValue(kLibSyncTimer, 0);  // the shortest pause between messages of a job
    WSYS_SetKeyState(VK_LBUTTON, true);
    std::vector<std::string> lines;
    for (int param = 0; param < numParams; ++param) {
      if (!swept(param) || !plug->controlOf(param)) continue;
      const double was = value(plug, param);
      const IParam* p = plug->GetParam(param);
      const double other = p->GetNormalized() < 0.5 ? p->GetMax() : p->GetMin();
      lines.push_back(edit(plug, param, other));
      lines.push_back(edit(plug, param, was));
    }
    WSYS_SetKeyState(VK_LBUTTON, false);
    return lines;
  }

  // The lines against the record `name`, or written as it when KROMA_RECORD_SWEEP is set.
  static void compare(const std::vector<std::string>& lines, const std::string& name) {
    const std::string path = std::string(kRecordFolder) + "/" + name;
    if (std::getenv("KROMA_RECORD_SWEEP")) {
      std::ofstream out(path);
      for (const std::string& line : lines) out << line << "\n";
      GTEST_SKIP() << "recorded " << lines.size() << " lines";
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::vector<std::string> recorded;
    for (std::string line; std::getline(in, line);) recorded.push_back(line);
    ASSERT_EQ(lines.size(), recorded.size());
    int differing = 0;
    for (size_t i = 0; i < lines.size() && differing < 10; ++i)
      if (lines[i] != recorded[i]) {
        ++differing;
        ADD_FAILURE() << "edit " << i << "\n  now:      " << lines[i]
                      << "\n  recorded: " << recorded[i];
      }
  }

  static constexpr const char* kLogName = "Kroma Editor LOG.txt";
  size_t mLogRead = 0;
};

// On a plug-in connected to the synthesizer, without its window: what the synthesizer receives,
// which other values and controls follow, what the displays show and the debug log says,
// against the record of the last reviewed behaviour.
TEST_F(EditSweep, EveryControlTurnedToItsOtherEndAndBackDoesWhatTheRecordSays) {
  writeData(kLogName, "");  // debug logging on
  compare(sweep(openConnected()), "EditSweep.txt");
}

// The same with the window open on the librarian's page and banks of sounds and Multis in the
// data folder: the lists, their selections and the bank buttons at work.
TEST_F(EditSweep, OnTheLibrarianPageWithBanksEveryControlDoesWhatTheRecordSays) {
  for (const char* name : {"A", "B"})
    banks::write(data.file(std::string("Patches/") + name + ".syx"), std::string(name) + "-");
  banks::write(data.file("Patches/M.syx"), "M-", true);
  writeData(kLogName, "");
  Kroma* plug = openConnected();
  openEditor(plug);
  set(plug, kMainTab, 1);
  compare(sweep(plug), "LibrarianSweep.txt");
}

// Where every control of the built editor lies, drawn and hit, layer by layer, in both styles: the
// layout places a control and its picture's frame gives its size. A line per layer: its controls'
// count and a digest of their parameters and rectangles.
TEST_F(EditSweep, EveryControlLiesWhereTheRecordSays) {
  std::vector<std::string> lines;
  const auto placeOf = [](const std::vector<IControl*>& controls) {
    uint32_t digest = 2166136261u;
    for (IControl* control : controls) {
      const IRECT& drawn = control->GetRECT();
      const IRECT& hit = control->GetTargetRECT();
      for (int number :
           {control->ParamIdx(), drawn.L, drawn.T, drawn.R, drawn.B, hit.L, hit.T, hit.R, hit.B})
        digest = (digest ^ static_cast<uint32_t>(number)) * 16777619u;
    }
    return std::to_string(controls.size()) + " controls #" + std::to_string(digest);
  };
  std::function<void(ControlLayer*, const std::string&)> walk = [&](ControlLayer* layer,
                                                                    const std::string& where) {
    const std::string path = where + "/" + layer->name;
    std::vector<IControl*> controls;
    for (int i = 0; i < layer->controls.GetSize(); ++i) controls.push_back(layer->controls.Get(i));
    lines.push_back(path + " " + placeOf(controls));
    for (int i = 0; i < layer->childLayers.GetSize(); ++i) walk(layer->childLayers.Get(i), path);
  };
  // Each style has pictures of its own.
  for (const char* style : {"white", "black"}) {
    writeData("Kroma Editor UI.txt", std::string(style) + "\nnormal\nno\n");
    Kroma* plug = open();
    IGraphics* gui = plug->GetGUI();
    std::vector<IControl*> top;
    for (int i = 0; i < gui->NControls(); ++i) top.push_back(gui->GetControl(i));
    lines.push_back(std::string(style) + " top " + placeOf(top));
    for (int i = 0; i < gui->NLayers(); ++i) walk(gui->GetLayer(i), style);
    close(plug);
  }
  compare(lines, "ControlPlaces.txt");
}

}  // namespace
