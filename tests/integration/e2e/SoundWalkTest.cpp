// Every editable sound control of parts 1 and 10, walked in the editor as a musician would: knobs
// turned, switches clicked, menu items picked (every item of a menu that shows other controls),
// the arpeggiator's steps and the panel of every effect type included. The sound dump the
// synthesizer then holds carries every byte the editor's values give.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "platform/view/headless/Script.h"
#include "platform/vst2/opcodes.h"
#include "src/protocol/SoundDump.h"
#include "src/protocol/SysExFormat.h"
#include "tests/integration/e2e/EndToEnd.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

using namespace session;

constexpr Seconds kArrival = kroma_test::kWaitCap;
constexpr int kFirstSoundPage = 2, kLastSoundPage = 5;

// One thing the musician does in the editor.
struct Step {
  enum Kind { kPage, kPart, kWheel, kClick, kMenu } kind;
  Place place;
  int amount;        // wheel steps; the page or part shown
  std::string item;  // the menu item picked
};

// The sound bytes of `part` that the values give.
std::vector<int> soundBytes(const ParameterAccess& values, int part) {
  std::vector<int> bytes;
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    bytes.push_back(sound_dump::encodeByte(row, values, part));
  return bytes;
}

// The instance's values as the dump codecs read them.
class TwinValues : public ParameterAccess {
 public:
  explicit TwinValues(Kroma* twin) : mTwin(twin) {}
  double getValue(int index) const override { return mTwin->GetParam(index)->Value(); }
  void setParameterFromPlug(int, double) override {}
  std::string getDisplayText(int) const override { return ""; }
  void setDisplayText(int, const std::string&) override {}

 private:
  Kroma* mTwin;
};

// Walks an in-process instance (the twin) with its editor open, and keeps every step it took, so
// that a session takes the same ones. A control is walked once; a control that a step shows or
// ungreys is walked after it.
class Walk {
 public:
  explicit Walk(Kroma* twin) : mTwin(twin), mSound(soundParameters(true)) {}

  void walkPart(int part) {
    mPart = part;
    mWalked.clear();
    take({Step::kPage, place::tab(0), 0, ""});
    take({Step::kPart, place::part(part), part, ""});
    for (int page = kFirstSoundPage; page <= kLastSoundPage; ++page) {
      mPage = page;
      take({Step::kPage, place::tab(page), page, ""});
      walkShown();
    }
  }
  const std::vector<Step>& steps() const { return mSteps; }
  // The parameters of the controls the walk turned, clicked or picked from.
  std::set<int> touched() const {
    std::set<int> params;
    for (const Step& step : mSteps)
      if (step.kind >= Step::kWheel) params.insert(step.place.param);
    return params;
  }
  // Takes a step on the instance, as the session will.
  void replay(const Step& step) {
    mPage = step.kind == Step::kPage ? step.amount : mPage;
    switch (step.kind) {
      case Step::kWheel:
        wheel(step.place, step.amount);
        break;
      case Step::kClick:
        click(step.place);
        break;
      default:
        take(step);
        mSteps.pop_back();
    }
  }
  // What a step leaves: the values, and the sound controls that take input.
  struct Shot {
    std::vector<double> values;
    std::set<int> shown;
  };
  Shot snapshot() const { return {values(), shownParameters()}; }
  std::vector<Shot> shots;

 private:
  IGraphics* g() const { return mTwin->graphics(); }

  std::set<int> shownParameters() const {
    std::set<int> shown;
    for (const auto& [param, place] : editable()) shown.insert(param);
    return shown;
  }

  // The sound controls that take input now, by parameter.
  std::map<int, Place> editable() const {
    std::map<int, Place> places;
    for (IControl* c : allControls(g())) {
      const IRECT& r = c->GetTargetRECT();
      const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
      if (c->IsHidden() || c->IsGrayed() || !mSound.count(c->ParamIdx() - mPart) ||
          g()->GetMouseControlIdx(x, y) != c)
        continue;
      places.emplace(c->ParamIdx(), Place{"sound control", c->ParamIdx(), mPage, x, y});
    }
    return places;
  }

  // The controls not yet walked that take input now and did not before.
  std::set<int> newlyShown(const std::map<int, Place>& before) const {
    std::set<int> shown;
    for (const auto& [param, place] : editable())
      if (!mWalked.count(param) && !before.count(param)) shown.insert(param);
    return shown;
  }

