// Pictures of the real plug-in's editor as a musician meets it: made through the module's entry
// with a data folder of the test's own (UI settings file, debug log, a Patches folder of named
// banks), its window on the headless view and driven by mouse events through the view's hit
// testing. For each size in both styles: the first-run notice, every page (parts 1 and 10 on the
// sound pages), the MIDI filter and about panels opened by their switches and the overlay of a
// real transfer request, written into the build folder for review.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/view/headless/HeadlessView.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ControlAction.h"
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/KromaProbe.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/src/core/PluginFixture.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "tests/support/Patience.h"
#include "toolkit/gfx/Png.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"
#include "toolkit/plugin/editor/IStockControls.h"
#include "toolkit/plugin/editor/ITextControl.h"
#include "toolkit/plugin/vst2/entry/VSTEntry.h"

namespace {

struct Picture {
  int width = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[y * width + x]; }
};

// The UI settings file's size line, and the editor's size: 1500 x 757 scaled and truncated.
struct Size {
  const char* line;
  double scale;
  int width, height;
};
void PrintTo(const Size& size, std::ostream* out) {
  *out << size.line;
}
constexpr Size kSizes[] = {
    {"small", 0.85, 1275, 643}, {"normal", 1.0, 1500, 757}, {"large", 1.15, 1724, 870}};

const char* const kPages[6] = {"multi",        "librarian", "oscillators", "filtersEnvelopes",
                               "lfoModMatrix", "effectsArp"};

// Part 10 holds other shapes, filter types, envelope modes, a clocked LFO and an effect, as the
// synthesizer sent them.
constexpr std::pair<int, double> kPart10[] = {
    {kOscillator1Shape, 1}, {kOsc2UseSampleMemory, 1}, {kOscillator3Shape, 2}, {kFilter1Type, 9},
    {kFilter2Type, 5},      {kFilterEnvMode, 1},       {kAmpEnvMode, 4},       {kLFO2Clock, 1},
    {kEffect1Mode, 3},      {kModulation01Source, 5},  {kFilter1Cutoff, 40}};

int differing(const Picture& a, const Picture& b, const IRECT& area) {
  int count = 0;
  for (int y = area.T; y < area.B; ++y)
    for (int x = area.L; x < area.R; ++x) count += a.at(x, y) != b.at(x, y);
  return count;
}

// Pixels unlike the bottom-right corner, which every page leaves to the frame or the mixer band.
int drawn(const Picture& p) {
  const uint32_t corner = p.pixels.back();
  return static_cast<int>(
      std::count_if(p.pixels.begin(), p.pixels.end(), [&](uint32_t v) { return v != corner; }));
}

// A control's place, with a margin for the text of menus, whose font is as high as their box.
IRECT reach(const IControl* control) {
  const IRECT& r = control->GetRECT();
  return IRECT(r.L - 2, r.T - 2, r.R + 2, r.B + 2);
}

void addBounds(const ControlLayer* layer, std::vector<IRECT>* out) {
  for (int i = 0; layer && i < layer->controls.GetSize(); ++i)
    out->push_back(reach(layer->controls.Get(i)));
  for (int i = 0; layer && i < layer->childLayers.GetSize(); ++i)
    addBounds(layer->childLayers.Get(i), out);
}

class PluginScreenshots : public ::testing::WithParamInterface<Size>, public PluginFixture {
 protected:
  PluginScreenshots() {
    std::filesystem::create_directories(SCREENSHOT_DIR);
    banks::write(data.file("Patches/Factory Leads.syx"), "Lead ");
    // The longest name the bank lists show unshortened.
    banks::write(data.file("Patches/Evolving Pads and Strings for the Winter Tour 24.syx"), "Pad ");
    banks::write(data.file("Patches/Live/Stage Multis.syx"), "Stage ", true);
  }

  // Starts the plug-in through its entry with the UI settings file's three lines (the first-run
  // notice due) and an empty debug log, and opens its window.
  void start(int style) {
    writeData("Kroma Editor UI.txt",
              std::string(style ? "black" : "white") + "\n" + GetParam().line + "\nno\n");
    writeData("Kroma Editor LOG.txt", "");
    plug = openThrough(&VSTPluginMain);
    ASSERT_NE(plug, nullptr);
    dispatch(plug, effEditOpen);
    window = VIEW_HeadlessView::of(static_cast<IGraphicsMac*>(plug->graphics())->KitView());
    ASSERT_NE(window, nullptr);
    name = std::string("-style") + std::to_string(style) + "-" + GetParam().line;
  }

