#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/vst2/opcodes.h"
#include "tests/toolkit/plugin/editor/EditorDoubles.h"
#include "toolkit/plugin/vst2/IPluginVST.h"

using namespace editor_test;
using ::testing::ElementsAre;

namespace {

class EditorPlug : public IPluginVST {
 public:
  EditorPlug()
      : IPluginVST(IPluginInstanceInfo{}, 2, "2-2", 0, "Effect", "Product", "Maker", 0x10203, 1, 2,
                   0, true, true, true, 0) {
    initialize(IPluginInstanceInfo{}, 2, 2, "2-2", 0, "Effect", "Product", "Maker", 0x10203, 1, 2,
               0, true, true, true, 0);
  }
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void OnGUIOpen() override { calls.push_back("gui open"); }
  void OnGUIClose() override { calls.push_back("gui close"); }
  void OnWindowResize() override { calls.push_back("resize"); }
  std::vector<std::string> calls;
};

// Records which of the two window forms the dispatcher chose.
class FormGraphics : public TestGraphics {
 public:
  FormGraphics(IPluginBase* plug, std::vector<std::string>* calls)
      : TestGraphics(plug, 300, 200), mCalls(calls) {}
  void* OpenWindow(void* parent) override {
    mCalls->push_back("view");
    return IGraphicsMac::OpenWindow(parent);
  }
  void* OpenWindow(void* window, void* control, short x, short y) override {
    mCalls->push_back("window");
    return IGraphicsMac::OpenWindow(window, control, x, y);
  }

 private:
  std::vector<std::string>* mCalls;
};

VstIntPtr Dispatch(EditorPlug& plug, int32_t opcode, void* ptr = nullptr) {
  AEffect* effect = plug.GetAEffect();
  return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.f);
}

}  // namespace

TEST(EditorOpcodesTest, RectangleIsTheGraphicsOwnSize) {
  EditorPlug plug;
  ERect* rect = nullptr;
  EXPECT_EQ(Dispatch(plug, effEditGetRect, &rect), 0) << "no graphics";
  EXPECT_EQ(Dispatch(plug, effEditOpen), 0);
  EXPECT_EQ(Dispatch(plug, effEditClose), 0);
  EXPECT_EQ(plug.GetAEffect()->flags & effFlagsHasEditor, 0);
  plug.ResizeGraphics(300, 200);
  EXPECT_TRUE(plug.calls.empty()) << "no graphics: nothing to resize";

  FormGraphics* graphics = new FormGraphics(&plug, &plug.calls);
  plug.AttachGraphics(graphics);
  EXPECT_NE(plug.GetAEffect()->flags & effFlagsHasEditor, 0);
  EXPECT_EQ(Dispatch(plug, effEditGetRect), 0);  // no pointer
  ASSERT_EQ(Dispatch(plug, effEditGetRect, &rect), 1);
  EXPECT_EQ(std::vector<int>({rect->top, rect->left, rect->bottom, rect->right}),
            std::vector<int>({0, 0, 200, 300}));
  graphics->Resize(400, 250);
  EXPECT_EQ(std::vector<int>({rect->bottom, rect->right}), std::vector<int>({250, 400}));
  // Whatever size a caller names, the rectangle stays that of the graphics.
  plug.ResizeGraphics(40, 30);
  EXPECT_EQ(std::vector<int>({rect->top, rect->left, rect->bottom, rect->right}),
            std::vector<int>({0, 0, 250, 400}));
  EXPECT_THAT(plug.calls, ElementsAre("resize", "resize"));
}

TEST(EditorOpcodesTest, HostsThatAskForAViewGetOneAndTheOthersAWindow) {
  EditorPlug plug;
  FormGraphics* graphics = new FormGraphics(&plug, &plug.calls);
  plug.AttachGraphics(graphics);
  EXPECT_EQ(Dispatch(plug, effEditOpen), 1);
  EXPECT_TRUE(graphics->WindowIsOpen());
  EXPECT_EQ(graphics->GetWindow(), nullptr);  // a pane, not a view
  EXPECT_STREQ(graphics->GetGUIAPI(), "Carbon Composited gui");
  EXPECT_EQ(Dispatch(plug, effEditClose), 1);
  EXPECT_FALSE(graphics->WindowIsOpen());
  EXPECT_STREQ(graphics->GetGUIAPI(), "Cocoa gui");
  Dispatch(plug, effCanDo, const_cast<char*>("hasHostViewAsConfig"));
  EXPECT_EQ(Dispatch(plug, effEditOpen), 1);
  EXPECT_NE(graphics->GetWindow(), nullptr);
  EXPECT_STREQ(graphics->GetGUIAPI(), "Cocoa gui");
  EXPECT_EQ(Dispatch(plug, effEditIdle), 0);
  EXPECT_THAT(plug.calls, ElementsAre("window", "gui open", "gui close", "view", "gui open"));
}