  // Walks the controls not yet walked that take input now; with `only`, those of them only. The
  // switches go last: one may grey others (an LFO on the clock greys its speed and keytrack).
  void walkShown(const std::set<int>* only = nullptr) {
    std::vector<int> switches;
    for (bool more = true; more;) {
      more = false;
      for (const auto& [param, place] : editable()) {
        if (mWalked.count(param) || (only && !only->count(param))) continue;
        mWalked.insert(param);
        if (!walkControl(place)) switches.push_back(param);
        more = true;
        break;  // what is shown may have changed
      }
      for (; !more && !switches.empty(); switches.erase(switches.begin()))
        if (const auto shown = editable(); shown.count(switches.front()))
          more = flip(shown.at(switches.front()));
    }
  }

  // Turns or picks from the control; false for a switch, which neither turns nor opens a menu.
  bool walkControl(const Place& place) {
    if (const std::vector<std::string> items = menuItems(place); !items.empty()) {
      walkMenu(place, items);
      return true;
    }
    const double was = value(place.param);
    for (int amount : {1, -1}) {
      wheel(place, amount);
      if (value(place.param) != was) {
        record({Step::kWheel, place, amount, ""});
        return true;
      }
    }
    return false;
  }

  // Clicks a switch; whether it changed.
  bool flip(const Place& place) {
    const double was = value(place.param);
    click(place);
    if (value(place.param) == was) return false;
    record({Step::kClick, place, 0, ""});
    // What a switch changes on its page may show only when the page is shown anew (a sample
    // memory switch: its oscillator's sample menu), as the musician then does from another page.
    take({Step::kPage, place::tab(0), 0, ""});
    take({Step::kPage, place::tab(mPage), mPage, ""});
    return true;
  }

  void record(const Step& step) {
    mSteps.push_back(step);
    shots.push_back(snapshot());
  }

  // Every item that shows controls not yet walked is picked, and those controls walked; a menu
  // that shows none gets one other item.
  void walkMenu(const Place& place, const std::vector<std::string>& items) {
    const std::string current = shownText(place.param);
    std::vector<std::string> showing, others;
    for (const std::string& item : items) {
      if (item == current || std::count(items.begin(), items.end(), item) != 1) continue;
      others.push_back(item);
      const std::vector<double> before = values();
      const std::map<int, Place> shown = editable();
      pick(place, items, item);
      if (!newlyShown(shown).empty()) showing.push_back(item);
      restore(before);
    }
    if (showing.empty() && !others.empty()) showing.push_back(others.front());
    // Only what an item shows is walked before the next item: the rest of the page may hide the
    // menu (an oscillator playing samples shows its sample menu in the shape menu's place).
    for (const std::string& item : showing) {
      const std::map<int, Place> shown = editable();
      take({Step::kMenu, place, 0, item});
      const std::set<int> fresh = newlyShown(shown);
      walkShown(&fresh);
    }
  }

  void take(const Step& step) {
    switch (step.kind) {
      case Step::kPage:
        showPage(mTwin, step.amount);
        break;
      case Step::kPart:
        click(step.place);
        break;
      case Step::kMenu:
        pick(step.place, menuItems(step.place), step.item);
        break;
      default:
        break;
    }
    record(step);
  }

  // The items of the menu the control opens; none for a control that opens no menu, whose click
  // is undone.
  std::vector<std::string> menuItems(const Place& place) {
    const std::vector<double> before = values();
    VIEW_Script::instance().reset();
    VIEW_Script::instance().answerMenu({});
    click(place);
    const auto shown = VIEW_Script::instance().menusShown();
    VIEW_Script::instance().reset();
    if (shown.empty()) restore(before);
    return shown.empty() ? std::vector<std::string>() : shown.front();
  }

  // A pick the session could not take fails: the menu at the place is not the one walked.
  void pick(const Place& place, const std::vector<std::string>& items, const std::string& item) {
    const auto at = std::find(items.begin(), items.end(), item);
    ASSERT_NE(at, items.end()) << "the menu at parameter " << place.param << " has no item \""
                               << item << "\"";
    const int index = static_cast<int>(at - items.begin());
    VIEW_Script::instance().reset();
    VIEW_Script::instance().answerMenu({index});
    click(place);
    VIEW_Script::instance().reset();
  }

  void click(const Place& place) {
    IMouseMod left(true);
    g()->OnMouseDown(place.x, place.y, &left);
    g()->OnMouseUp(place.x, place.y, &left);
    tick();
  }
  void wheel(const Place& place, int amount) {
    IMouseMod none;
    g()->OnMouseWheel(place.x, place.y, &none, amount);
    tick();
  }
  // The editor's timer, as a host runs it between the user's gestures: it applies what the
  // gesture asked of the editor (layers shown, controls greyed).
  void tick() {
    IRECT dirty;
    g()->IsDirty(&dirty);
  }

