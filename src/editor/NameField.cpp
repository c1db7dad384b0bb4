#include "src/editor/detail/NameField.h"

#include <string>

#include "toolkit/plugin/editor/IGraphics.h"

NameField::NameField(IPluginBase* plug, IRECT rect, int paramIdx, IText* style)
    : ICaptionControl(plug, rect, paramIdx, style, true) {}

bool NameField::Draw(IGraphics* graphics) {
  std::string name = Caption();
  name.erase(name.find_last_not_of(' ') + 1);
  return name.empty() || graphics->DrawITextInside(&mText, name.c_str(), mRECT);
}
