#include "BuilderTestSupport.h"

#include "src/config/ParameterIds.h"
#include "tests/support/Encipher.h"

namespace builder_test {

void BuilderGraphics::Render() {
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
}

BuilderPlug::BuilderPlug()
    : HostlessPlugin(numParams, "2-2", 0, "Effect", "Product", "Maker", 0x00010000, 1, 2, 0, false,
                     false, true, kAPIVST2) {
  initialize(0, numParams, "2-2", 0, "Effect", "Product", "Maker", 0x00010000, 1, 2, 0, false,
             false, true);
  graphics = new BuilderGraphics(this, 400, 300);
  AttachGraphics(graphics);
}

void BuilderPlug::SetParameterFromGUI(int idx, double value) {
  reports.push_back(value);
  IPluginBase::SetParameterFromGUI(idx, value);
}

const char* const sysexText = R"(<sysexlist>
  <sysex><values><value>3E 13 00 20 00 01 0A 00</value></values></sysex>
  <sysex><values><value>3E 13 00 20 00 02 05 00</value></values></sysex>
  <sysex><values><value>3E 13 00 20 00 01 12 00</value></values></sysex>
  <sysex><values><value>3E 13 00 20 00</value></values></sysex>
</sysexlist>)";

std::string textsOf(const IParam* param) {
  std::string joined;
  for (int i = 0; i < param->GetNDisplayTexts(); ++i)
    joined += (i ? "|" : "") + std::string(param->GetDisplayTextAtIdx(i));
  return joined;
}

void Builders::read(double scale, const std::string& layout, int style) {
  // Ids of their own: the framework's bitmap cache is shared by the whole process.
  const struct {
    int id;
    const char *name, *file;
    int frames;
    bool horizontal;
  } images[] = {
      {9001, "KNOB", "60x3780", 63, false},    {9002, "SWITCH", "40x60", 2, false},
      {9003, "RADIO", "120x40", 2, false},     {9004, "RADIO_COLUMN", "60x90", 2, true},
      {9005, "RADIO_ODD", "100x40", 2, false}, {9006, "HANDLE", "20x30", 1, false},
  };
  for (const auto& image : images)
    config.preloadImage(plug.graphics, image.id, image.name, image.file, image.frames,
                        image.horizontal);
  config.setResourceLoader([layout](int id, const char*) {
    const std::string bytes = kroma_test::encipher(id == 101 ? sysexText : layout);
    Bundle::LoadedFile file;
    file.bytes.assign(bytes.begin(), bytes.end());
    file.size = static_cast<int>(bytes.size());
    return std::optional<Bundle::LoadedFile>(file);
  });
  config.readUIConfig(plug.graphics, &plug, nullptr, style, scale);
}

void Builders::Write(const char* tag, const std::string& message) {
  lines.push_back(tag + message);
}

ControlAction& Builders::action(int index) {
  ControlAction* found = config.getControlAction(index);
  EXPECT_NE(found, nullptr) << index;
  static ControlAction none(-1);
  return found ? *found : none;
}

IControl* Builders::lastControl() {
  return plug.graphics->GetControl(plug.graphics->NControls() - 1);
}

}  // namespace builder_test
