#include "LibrarianRig.h"

#include "platform/view/headless/Script.h"
#include "src/config/ParameterIds.h"

constexpr int kParams = 8456;

LibrarianRig::LibrarianRig(double scale_)
    : HostlessPlugin(kParams, "2-2", 0, "Effect", "Product", "Maker", 0x00010000, 1, 2, 0, true,
                     true, true, kAPIVST2),
      scale(scale_) {
  initialize(0, kParams, "2-2", 0, "Effect", "Product", "Maker", 0x00010000, 1, 2, 0, true, true,
             true);
  for (int p = 0; p < 16; ++p) {
    GetParam(kMultiPartBank + p)->InitInt("Bank", 0, 0, 7);
    GetParam(kMultiPartPatch + p)->InitInt("Program", 0, 0, 127);
  }
  GetParam(kDeviceOutSelection)->InitInt("Out", 1, 0, 4);  // a port is chosen
  for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower})
    GetParam(list)->InitEnum("List", 0, 16);
  VIEW_Script::instance().reset();
  graphics = new editor_test::TestGraphics(this, 1500, 757);
  AttachGraphics(graphics);
  graphics->AttachPanelBackground(&COLOR_BLACK);
  editor_test::OpenCocoaView(graphics)->tick();
  for (const char* name : {"saveChangesLayer", "patchRename", "aboutWindow"})
    layers[name] = std::make_unique<ControlLayer>(0, name);
}

ControlLayer* LibrarianRig::layerNamed(const std::string& name) const {
  const auto found = layers.find(name);
  return found == layers.end() ? nullptr : found->second.get();
}

LibrarianViewControl* LibrarianRig::makeView() {
  IBitmap bitmap = graphics->LoadIBitmap(148, "1040x502");
  const int x = static_cast<int>(100 * scale), y = static_cast<int>(214 * scale);
  view = new LibrarianViewControl(this, x, y, kLibrarianArea, &bitmap,
                                  IRECT(x, y, x + bitmap.W, y + bitmap.H), &librarian, scale);
  graphics->AttachControl(view);
  return view;
}

void LibrarianRig::choose(IControl* control, const std::vector<int>& path) {
  VIEW_Script::instance().answerMenu(path);
  IMouseMod left(true);
  control->OnMouseDown(0, 0, &left);
}

std::vector<std::string> LibrarianRig::take() {
  std::vector<std::string> taken;
  taken.swap(calls);
  return taken;
}

bool LibrarianRig::startLibrarianJob(const SenderJob& job, JobFlags flags) {
  std::string text = "job " + std::to_string(job.code);
  for (int value : {job.part, job.bank, job.slot}) text += " " + std::to_string(value);
  text += std::string(" ") + (job.toEditor ? "E" : "") + (job.toLibrarian ? "L" : "") +
          (flags.dumpRouting ? "d" : "") + (flags.clearCollectorDone ? "c" : "") +
          (flags.multiPush ? "m" : "");
  calls.push_back(text);
  return true;
}
