#include "tests/resources/BuiltLayout.h"

#include "src/config/ParameterIds.h"
#include "tests/support/TempDir.h"

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

}  // namespace layout_check
