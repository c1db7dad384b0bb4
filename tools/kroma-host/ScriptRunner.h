#pragma once

#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/HostFrame.h"
#include "tools/kroma-host/HostLoop.h"
#include "tools/kroma-host/MenuAnswer.h"
#include "tools/kroma-host/PluginInstance.h"

// Runs a script of host steps, one per line, against one plug-in library and
// prints what it sent and what came back. Lines starting with # are comments.
// Run live, the host reads the steps as they come and runs on between them as a
// host does while its user does nothing: idle calls and editor timer ticks for
// every open instance, and process calls when audio is on. It then prints
// "done N" after the step of line N.
//
//   host-product TEXT, host-version N   what the host answers about itself
//   open, close                         VSTPluginMain and effOpen; effClose
//   instances N                         N threads create instances at once
//   info, can-do TEXT                   identity, names, pins; one capability
//   rate HZ, block N, resume, suspend   sample rate, block size, mains
//   time off | time KEY=VALUE...        tempo, ppq, bar, pos, sig=N/D,
//                                       cycle=A,B, playing=0|1, loop=0|1
//   offline on|off                      the process level the host reports
//   midi OFFSET HEX..., sysex OFFSET HEX...   queue events
//   events                              send the queued events as one list
//   process replacing|accumulating|double FRAMES [BLOCKS]
//   chunk-get program|bank FILE, chunk-set program|bank FILE [BYTES]
//   edit-open, edit-close, idle         the editor in a frame of the host's;
//                                       idle also ticks the editor's timer
//   edit-mouse down|up|drag|double|wheel X Y [AMOUNT] [right]
//   edit-pixel X Y, edit-screen FILE    one pixel of the editor; all as a PNG
//   edit-menu TITLE [> TITLE]...        the item the user picks in the editor's
//                                       next popup menu, by the titles of the
//                                       item and the sub-menus leading to it;
//                                       a mouse step fails when one is missing
//   edit-choose X Y [right] TITLE [> TITLE]...
//                                       clicks X Y, waits (idle calls and timer
//                                       ticks, at most 10 s) until the menu that
//                                       the click opens is shown and picks the
//                                       item; fails when no menu opened or the
//                                       item is missing; no later menu takes it
//   param-get I, param-set I V, param-info I, param-text I TEXT
//   program N, program-name TEXT        select (and read back), rename
//   program-names                       every program's name, and one more
//   speakers IN OUT                     offer arrangements; read the plug-in's
//   key-name KEY                        the name of a MIDI key
//   vendor-display I V                  the display text of parameter I at
//                                       normalised value V
//   dispatch OPCODE [INDEX [VALUE [OPT]]]     any opcode without a pointer
//   folder PREFIX                       a new folder PREFIX-XXXXXX under $TMPDIR
//                                       (/tmp) that later relative file names
//                                       are in; its path is printed
//   host-calls                          the host callbacks the instance made
//                                       since it opened or the last host-calls,
//                                       by opcode, and how many came from other
//                                       threads than the script's
//
// On a real X display (DISPLAY), as Linux hosts run editors:
//   if-display STEP...                  the step; left out without a display
//   x-open [X Y]                        a top-level window of the editor's
//                                       size at X, Y handed to effEditOpen
//   x-idle MS                           idle calls to every open editor for MS
//   x-input MS ACTION...                plays the actions in order into the
//                                       server MS from now: move X Y, press B,
//                                       release B, click X Y [B], key NAME
//                                       (NAME+NAME... held together), type
//                                       TEXT (the rest of the line, or a text
//                                       in double quotes), menu KEY... (the
//                                       keys once a popup menu shows, at most
//                                       30 s), dialog ACTION... (the actions
//                                       into the plug-in's file panel or
//                                       message box once it takes the keys);
//                                       what they cannot do fails this step
//                                       later, and the script goes on
//   x-screen FILE, x-close, x-errors    the window as a PNG (one past the
//                                       screen fails, the script goes on);
//                                       effEditClose and the window gone; the
//                                       X errors seen
//   open-another                        keeps the instance (and its editor)
//                                       open beside a new one
//   use N                               makes instance N, kept open, the one
//                                       the steps act on
//   audio on [FRAMES] | audio off       an audio thread processes every open
//                                       instance in blocks of FRAMES (256) at
//                                       the sample rate; steps that change the
//                                       instances or the transport pause it
class ScriptRunner {
 public:
  explicit ScriptRunner(const PluginLibrary& library);
  ~ScriptRunner();

  // Runs every line; false when a step could not be carried out.
  bool run(std::istream& script, bool live = false);

 private:
  using Args = std::vector<std::string>;
  using Step = bool (ScriptRunner::*)(const Args&, const std::string& rest);
  struct StepEntry {
    const char* name;
    Step step;
    bool pausesAudio;
  };
  static const StepEntry kSteps[];

