#include "TestPlugin.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "toolkit/plugin/base/IPopupMenu.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"
#include "toolkit/plugin/vst2/entry/VSTEntry.h"

namespace {

constexpr int kHostParams = 2;
constexpr int kParams = 4;
constexpr int kStateMarker = 0x7473654B;

constexpr int FourCC(const char (&code)[5]) {
  return (code[0] << 24) | (code[1] << 16) | (code[2] << 8) | code[3];
}

std::atomic<int> sInstances{0};

bool EnvFlag(const char* name) {
  const char* value = std::getenv(name);
  return value && std::strcmp(value, "1") == 0;
}

int EnvInt(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : 0;
}

constexpr int kEditorWidth = 120;
constexpr int kEditorHeight = 90;
const IColor kBarColor(255, 0, 200, 0);

// A control that shows its value as a green fill from the left over a ground.
class FillControl : public IControl {
 public:
  FillControl(IPluginBase* plug, IRECT rect, int paramIdx, IColor ground)
      : IControl(plug, rect, paramIdx), mGround(ground) {}
  bool Draw(IGraphics* graphics) override {
    graphics->FillIRect(&mGround, &mRECT, &mBlend);
    IRECT filled(mRECT.L, mRECT.T, mRECT.L + (int)(mValue * mRECT.W()), mRECT.B);
    if (filled.W() > 0) graphics->FillIRect(&kBarColor, &filled, &mBlend);
    return true;
  }

 private:
  IColor mGround;
};

// A horizontal bar over dark grey that the mouse sets: the value is the
// pressed or dragged fraction of the width.
class BarControl : public FillControl {
 public:
  BarControl(IPluginBase* plug, IRECT rect, int paramIdx)
      : FillControl(plug, rect, paramIdx, IColor(255, 40, 40, 40)) {}
  void OnMouseDown(int x, int, IMouseMod*) override { setFromX(x); }
  void OnMouseDrag(int x, int, int, int, IMouseMod*) override { setFromX(x); }

