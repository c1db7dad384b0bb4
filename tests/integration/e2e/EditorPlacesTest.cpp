#include "src/core/KromaProbe.h"
#include "src/librarian/view/EditMenus.h"
#include "src/librarian/view/FolderMenus.h"
#include "tests/integration/e2e/EndToEnd.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"

// The places a session clicks hold the controls it means, on their pages of the shipped editor.
namespace {

using EditorPlaces = PluginFixture;

TEST_F(EditorPlaces, EachPlaceHoldsItsControlOnItsPage) {
  Kroma* twin = open();
  const std::pair<const session::Place*, const IControl*> menus[] = {
      {&session::place::kLibrarianMenu, KromaProbe(twin).widgets.mBankEditMenu},
      {&session::place::kUpperBank, KromaProbe(twin).widgets.mLeftPatchMenu}};
  for (const session::Place& place : session::place::all()) {
    showPage(twin, place.page);
    const IControl* hit = twin->graphics()->GetMouseControlIdx(place.x, place.y);
    ASSERT_NE(hit, nullptr) << place.name;
    EXPECT_EQ(hit->ParamIdx(), place.param) << place.name;
    for (const auto& [menu, control] : menus)
      if (menu->x == place.x && menu->y == place.y) {
        EXPECT_EQ(hit, control) << place.name;
      }
  }
}

}  // namespace