  bool runLine(const std::string& line);
  // What the host does between the steps of a live script.
  void idleAll();
  std::vector<PluginInstance*> openInstances() const;
  PluginInstance* instance() const { return mOpen ? mOpen->instance.get() : nullptr; }
  bool needInstance();
  VstIntPtr call(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                 float opt = 0.f, const std::string& what = "");
  void printRecord(int number, const AEffect* effect);

  bool stepOpen(const Args&, const std::string&);
  bool stepClose(const Args&, const std::string&);
  bool stepInstances(const Args&, const std::string&);
  bool stepHostProduct(const Args&, const std::string&);
  bool stepHostVersion(const Args&, const std::string&);
  bool stepRate(const Args&, const std::string&);
  bool stepBlock(const Args&, const std::string&);
  bool stepResume(const Args&, const std::string&);
  bool stepSuspend(const Args&, const std::string&);
  bool stepInfo(const Args&, const std::string&);
  bool stepCanDo(const Args&, const std::string&);
  bool stepTime(const Args&, const std::string&);
  bool stepOffline(const Args&, const std::string&);
  bool stepMidi(const Args&, const std::string&);
  bool stepSysex(const Args&, const std::string&);
  bool stepEvents(const Args&, const std::string&);
  bool stepProcess(const Args&, const std::string&);
  bool stepChunkGet(const Args&, const std::string&);
  bool stepChunkSet(const Args&, const std::string&);
  bool stepEditOpen(const Args&, const std::string&);
  bool stepEditClose(const Args&, const std::string&);
  bool stepIdle(const Args&, const std::string&);
  bool stepEditMouse(const Args&, const std::string&);
  bool stepEditPixel(const Args&, const std::string&);
  bool stepEditScreen(const Args&, const std::string&);
  bool stepEditMenu(const Args&, const std::string&);
  bool stepEditChoose(const Args&, const std::string&);
  bool needEditor();
  // Prints what the user picked in the menus shown; false when a pick was missing.
  bool reportMenus();
  bool stepParamGet(const Args&, const std::string&);
  bool stepParamSet(const Args&, const std::string&);
  bool stepParamInfo(const Args&, const std::string&);
  bool stepParamText(const Args&, const std::string&);
  bool stepProgram(const Args&, const std::string&);
  bool stepProgramName(const Args&, const std::string&);
  bool stepProgramNames(const Args&, const std::string&);
  bool stepSpeakers(const Args&, const std::string&);
  bool stepKeyName(const Args&, const std::string&);
  bool stepVendorDisplay(const Args&, const std::string&);
  bool stepDispatch(const Args&, const std::string&);
  bool stepFolder(const Args&, const std::string&);
  bool stepHostCalls(const Args&, const std::string&);
  bool stepIfDisplay(const Args&, const std::string&);
  bool stepXOpen(const Args&, const std::string&);
  bool stepXIdle(const Args&, const std::string&);
  bool stepXInput(const Args&, const std::string&);
  bool stepXScreen(const Args&, const std::string&);
  bool stepXClose(const Args&, const std::string&);
  bool stepXErrors(const Args&, const std::string&);
  bool stepOpenAnother(const Args&, const std::string&);
  bool stepUse(const Args&, const std::string&);
  bool stepAudio(const Args&, const std::string&);
  bool needXWindow();
  // Prints what the input scheduled by x-input could not do, each failing the step that queued it
  // once it is seen, after whichever step; the script goes on when it does.
  void inputPlayed(bool goesOn);
  // A step's failure that changes nothing the later steps meet: the run fails, the script goes
  // on. Returns false, the step's answer.
  bool failAndGoOn();
  void closeAll();

  // An instance and what the host keeps for it: the headless editor's parent
  // frame (it outlives the instance, which clears it on closing), its window
  // on the X display (0: none), and what its user picks in menus.
  struct Open {
    int number = 0;
    std::unique_ptr<PluginInstance> instance;
    VIEW_HostFrame frame;
    unsigned long window = 0;
    MenuAnswer menu;
  };

  const PluginLibrary& mLibrary;
  int mLine = 0;         // the script's line being run
  bool mGoOn = false;    // the step failed as failAndGoOn says
  bool mFailed = false;  // a step failed
  // The instance the steps act on, and those kept open beside it.
  std::unique_ptr<Open> mOpen;
  std::vector<std::unique_ptr<Open>> mKept;
  int mNextNumber = 1;
  AudioThread mAudio;
  int mAudioFrames = 0;  // 0: audio off
  // Events queued by midi and sysex steps until the next events step.
  std::vector<std::vector<unsigned char>> mEventBytes;
  std::vector<int> mEventOffsets;
  std::vector<bool> mEventIsSysex;
};
