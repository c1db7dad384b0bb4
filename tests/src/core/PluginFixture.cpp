#include "PluginFixture.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/view/headless/Script.h"
#include "platform/vst2/events.h"
#include "platform/vst2/opcodes.h"
#include "src/core/KromaProbe.h"
#include "tests/support/Patience.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

VstTimeInfo PluginFixture::hostTime;

namespace {

std::mutex gNoticesLock;
std::map<AEffect*, PluginFixture::HostNotices> gNotices;
std::thread::id gTestThread;

VstIntPtr hostCallback(AEffect* effect, int32_t opcode, int32_t, VstIntPtr, void*, float) {
  if (opcode == audioMasterUpdateDisplay) {
    std::lock_guard<std::mutex> lock(gNoticesLock);
    PluginFixture::HostNotices& notices = gNotices[effect];
    ++notices.count;
    if (std::this_thread::get_id() != gTestThread) ++notices.otherThreads;
  }
  return opcode == audioMasterGetTime ? reinterpret_cast<VstIntPtr>(&PluginFixture::hostTime) : 0;
}

}  // namespace

PluginFixture::HostNotices PluginFixture::takeHostNotices(Kroma* plug) {
  std::lock_guard<std::mutex> lock(gNoticesLock);
  HostNotices notices = gNotices[plug->GetAEffect()];
  gNotices.erase(plug->GetAEffect());
  return notices;
}

PluginFixture::PluginFixture() {
  {
    std::lock_guard<std::mutex> lock(gNoticesLock);
    gNotices.clear();
    gTestThread = std::this_thread::get_id();
  }
  MidiBackend::setCurrent(&midi);
  hostTime = VstTimeInfo{};
  hostTime.sampleRate = 44100.0;
  hostTime.tempo = 120.0;
  hostTime.flags = kVstTempoValid;
}

PluginFixture::~PluginFixture() {
  while (!mOpen.empty()) close(mOpen.back());
  MidiBackend::setCurrent(nullptr);
}

IPluginInstanceInfo PluginFixture::hostInfo() {
  IPluginInstanceInfo host;
  host.mVSTHostCallback = &hostCallback;
  return host;
}

void PluginFixture::adopt(Kroma* plug) {
  plug->EnsureDefaultPreset();
  AEffect* effect = plug->GetAEffect();
  effect->numPrograms = std::max(effect->numPrograms, 1);
  mOpen.push_back(plug);
  dispatch(plug, effOpen);
}

Kroma* PluginFixture::openThrough(AEffect* (*entry)(audioMasterCallback)) {
  AEffect* effect = entry(&hostCallback);
  Kroma* plug = effect ? dynamic_cast<Kroma*>(static_cast<IPluginVST*>(effect->object)) : nullptr;
  if (!plug) return nullptr;
  mOpen.push_back(plug);
  dispatch(plug, effOpen);
  return plug;
}

void PluginFixture::close(Kroma* plug) {
  mOpen.erase(std::remove(mOpen.begin(), mOpen.end(), plug), mOpen.end());
  dispatch(plug, effClose);
}

intptr_t PluginFixture::dispatch(Kroma* plug, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt) {
  AEffect* effect = plug->GetAEffect();
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::vector<uint8_t> PluginFixture::saveChunk(Kroma* plug) {
  void* data = nullptr;
  const intptr_t size = dispatch(plug, effGetChunk, 1, 0, &data);
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t PluginFixture::loadChunk(Kroma* plug, std::vector<uint8_t> chunk) {
  return dispatch(plug, effSetChunk, 1, static_cast<intptr_t>(chunk.size()), chunk.data());
}

Kroma* PluginFixture::openConnected() {
  midi.addOutputPort("Synth Out");
  Kroma* plug = open();
  int index = 1;
  EXPECT_EQ(plug->setExternalMIDIOut(index, "Synth Out"), 1);
  KromaProbe(plug).routing.mMIDIOutSet = true;
  return plug;
}

std::string PluginFixture::sent(size_t from) const {
  std::string text;
  char hex[4];
  const std::vector<std::vector<uint8_t>> messages = midi.received("Synth Out");
  for (size_t m = from; m < messages.size(); ++m)
    for (size_t i = 0; i < messages[m].size(); ++i)
      text += (std::snprintf(hex, sizeof hex, "%02X", messages[m][i]), hex) +
              std::string(i + 1 < messages[m].size() ? " " : "|");
  return text;
}

bool PluginFixture::eventually(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
  while (!done() && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

std::string PluginFixture::awaitSent(size_t from, size_t count) const {
  eventually([&] { return sentCount() >= from + count; });
  return sent(from);
}

void PluginFixture::process(Kroma* plug, int frames, const std::vector<IMidiMsg>& events) {
  if (!events.empty()) {
    std::vector<VstMidiEvent> midi(events.size());
    VstEventList list(static_cast<int>(events.size()));
    for (size_t i = 0; i < events.size(); ++i) {
      midi[i].type = kVstMidiType;
      midi[i].byteSize = sizeof(VstMidiEvent);
      midi[i].deltaFrames = events[i].mOffset;
      midi[i].midiData[0] = static_cast<char>(events[i].mStatus);
      midi[i].midiData[1] = static_cast<char>(events[i].mData1);
      midi[i].midiData[2] = static_cast<char>(events[i].mData2);
      list.Set(static_cast<int>(i), reinterpret_cast<VstEvent*>(&midi[i]));
    }
    dispatch(plug, effProcessEvents, 0, 0, list.Get());
  }
  std::vector<double> buffer(2 * frames, 0.5);
  double* channels[2] = {buffer.data(), buffer.data() + frames};
  AEffect* effect = plug->GetAEffect();
  effect->processDoubleReplacing(effect, channels, channels, frames);
}

void PluginFixture::openEditor(Kroma* plug) {
  VIEW_Script::instance().reset();
  static_cast<IGraphicsMac*>(plug->graphics())->OpenWindow(nullptr);
}

VIEW_HeadlessView* PluginFixture::openEditorAsHost(Kroma* plug) {
  VIEW_Script::instance().reset();
  dispatch(plug, effEditOpen);
  return VIEW_HeadlessView::of(static_cast<IGraphicsMac*>(plug->graphics())->KitView());
}

void PluginFixture::choose(IControl* menu, const std::vector<int>& path) {
  VIEW_Script::instance().answerMenu(path);
  IMouseMod left(true);
  menu->OnMouseDown(0, 0, &left);
}

bool PluginFixture::shown(Kroma* plug, const std::string& layer) {
  ControlLayer* found = plug->layerNamed(layer);
  EXPECT_NE(found, nullptr) << layer;
  return found && found->IsVisible();
}

std::string PluginFixture::text(ITextControl* control) {
  TK_String out;
  control->GetTextForPlug(&out);
  return out.Get();
}

std::string PluginFixture::status(Kroma* plug) {
  return text(KromaProbe(plug).widgets.mNameDisplay);
}

void PluginFixture::writeData(const std::string& name, const std::string& text) const {
  std::ofstream(data.file(name), std::ios::binary) << text;
}

std::string PluginFixture::readData(const std::string& name) const {
  std::ifstream file(data.file(name), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void PluginFixture::set(Kroma* plug, int param, double value) {
  plug->GetParam(param)->SetClamped(value);
  plug->OnParamChange(param);
}

void PluginFixture::turn(Kroma* plug, int param, double value) {
  IControl* control = plug->controlOf(param);
  ASSERT_NE(control, nullptr) << param;
  control->SetValueFromUserInput(plug->GetParam(param)->GetNormalized(value));
}
