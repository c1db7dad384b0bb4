#include "tests/resources/BuiltLayout.h"

#include "src/config/ParameterIds.h"
#include "tests/support/TempDir.h"
#include "toolkit/gfx/Png.h"

namespace layout_check {

BuiltLayout::BuiltLayout(const std::string& bundleDir, int style, double scale)
    : HostlessPlugin(numParams, "2-2", 0, "Kroma Editor", "", "Quillon Bay Sound", 0x00010203, 1, 2,
                     0, true, true, true, kAPIVST2) {
  initialize(0, numParams, "2-2", 0, "Kroma Editor", "", "Quillon Bay Sound", 0x00010203, 1, 2, 0,
             true, true, true);
  graphics = new IGraphicsMac(this, static_cast<int>(1500 * scale), static_cast<int>(757 * scale));
  graphics->SetBundleID(kBundleID);
  AttachGraphics(graphics);
  config.setLog(this);
  kroma_test::ScopedEnv bundle("KROMA_BUNDLE_DIR", bundleDir.c_str());
  config.readUIConfig(graphics, this, nullptr, style, scale);
}

void BuiltLayout::render() {
  IRECT all(0, 0, graphics->Width(), graphics->Height());
  graphics->Draw(&all);
}

bool BuiltLayout::writePng(const std::string& path) {
  return GFX_WritePNG(path.c_str(), graphics->GetBackBuffer());
}

}  // namespace layout_check
