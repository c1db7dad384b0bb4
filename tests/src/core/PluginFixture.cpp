#include "PluginFixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/vst2/opcodes.h"

PluginFixture::PluginFixture() {
  MidiBackend::setCurrent(&midi);
}

PluginFixture::~PluginFixture() {
  while (!mOpen.empty()) close(mOpen.back());
  MidiBackend::setCurrent(nullptr);
}

Kroma* PluginFixture::open() {
  Kroma* plug = new Kroma(IPluginInstanceInfo());
  plug->EnsureDefaultPreset();
  AEffect* effect = plug->GetAEffect();
  effect->numPrograms = std::max(effect->numPrograms, 1);
  mOpen.push_back(plug);
  dispatch(plug, effOpen);
  return plug;
}

void PluginFixture::close(Kroma* plug) {
  mOpen.erase(std::remove(mOpen.begin(), mOpen.end(), plug), mOpen.end());
  dispatch(plug, effClose);
}

intptr_t PluginFixture::dispatch(Kroma* plug, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr) {
  AEffect* effect = plug->GetAEffect();
  return effect->dispatcher(effect, opcode, index, value, ptr, 0.f);
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

void PluginFixture::writeData(const std::string& name, const std::string& text) const {
  std::ofstream(data.file(name), std::ios::binary) << text;
}

std::string PluginFixture::readData(const std::string& name) const {
  std::ifstream file(data.file(name), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