  // The editor's timer, until what other threads asked of it is applied and drawn.
  void settle() {
    for (int i = 0; i < 3; ++i) window->tick();
  }

  // Where a musician clicks the parameter's control (the middle of button `button` of a radio
  // control): a control bound to it that the hit testing finds there, the later first.
  std::pair<int, int> placeOf(int paramIdx, int button = -1) const {
    const ControlAction* action =
        KromaProbe(plug).parts.mUIConfigManager->getControlAction(paramIdx);
    for (auto it = action->controls.rbegin(); it != action->controls.rend(); ++it) {
      IRECT area = (*it)->GetTargetRECT();
      if (button >= 0) area = *dynamic_cast<IRadioButtonsControl*>(*it)->GetButtonRECT(button);
      const int x = (area.L + area.R) / 2, y = (area.T + area.B) / 2;
      if (plug->graphics()->GetMouseControlIdx(x, y) == *it) return {x, y};
    }
    ADD_FAILURE() << "no control of parameter " << paramIdx << " to click";
    return {-1, -1};
  }

  void press(int paramIdx, int button = -1) {
    const auto [x, y] = placeOf(paramIdx, button);
    window->mouseDown(x, y);
    window->mouseUp(x, y);
    settle();
  }

  Picture shot(const std::string& state) {
    settle();
    Picture p{window->screenWidth(), window->screen()};
    GFX_MemBitmap bitmap(window->screenWidth(), window->screenHeight());
    std::copy(p.pixels.begin(), p.pixels.end(), bitmap.getBits());
    EXPECT_TRUE(
        GFX_WritePNG((std::string(SCREENSHOT_DIR) + "/" + state + name + ".png").c_str(), &bitmap));
    EXPECT_GT(drawn(p), static_cast<int>(p.pixels.size()) / 2) << state << name;
    return p;
  }

  IRECT scaled(const IRECT& r) const {
    const double s = GetParam().scale;
    return IRECT(static_cast<int>(r.L * s), static_cast<int>(r.T * s), static_cast<int>(r.R * s),
                 static_cast<int>(r.B * s));
  }

  // Where a part switch may change the window, pixel by pixel: the part tabs, the central
  // displays, and every layer the switch shows or hides (the pages' part panels, the bank and
  // program panels, the filter pictures and the effect panels).
  std::vector<char> partArea() const {
    std::vector<IRECT> area;
    for (int param : {kQuickTab, kControlDisplayName, kControlDisplayValue, kControlDisplayPatch,
                      kControlDisplayCategory, kControlDisplayCC})
      area.push_back(reach(plug->controlOf(param)));
    const TabLayers& layers = plug->tabLayers();
    for (const ControlLayer* page :
         {layers.oscillators, layers.filtersEnvelopes, layers.lfoModMatrix, layers.effectsArp})
      for (int i = 0; i < page->childLayers.GetSize(); ++i)
        addBounds(page->childLayers.Get(i), &area);
    for (const ControlLayer* layer : layers.bankAndProgram) addBounds(layer, &area);
    for (const auto& type : layers.filterPictures)
      for (const ControlLayer* layer : type) addBounds(layer, &area);
    for (const ControlLayer* layer : layers.effectPanels) addBounds(layer, &area);
    const int w = window->screenWidth(), h = window->screenHeight();
    std::vector<char> inside(static_cast<size_t>(w) * h);
    for (const IRECT& r : area)
      for (int y = std::max(r.T, 0); y < std::min(r.B, h); ++y)
        for (int x = std::max(r.L, 0); x < std::min(r.R, w); ++x) inside[y * w + x] = 1;
    return inside;
  }

