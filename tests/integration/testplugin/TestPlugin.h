#pragma once

#include "toolkit/plugin/vst2/IPluginVST.h"

// A small plug-in built as its own module exactly as the real one is, so that
// integration tests can drive the VST 2 glue through a host. It prints what
// reaches it, one line per event, for the tests to read. Environment switches:
// KROMA_TESTPLUGIN_PRESETS=n gives it n presets, KROMA_TESTPLUGIN_NOMIDI=1
// makes it a plug-in without MIDI, KROMA_TESTPLUGIN_THROW=1 makes its
// constructor throw, KROMA_TESTPLUGIN_EDITOR=1 gives it a small editor.
class TestPlugin : public IPluginVST {
 public:
  explicit TestPlugin(IPluginInstanceInfo instanceInfo);
  ~TestPlugin() override;

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void OnActivate(bool active) override;
  void OnHostIdentified() override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override;
  void ProcessSysEx(ISysEx* sysex, bool fromDevice) override;
  bool SerializeState(ByteChunk* chunk) override;
  int UnserializeState(ByteChunk* chunk, int startPos) override;
  bool MidiNoteName(int noteNumber, char* noteName) override;
  void OnGUIOpen() override;
  void OnGUIClose() override;

 private:
  void MakeEditor();
  void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));

  int mNumber;
};
