#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/headless/HeadlessView.h"
#include "platform/vst2/timeinfo.h"
#include "src/core/Kroma.h"
#include "tests/support/TempDir.h"
#include "toolkit/plugin/editor/ITextControl.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"

// The plug-in as a host meets it: made and closed as the entry and effClose do, driven through its
// effect record, on the built bundle (the shipped layout and pictures) and a data folder of the
// test's own, with the synthesizer's MIDI ports in memory.
class PluginFixture : public ::testing::Test {
 public:
  // The transport that the host reports to audioMasterGetTime; stopped, 120 BPM at first.
  static VstTimeInfo hostTime;
  // The audioMasterUpdateDisplay calls an instance made since the last look, and how many of them
  // came from another thread than the one that made the fixture.
  struct HostNotices {
    int count = 0;
    int otherThreads = 0;
  };
  static HostNotices takeHostNotices(Kroma* plug);

 protected:
  PluginFixture();
  ~PluginFixture() override;

  // A new instance, as the entry makes it (of a test's own subclass when asked); the fixture
  // closes the instances left open.
  template <class Plug = Kroma>
  Plug* open() {
    Plug* plug = new Plug(hostInfo());
    adopt(plug);
    return plug;
  }
  // A new instance made by a module's entry (VSTPluginMain) for the fixture's host.
  Kroma* openThrough(AEffect* (*entry)(audioMasterCallback));
  void close(Kroma* plug);
  static intptr_t dispatch(Kroma* plug, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                           void* ptr = nullptr, float opt = 0.f);
  static std::vector<uint8_t> saveChunk(Kroma* plug);
  // effSetChunk's answer: 1 restored, 0 failed.
  static intptr_t loadChunk(Kroma* plug, std::vector<uint8_t> chunk);

  // A new instance with the synthesizer's output port "Synth Out" chosen as the port menu would.
  Kroma* openConnected();
  // What reached the synthesizer's port from message `from` on, a message a text ("B0 7B 00|").
  std::string sent(size_t from = 0) const;
  // sent(from) once `count` messages have come since `from`, or after the wait cap.
  std::string awaitSent(size_t from, size_t count) const;
  size_t sentCount() const { return midi.received("Synth Out").size(); }
  // Waits until `done` holds, at most the wait cap; whether it does.
  static bool eventually(const std::function<bool()>& done);
  // One host block of double processing, with the host's events of the block first.
  static void process(Kroma* plug, int frames, const std::vector<IMidiMsg>& events = {});

  static double value(Kroma* plug, int param) { return plug->GetParam(param)->Value(); }
  // A change as the framework hands it over: the value stored, then the dispatch.
  static void set(Kroma* plug, int param, double value);
  // A knob turned or a menu chosen in the editor.
  static void turn(Kroma* plug, int param, double value);
  // Opens the instance's editor window on the headless view, whose menus the test answers
  // (VIEW_Script, emptied first).
  static void openEditor(Kroma* plug);
  // Opens the editor as a host does (effEditOpen, so that its timer ticks) on the headless view,
  // whose menus the test answers (VIEW_Script, emptied first); the view, null when none opened.
  static VIEW_HeadlessView* openEditorAsHost(Kroma* plug);
  // Clicks `menu` open and answers it with the item at `path` (empty: dismissed).
  static void choose(IControl* menu, const std::vector<int>& path);
  // Whether the layer is shown; a layer the layout did not build fails the test.
  static bool shown(Kroma* plug, const std::string& layer);
  static std::string text(ITextControl* control);
  // The central display's first line.
  static std::string status(Kroma* plug);

  void writeData(const std::string& name, const std::string& text) const;
  std::string readData(const std::string& name) const;

  kroma_test::TempDir data;
  MidiBackendMemory midi;

 private:
  static IPluginInstanceInfo hostInfo();
  void adopt(Kroma* plug);

  kroma_test::ScopedEnv mData{"KROMA_DATA_DIR", data.path().c_str()};
  kroma_test::ScopedEnv mBundle{"KROMA_BUNDLE_DIR", BUILT_BUNDLE};
  std::vector<Kroma*> mOpen;
};