  static int differingOutside(const Picture& a, const Picture& b, const std::vector<char>& area) {
    int count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) count += !area[i] && a.pixels[i] != b.pixels[i];
    return count;
  }

  // The menus whose longest entry is wider than the field it is written in.
  std::set<std::string> crampedMenus() const {
    std::set<std::string> cramped;
    for (int idx = 0; idx < plug->NParams(); ++idx) {
      const ControlAction* action = KromaProbe(plug).parts.mUIConfigManager->getControlAction(idx);
      const IParam* param = plug->GetParam(idx);
      for (IControl* control : action ? action->controls : std::vector<IControl*>()) {
        if (!dynamic_cast<ICaptionControl*>(control)) continue;
        for (int i = 0; i < param->GetNDisplayTexts(); ++i) {
          std::string text = std::string(param->GetDisplayTextAtIdx(i)) + " ";
          IRECT measured = control->GetRECT();
          plug->graphics()->MeasureIText(control->GetText(), text.data(), &measured);
          if (measured.W() > control->GetRECT().W())
            cramped.insert(text + "in " + std::to_string(control->GetRECT().W()) + " px");
        }
      }
    }
    return cramped;
  }

  std::string valueShown() const {
    TK_String text;
    plug->displayValueControl()->GetTextForPlug(&text);
    return text.Get();
  }

  // Log lines of pictures, parameters, layers or controls the layout lacks or the builders skip.
  std::vector<std::string> complaints() const {
    std::vector<std::string> lines;
    std::istringstream log(readData("Kroma Editor LOG.txt"));
    for (std::string line; std::getline(log, line);)
      for (const char* word : {"MISSING", "NOT FOUND", "skip"})
        if (line.find(word) != std::string::npos) lines.push_back(line);
    return lines;
  }

  Kroma* plug = nullptr;
  VIEW_HeadlessView* window = nullptr;
  std::string name;
};