  double value(int param) const { return mTwin->GetParam(param)->Value(); }
  std::string shownText(int param) const {
    char text[256] = {};
    const IParam* p = mTwin->GetParam(param);
    p->GetDisplayForHost(p->Value(), false, text, true, sizeof text);
    return text;
  }

  std::vector<double> values() const {
    std::vector<double> all;
    for (int i = 0; i < mTwin->NParams(); ++i) all.push_back(value(i));
    return all;
  }
  // Puts the values back as they were, and what the page shows with them.
  void restore(const std::vector<double>& was) {
    for (int i = 0; i < mTwin->NParams(); ++i)
      if (value(i) != was[i]) g()->SetParameterFromPlug(i, was[i], false);
    showPage(mTwin, mPage);
  }

  Kroma* mTwin;
  const std::set<int> mSound;
  std::set<int> mWalked;
  int mPart = 0, mPage = 0;
  std::vector<Step> mSteps;
};

// Whether a control of the byte's own parameters is among `touched`.
bool sends(const sound_dump::ByteRule& row, const std::set<int>& touched, int part) {
  return std::any_of(std::begin(row.params), std::end(row.params),
                     [&](int p) { return p >= 0 && touched.count(p + part); });
}

// The parameters whose controls send an effect position byte of `part`: those the plug-in finds
// at the byte's address under any effect kind. An edit of an effect panel's control also copies
// its value into positions its message does not name (the delay spread into two), which the
// synthesizer never hears of.
std::set<int> effectSenders(Kroma* twin, const sound_dump::ByteRule& row, int part) {
  constexpr int kEffectHigh = 1, kEffectKinds = 8;
  const int low = row.offset - (sound_dump::kEffect1ParamOffset - 2);
  std::set<int> params;
  for (int kind = 0; kind < kEffectKinds; ++kind)
    if (const int p = twin->getSysexControl(sysex::kSoundParameter, part, kEffectHigh, low, kind);
        p >= 0)
      params.insert(p);
  return params;
}

// The value the walk last sent to an effect position byte of `part`, if it sent one.
std::optional<int> lastEffectSent(Kroma* twin, const Walk& walk, const sound_dump::ByteRule& row,
                                  int part) {
  const std::set<int> senders = effectSenders(twin, row, part);
  std::optional<int> sent;
  for (size_t i = 0; i < walk.steps().size(); ++i) {
    const Step& step = walk.steps()[i];
    if (step.kind >= Step::kWheel && senders.count(step.place.param))
      sent = static_cast<int>(walk.shots[i].values[step.place.param]);
  }
  return sent;
}

bool act(Session& s, const Step& step) {
  switch (step.kind) {
    // A click on a part or page may start a transfer, whose overlay takes the next clicks.
    case Step::kPage:
      return s.showPage(step.amount) && s.overlayGone(kArrival);
    case Step::kPart:
      return s.showPart(step.amount) && s.overlayGone(kArrival);
    case Step::kWheel:
      return s.turn(step.place, step.amount);
    case Step::kClick:
      return s.click(step.place);
    case Step::kMenu:
      return s.choose(step.place, step.item);
  }
  return false;
}

// Each step is followed by the editor's timer, as a host runs it between gestures.
bool replay(Session& s, const Step& step) {
  return act(s, step) && s.host().step("idle");
}