 private:
  void setFromX(int x) {
    mValue = (double)(x - mRECT.L) / mRECT.W();
    SetDirty(true);
  }
};

// A box over light grey that asks for a value on a right click: a menu for a
// parameter with display texts, a text entry for any other.
IControl* valueBox(IPluginBase* plug, IRECT rect, int paramIdx) {
  IControl* box = new FillControl(plug, rect, paramIdx, IColor(255, 220, 220, 220));
  box->DisablePrompt(false);
  return box;
}

// The "Hidden B" box: a left click offers "Mode of operation" in a menu of two levels, "Off"
// and "On", whose sub-menu holds "Low" and "High".
class ModeMenuBox : public FillControl {
 public:
  ModeMenuBox(IPluginBase* plug, IRECT rect)
      : FillControl(plug, rect, 3, IColor(255, 220, 220, 220)) {
    DisablePrompt(false);
    mOn.AddItem("Low");
    mOn.AddItem("High");
    mMenu.AddItem("Off");
    mMenu.AddItem("On", &mOn);
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override {
    if (mod && mod->R) return FillControl::OnMouseDown(x, y, mod);
    IGraphics* graphics = GetPlug()->GetGUI();
    IPopupMenu* chosen = graphics ? graphics->CreateIPopupMenu(&mMenu, &mRECT) : nullptr;
    if (!chosen) return;
    const int mode = chosen == &mOn ? chosen->GetChosenItemIdx() + 1 : 0;
    GetPlug()->SetParameterFromGUI(1, GetPlug()->GetParam(1)->GetNormalized(mode));
  }

 private:
  IPopupMenu mMenu, mOn;
};

}  // namespace

IPluginVST* MakePlug(IPluginInstanceInfo instanceInfo) {
  return new TestPlugin(instanceInfo);
}

TestPlugin::TestPlugin(IPluginInstanceInfo instanceInfo)
    : IPluginVST(instanceInfo, kParams, "2-2", EnvInt("KROMA_TESTPLUGIN_PRESETS"), "Kroma Test",
                 "Kroma Test Plug-in", "Quillon Bay Sound", 0x00010203, FourCC("ktst"),
                 FourCC("QbS1"), 128, !EnvFlag("KROMA_TESTPLUGIN_NOMIDI"), true, true, 0),
      mNumber(++sInstances) {
  // Constructions from several threads must not interleave these lines.
  Print("construct begin");
  if (EnvFlag("KROMA_TESTPLUGIN_THROW")) throw std::runtime_error("refused by the test");
  // Long enough for a second thread to run into this one if it could.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const bool doesMidi = !EnvFlag("KROMA_TESTPLUGIN_NOMIDI");
  initialize(instanceInfo, kHostParams, kParams, "2-2", EnvInt("KROMA_TESTPLUGIN_PRESETS"),
             "Kroma Test", "Kroma Test Plug-in", "Quillon Bay Sound", 0x00010203, FourCC("ktst"),
             FourCC("QbS1"), 128, doesMidi, true, true, 0);
  addNonAutomateParamCount(kParams - kHostParams);
  GetParam(0)->InitDouble("Gain", 0.5, 0.0, 1.0, 0.01, "dB");
  GetParam(1)->InitEnum("Mode of operation", 0, 3);
  GetParam(1)->SetDisplayText(0, "Off");
  GetParam(1)->SetDisplayText(1, "Low");
  GetParam(1)->SetDisplayText(2, "High");
  GetParam(2)->InitInt("Hidden A", 10, 0, 127);
  GetParam(3)->InitInt("Hidden B", 20, 0, 127);
  if (EnvFlag("KROMA_TESTPLUGIN_EDITOR")) MakeEditor();
  Print("construct end");
}

// Two bars over a grey background: the upper one moves "Gain" (offered to
// the host), the lower one "Hidden A" (not offered); below them a box for
// "Mode of operation" (a menu) and one for "Hidden B" (a text entry on a right click, a menu of
// two levels for the mode on a left click).
void TestPlugin::MakeEditor() {
  IGraphicsMac* graphics = MakeGraphics(this, kEditorWidth, kEditorHeight);
  graphics->AttachPanelBackground(&COLOR_GRAY);
  graphics->AttachControl(new BarControl(this, IRECT(10, 10, 110, 25), 0));
  graphics->AttachControl(new BarControl(this, IRECT(10, 35, 110, 50), 2));
  graphics->AttachControl(valueBox(this, IRECT(10, 60, 55, 80), 1));
  graphics->AttachControl(new ModeMenuBox(this, IRECT(65, 60, 110, 80)));
  AttachGraphics(graphics);
}

void TestPlugin::OnGUIOpen() {
  Print("editor opened");
}

void TestPlugin::OnGUIClose() {
  Print("editor closed");
}

TestPlugin::~TestPlugin() {
  Print("destroyed");
}

void TestPlugin::Print(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  std::printf("plugin[%d]: %s\n", mNumber, line);
  std::fflush(stdout);
}

void TestPlugin::Reset() {
  TK_MutexLock lock(mMutex);
  Print("reset rate=%g block=%d", GetSampleRate(), GetBlockSize());
}

void TestPlugin::OnParamChange(int paramIdx) {
  TK_MutexLock lock(mMutex);
  Print("param %d = %g", paramIdx, GetParam(paramIdx)->Value());
}

void TestPlugin::OnActivate(bool active) {
  TK_MutexLock lock(mMutex);
  Print("activate %d", active ? 1 : 0);
}

void TestPlugin::OnHostIdentified() {
  Print("host %d version %d", (int)GetHost(), GetHostVersion(false));
}

void TestPlugin::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  ITimeInfo time;
  GetTime(&time);
  Print("block %d tempo=%g pos=%g ppq=%g bar=%g sig=%d/%d playing=%d loop=%d offline=%d", nFrames,
        time.mTempo, time.mSamplePos, time.mPPQPos, time.mLastBar, time.mNumerator,
        time.mDenominator, time.mTransportIsRunning ? 1 : 0, time.mTransportLoopEnabled ? 1 : 0,
        IsRenderingOffline() ? 1 : 0);
  IPluginBase::ProcessDoubleReplacing(inputs, outputs, nFrames);
}

void TestPlugin::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  Print("midi offset=%d bytes=%02X %02X %02X fromDevice=%d", msg->mOffset, msg->mStatus,
        msg->mData1, msg->mData2, fromDevice ? 1 : 0);
  // Note-ons go back to the host, so that its side of the event path shows.
  if (msg->StatusMsg() == IMidiMsg::kNoteOn) SendMidiVST(msg);
}

void TestPlugin::ProcessSysEx(ISysEx* sysex, bool fromDevice) {
  Print("sysex size=%d fromDevice=%d", sysex->mSize, fromDevice ? 1 : 0);
}

bool TestPlugin::SerializeState(ByteChunk* chunk) {
  chunk->AppendValue<int32_t>(kStateMarker);
  return SerializeParams(chunk) && SerializeNonAutomatedParams(chunk, kParams - kHostParams);
}

int TestPlugin::UnserializeState(ByteChunk* chunk, int startPos) {
  int32_t marker = 0;
  int pos = chunk->ReadValue(marker, startPos);
  if (pos < 0 || marker != kStateMarker) return -1;
  pos = UnserializeParams(chunk, pos);
  return UnserializeNonAutomatedParams(chunk, pos, kParams - kHostParams);
}

bool TestPlugin::MidiNoteName(int noteNumber, char* noteName) {
  if (noteNumber < 0 || noteNumber > 127) return false;
  std::snprintf(noteName, kVstMaxNameLen, "Key %d", noteNumber);
  return true;
}