// For each style: the notice of the first start; the MIDI filter and about panels opened and
// closed by their switches; the overlay a request of the synthesizer's Multi shows until it is
// cancelled; every page clicked by its tab, the sound pages for part 1 and 10 clicked on the
// part rail (each page differs from the others where the pages lie, and a part switch changes
// only where parts are shown); a knob dragged shows its new value.
TEST_P(PluginScreenshots, PanelsPagesPartsAndAKnobDrag) {
  const IRECT pageArea = scaled(IRECT(80, 96, 1500, 712));
  const IRECT whole(0, 0, GetParam().width, GetParam().height);
  Picture firstStyle;
  for (int style : {0, 1}) {
    start(style);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(window->screenWidth(), GetParam().width);
    EXPECT_EQ(window->screenHeight(), GetParam().height);
    for (const auto& [param, value] : kPart10)
      plug->setValueFromHardware(param + 9, plug->GetParam(param + 9)->GetNormalized(value));
    const Picture notice = shot("firstRunNotification");
    press(kFirstRunExit);
    const Picture page = shot("noPanels");
    const struct {
      const char* state;
      int open, close;
      IRECT area;
    } panels[] = {
        {"firstRunNotification", -1, -1, IRECT(450, 208, 1050, 548)},
        {"midiFilterSettings", kViewMIDIFilterSettings, kViewMIDIFilterSettings,
         IRECT(430, 170, 1070, 590)},
        {"aboutWindow", kDisplayAboutWindow, kExitAboutWindow, IRECT(450, 188, 1050, 568)}};
    for (const auto& panel : panels) {
      const IRECT area = scaled(panel.area);
      if (panel.open < 0) {
        EXPECT_GT(differing(notice, page, area), area.W() * area.H() / 4) << panel.state;
        continue;
      }
      press(panel.open);
      EXPECT_GT(differing(page, shot(panel.state), area), area.W() * area.H() / 4) << panel.state;
      press(panel.close);
      EXPECT_EQ(differing(page, shot("noPanels"), scaled(IRECT(80, 96, 1500, 757))), 0)
          << panel.state << " closed";
    }

    press(kRequestTempData);
    const auto until = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    while (!plug->layerNamed("PROGRESS")->IsVisible() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      window->tick();
    }
    EXPECT_GT(differing(page, shot("overlay"), whole), static_cast<int>(page.pixels.size()) / 2);
    press(kCancelDataRequest);
    while (KromaProbe(plug).parts.mMIDIMessageManager->isLaneRunning(Lane::kTransfer) &&
           std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    settle();
    EXPECT_FALSE(plug->layerNamed("PROGRESS")->IsVisible());

    if (style == 0) {
      EXPECT_EQ(crampedMenus(), std::set<std::string>());
    }
    const std::vector<char> partArea = this->partArea();
    std::vector<Picture> pages;
    for (int tab = 0; tab < 6; ++tab) {
      press(kMainTab, tab);
      EXPECT_EQ(plug->GetParam(kMainTab)->Int(), tab);
      if (tab == 0) press(kMultiPartSettings + 9);  // part 10's setup open
      pages.push_back(shot(std::string(kPages[tab]) + (tab < 2 ? "" : "-part1")));
      if (tab < 2) continue;  // the Multi and the librarian page show no part's sound
      press(kQuickTab, 9);
      EXPECT_EQ(plug->currentPart(), 9);
      const Picture part10 = shot(std::string(kPages[tab]) + "-part10");
      EXPECT_GT(differing(pages[tab], part10, pageArea), 1000) << kPages[tab];
      EXPECT_EQ(differingOutside(pages[tab], part10, partArea), 0) << kPages[tab];
      press(kQuickTab, 0);
    }
    for (int a = 0; a < 6; ++a)
      for (int b = a + 1; b < 6; ++b)
        EXPECT_GT(differing(pages[a], pages[b], pageArea), pageArea.W() * pageArea.H() / 10)
            << kPages[a] << " and " << kPages[b];
    if (style == 0) firstStyle = pages[0];
    if (style == 1) {
      EXPECT_GT(differing(firstStyle, pages[0], whole), whole.W() * whole.H() / 10)
          << "the two styles";
    }

    press(kMainTab, 3);
    const auto [x, y] = placeOf(kFilter1Cutoff);
    const int before = plug->GetParam(kFilter1Cutoff)->Int();
    window->mouseDown(x, y);
    window->mouseDrag(x, y + 20);
    window->mouseDrag(x, y + 40);
    window->mouseUp(x, y + 40);
    settle();
    const int after = plug->GetParam(kFilter1Cutoff)->Int();
    EXPECT_LT(after, before);
    EXPECT_EQ(valueShown(), std::to_string(after));
    EXPECT_EQ(complaints(), std::vector<std::string>());
    close(plug);
  }
}

// On every card of the Multi page a part's name stays inside its field, clear of the part badge and
// the lock: "Init" as the synthesizer pads it, centred; a name of 16 letters, cut at the field.
TEST_P(PluginScreenshots, PartNamesStayInTheirFieldsOnEveryCard) {
  for (int style : {0, 1}) {
    start(style);
    ASSERT_FALSE(HasFatalFailure());
    press(kFirstRunExit);
    const auto named = [&](const std::string& text, const std::string& state) {
      for (int part = 0; part < 16; ++part) {
        plug->setDisplayText(kPatchName + part, text);
        plug->controlOf(kPatchName + part)->SetDirty(false);
      }
      return shot(state);
    };
    const Picture blank = named("", "multi-noNames");
    for (const std::string& text :
         {std::string("Init            "), std::string("Brass Section 16")}) {
      const Picture shown = named(text, text[4] == ' ' ? "multi-namesInit" : "multi-namesLong");
      for (int part = 0; part < 16; ++part) {
        const IRECT field = plug->controlOf(kPatchName + part)->GetRECT();
        const IRECT card(field.L - field.W() / 2, field.T - 4, field.R + field.W() / 2,
                         field.B + 4);
        int left = field.R, right = field.L, outside = 0;
        for (int y = card.T; y < card.B; ++y)
          for (int x = card.L; x < card.R; ++x) {
            if (blank.at(x, y) == shown.at(x, y)) continue;
            if (x < field.L || x >= field.R || y < field.T || y >= field.B) ++outside;
            left = std::min(left, x);
            right = std::max(right, x + 1);
          }
        EXPECT_EQ(outside, 0) << '"' << text << "\" part " << part + 1 << name;
        EXPECT_LT(left, right) << '"' << text << "\" part " << part + 1 << name;
        if (text[4] == ' ') {
          EXPECT_LE(std::abs((left - field.L) - (field.R - right)), 3)
              << "centred: part " << part + 1 << name;
        }
      }
    }
    close(plug);
  }
}

INSTANTIATE_TEST_SUITE_P(EachSize, PluginScreenshots, ::testing::ValuesIn(kSizes),
                         [](const auto& info) { return std::string(info.param.line); });

}  // namespace