// Each editable sound control of parts 1 and 10 (found and walked on an instance in process)
// reaches the synthesizer: the sound dump it then holds for the part carries every byte the
// editor's values give, SysEx and CC alike, and the editor holds what the walk in process gave.
TEST_F(EndToEnd, EveryEditableSoundControlOfParts1And10LandsOnItsByte) {
  // The twin reads the same settings as the session's instance.
  writeData("Kroma Editor UI.txt", "white\nnormal\nyes\n");
  Kroma* twin = open();
  dispatch(twin, effEditOpen);
  const int parts[] = {0, 9};
  std::map<int, std::vector<int>> fresh, walked;
  Walk walk(twin);
  const auto& rows = sound_dump::soundByteRules();
  std::map<int, std::map<size_t, std::optional<int>>> effectSent;
  for (int part : parts) {
    fresh[part] = soundBytes(TwinValues(twin), part);
    walk.walkPart(part);
    walked[part] = soundBytes(TwinValues(twin), part);
  }
  for (int part : parts)
    for (size_t row = 0; row < rows.size(); ++row)
      if (rows[row].views[0] >= 0)
        effectSent[part][row] = lastEffectSent(twin, walk, rows[row], part);
  dispatch(twin, effEditClose);

  auto sim = simulator("corvane-sim", 5);
  Session s(setup());
  connect(s);
  // The active parts' sounds, part 1's among them, go out first (part 10's stays as the
  // synthesizer has it). A project loaded pushes them and returns when the push has ended: a push
  // still running would cover the editor with its overlay between two of the walk's clicks.
  const std::string startFile = sessionData.file("start");
  ASSERT_TRUE(s.saveState(startFile)) << s.error();
  const StateValues start(Session::parameters(startFile));
  ASSERT_TRUE(s.loadState(startFile)) << s.error();
  ASSERT_TRUE(within(kArrival,
                     [&] { return start.soundBytesDiffering(sim->record("sound 0"), 0).empty(); }));
  ASSERT_TRUE(s.overlayGone(kArrival)) << s.error();
  std::map<int, Bytes> before;
  for (int part : parts) {
    EXPECT_EQ(soundBytes(start, part), fresh[part]) << "part " << part + 1;
    before[part] = sim->record("sound " + std::to_string(part));
  }
  for (size_t i = 0; i < walk.steps().size(); ++i)
    ASSERT_TRUE(replay(s, walk.steps()[i]))
        << s.error() << " (step " << i << ", parameter " << walk.steps()[i].place.param << ")";
  const StateValues edited = state(s);
  const std::set<int> touched = walk.touched();
  for (int part : parts) {
    SCOPED_TRACE(testing::Message() << "part " << part + 1);
    EXPECT_EQ(soundBytes(edited, part), walked[part]);
    // Each byte the walk changed or sent (a control of it touched: the message carries the byte
    // as the editor has it, whatever the synthesizer held) as the editor has it; each effect
    // position byte as the walk last sent it; every other as the synthesizer had it.
    Bytes expected = before[part];
    int sent = 0, effects = 0;
    for (size_t row = 0; row < rows.size(); ++row) {
      std::optional<int> value;
      if (effectSent[part].count(row))
        value = effectSent[part][row];
      else if (fresh[part][row] != walked[part][row] || sends(rows[row], touched, part))
        value = walked[part][row];
      if (!value) continue;
      expected[rows[row].offset] = static_cast<unsigned char>(*value);
      ++(effectSent[part].count(row) ? effects : sent);
    }
    std::cout << "part " << part + 1 << ": " << sent + effects << " of " << rows.size()
              << " sound bytes changed or sent by the walk (" << effects
              << " of them effect position bytes, checked against what the walk sent them), "
              << sent << " checked against the editor; the other " << rows.size() - sent - effects
              << " against the synthesizer's earlier bytes\n";
    Bytes held;
    EXPECT_TRUE(within(kArrival, [&] {
      held = sim->record("sound " + std::to_string(part));
      return std::all_of(rows.begin(), rows.end(), [&](const sound_dump::ByteRule& row) {
        return held.size() > static_cast<size_t>(row.offset) &&
               held[row.offset] == expected[row.offset];
      });
    }));
    for (const sound_dump::ByteRule& row : rows)
      if (held.size() > static_cast<size_t>(row.offset)) {
        EXPECT_EQ(int(held[row.offset]), int(expected[row.offset])) << "byte " << row.offset;
      }
  }
}

// The walk is the same whenever it is taken: its steps, taken on a fresh instance, reach the values
// the walk reached after each of them and show the same controls.
using SoundWalk = PluginFixture;
TEST_F(SoundWalk, TakenAgainOnAFreshInstanceItReachesTheSameValues) {
  writeData("Kroma Editor UI.txt", "white\nnormal\nyes\n");
  Kroma* first = open();
  dispatch(first, effEditOpen);
  Walk walk(first);
  walk.walkPart(0);
  Kroma* second = open();
  dispatch(second, effEditOpen);
  Walk again(second);
  for (size_t i = 0; i < walk.steps().size(); ++i) {
    again.replay(walk.steps()[i]);
    const Walk::Shot shot = again.snapshot();
    ASSERT_EQ(shot.values, walk.shots[i].values) << "step " << i;
    ASSERT_EQ(shot.shown, walk.shots[i].shown) << "step " << i;
  }
  dispatch(first, effEditClose);
  dispatch(second, effEditClose);
}

}  // namespace
