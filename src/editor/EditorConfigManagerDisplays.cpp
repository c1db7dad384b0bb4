#include "src/config/ParameterIds.h"
#include "src/editor/EditorConfigManager.h"
#include "src/editor/detail/NameField.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/IStockControls.h"

namespace {

const IColor kYellow(255, 241, 243, 33);
const IColor kWhite(255, 255, 255, 255);
const IColor kBlack(255, 0, 0, 0);
const IColor kNameGrey(255, 187, 187, 187);
const IColor kEntryGrey(255, 225, 225, 225);

// The librarian's two entry fields stand out from the names of the parts.
bool isEntryField(int paramIdx) {
  return paramIdx == kPatchRename || paramIdx == kPatchSearchString;
}

const char* initialName(int paramIdx) {
  if (paramIdx == kPatchRename) return "New Name";
  if (paramIdx == kPatchSearchString) return "search...";
  if (paramIdx == kMultiName) return "Init Multi";
  if (isPartOf(paramIdx, kPatchName)) return "-- INIT --";
  return "INIT";
}

}  // namespace

void EditorConfigManager::createControlDisplay(std::string, int paramIdx, int x, int y, int w,
                                               int h, int, ControlLayer* layer, std::string,
                                               bool white) {
  if (!parameter(paramIdx)) return;
  IColor colour = kWhite;
  if (style() == 0 && white) colour = kYellow;
  if (style() == 1) colour = paramIdx == kControlDisplayBuild ? kYellow : kBlack;
  IText text = textStyle(h, colour);
  // No parameter of its own: the plug-in finds it through the binding and writes its text.
  IControl* display = new ITextControl(plug(), scaledRect(x, y, w, h), &text, "");
  placeAndBind(display, layer, paramIdx, kMessageNone);
}

void EditorConfigManager::createNameDisplay(std::string name, int paramIdx, int x, int y, int w,
                                            int h, int nameLen, int part, ControlLayer* layer,
                                            std::string group) {
  IParam* param = parameter(paramIdx);
  if (!param) return;
  param->InitEnum(name.c_str(), 0, 1, "", getParamGroup(part, group), -1, -1);
  param->InitText();
  param->SetDisplayText(0, initialName(paramIdx));
  IText style = textStyle(h, isEntryField(paramIdx) ? kEntryGrey : kNameGrey);
  IControl* field = new NameField(plug(), scaledRect(x, y, w, h), paramIdx, &style, mHost);
  field->DisablePrompt(false);
  field->SetTextEntryLength(nameLen);
  // Names go to the synthesizer, which shows printable ASCII only; the search only looks for them.
  field->SetTextEntryAsciiOnly(paramIdx != kPatchSearchString);
  placeAndBind(field, layer, kMessageNone);
}

void EditorConfigManager::createBackground(std::string imageId, int x, int y, ControlLayer* layer) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  place(new IBitmapControl(plug(), frameRect(x, y, bitmap), -1, &bitmap), layer);
}

LibrarianViewControl* EditorConfigManager::createLibrarianView(std::string imageId, int x, int y,
                                                               int w, int h, ControlLayer* layer) {
  IBitmap bitmap = getImageByName(graphics(), imageId);
  LibrarianViewControl* view =
      new LibrarianViewControl(plug(), scaled(x), scaled(y), kLibrarianArea, &bitmap,
                               scaledRect(x, y, w, h), librarian(), scale());
  place(view, layer);
  return view;
}
