// Names typed into the editor's name fields, against the simulated synthesizer on in-memory
// ports: the editor, the saved project and the synthesizer hold the same 16 bytes.
#include <functional>
#include <string>
#include <vector>

#include "PluginFixture.h"
#include "SynthOnPorts.h"
#include "platform/view/headless/HeadlessView.h"
#include "platform/vst2/opcodes.h"
#include "src/core/KromaProbe.h"
#include "src/core/detail/PatchManager.h"
#include "src/librarian/LibrarianRecords.h"

namespace {

std::string padded(std::string name) {
  name.resize(16, ' ');
  return name;
}

template <class Dump>
std::string nameAt(const Dump& dump, int offset) {
  return std::string(dump.begin() + offset, dump.begin() + offset + 16);
}

using NameEntry = PluginFixture;

// Names come from the synthesizer padded with blanks ("Init" and 12 blanks). The opened field
// edits the name without them, so End and typing extend it; characters the synthesizer cannot
// show (é, €) are refused.
TEST_F(NameEntry, ANameFromTheSynthesizerIsExtendedWithWhatItShows) {
  SynthOnPorts ports(midi);
  Kroma* plug = open();
  ports.connect(plug);
  // Asked before the editor opens: a dump taken into an open editor reaches each control, which a
  // sanitizer on a loaded machine stretches past the request's waits.
  set(plug, kRequestTempData, 1);
  // The project takes the Multi's name after the field shows it, last of what its dump brings: a
  // dump late on a loaded machine is taken in after its request has ended.
  const auto projectsMultiName = [plug] {
    std::string name;
    KromaProbe(plug).parts.mPatchManager->getName(&name, Patch::kMultiNameSlot);
    return name;
  };
  ASSERT_TRUE(eventually([&] {
    return !plug->ThreadRunning() && plug->getDisplayText(kMultiName) == "Init Multi      " &&
           projectsMultiName() == "Init Multi      " &&
           plug->getDisplayText(kPatchName) == "Init            ";
  })) << "the synthesizer's names arrive";
  VIEW_HeadlessView* window = openEditorAsHost(plug);
  ASSERT_NE(window, nullptr);

  const corvane_sim::Simulator& synth = ports.synth;
  const struct {
    int param;
    std::string name;
    std::function<std::string()> atSynth;
  } fields[] = {
      {kMultiName, "Init Multi-2",
       [&] { return nameAt(synth.multiEditBuffer(), DumpLayout::kMultiNameOffset); }},
      {kPatchName, "Init-2",
       [&] { return nameAt(synth.soundEditBuffer(0), DumpLayout::kSoundNameOffset); }},
  };
  for (const auto& field : fields) {
    SCOPED_TRACE(field.name);
    IMouseMod left(true);
    plug->controlOf(field.param)->OnMouseDown(0, 0, &left);
    ASSERT_NE(window->textField(), nullptr);
    for (int key : {(int)VIEW_KEY_END, 0xE9, (int)'-', 0x20AC, (int)'2', (int)VIEW_KEY_RETURN})
      window->key(key);
    EXPECT_EQ(plug->getDisplayText(field.param), field.name);
    EXPECT_TRUE(eventually([&] { return field.atSynth() == padded(field.name); }))
        << "the synthesizer holds \"" << field.atSynth() << "\"";
    ASSERT_TRUE(eventually([&] { return !plug->ThreadRunning(); }));
  }

  Kroma* reloaded = open();
  ASSERT_EQ(loadChunk(reloaded, saveChunk(plug)), 1);
  for (const auto& field : fields)
    EXPECT_EQ(padded(reloaded->getDisplayText(field.param)), padded(field.name))
        << "the project holds it";
}

// While a name field refuses a character the synthesizer cannot show, the status line says so,
// in every field that takes ASCII only: the 16 sound names, the Multi name and the slot rename;
// the value line under it clears. What such a field takes, and what the search takes (any
// character), says nothing.
TEST_F(NameEntry, ARefusedCharacterIsShownOnTheStatusLine) {
  Kroma* plug = open();
  VIEW_HeadlessView* window = openEditorAsHost(plug);
  ASSERT_NE(window, nullptr);
  const std::string night = "\xD0\x9D\xD0\xBE\xD1\x87\xD1\x8C";  // Ночь
  const std::string refused = "Names take ASCII only!";
  std::vector<int> asciiOnly = {kMultiName, kPatchRename};
  for (int part = 0; part < 16; ++part) asciiOnly.push_back(kPatchName + part);
  const struct {
    std::vector<int> params;
    std::string typed, kept, shown;
  } cases[] = {
      {asciiOnly,
       night + " \xC3\x9C"
               "ber",
       " ber", refused},  // Ночь Über
      {{kMultiName, kPatchName + 15}, "Night", "Night", ""},
      {{kPatchSearchString}, night, night, ""},
  };
  for (const auto& c : cases) {
    for (int param : c.params) {
      SCOPED_TRACE(std::to_string(param) + " " + c.typed);
      plug->setTextDisplay(kControlDisplayName, "");
      plug->setTextDisplay(kControlDisplayValue, "+2 [14]");  // an earlier edit's value
      IMouseMod left(true);
      plug->controlOf(param)->OnMouseDown(0, 0, &left);
      ASSERT_NE(window->textField(), nullptr);
      window->typeText(c.typed);
      EXPECT_EQ(window->textField()->text, c.kept);
      EXPECT_EQ(status(plug), c.shown);
      EXPECT_EQ(text(plug->displayValueControl()), c.shown.empty() ? "+2 [14]" : "");
      window->key(VIEW_KEY_ESCAPE);
    }
  }
}

// A name as the fields show it: without the blanks a dump pads it with or the NULs of a slot.
std::string asShown(std::string name) {
  name.erase(name.find_last_not_of(std::string(" \0", 2)) + 1);
  return name;
}

// What a fresh instance shows is what its project holds and what its first dumps carry: the
// Multi's name and each part's sound's; a project saved fresh shows them again when reloaded.
TEST_F(NameEntry, AFreshInstanceShowsSavesAndSendsOneName) {
  SynthOnPorts ports(midi);
  Kroma* plug = open();
  const std::vector<uint8_t> saved = saveChunk(plug);
  // The librarian block behind the framework's head, the marker and the current part.
  ByteChunk chunk;
  chunk.AppendBytes(saved.data(), static_cast<int>(saved.size()));
  PatchManager project(nullptr);
  ASSERT_GT(project.loadAllFromChunk(&chunk, 20), 0);
  auto held = [&project](int slot) {
    std::string name;
    project.getName(&name, slot);
    return asShown(name);
  };

  ports.connect(plug);
  ASSERT_TRUE(eventually([&] { return !plug->ThreadRunning(); }));  // the connection check
  set(plug, kPushArrangement, 1);  // SEND TO SYNTH: the Multi and the sounds of its parts
  ASSERT_TRUE(eventually([&] { return !plug->ThreadRunning(); }));
  const corvane_sim::Simulator& synth = ports.synth;
  Kroma* reloaded = open();
  ASSERT_EQ(loadChunk(reloaded, saved), 1);

  const std::string multi = plug->getDisplayText(kMultiName);
  EXPECT_EQ(multi, "Init Multi");
  EXPECT_EQ(held(Patch::kMultiNameSlot), multi) << "the project";
  EXPECT_EQ(asShown(nameAt(synth.multiEditBuffer(), DumpLayout::kMultiNameOffset)), multi);
  EXPECT_EQ(reloaded->getDisplayText(kMultiName), multi) << "reloaded";
  for (int part = 0; part < 16; ++part) {
    SCOPED_TRACE(part);
    const std::string sound = plug->getDisplayText(kPatchName + part);
    EXPECT_EQ(sound, "-- INIT --");
    EXPECT_EQ(held(Patch::kFirstPatchNameSlot + part), sound) << "the project";
    if (part < 4) {  // the parts that are on
      EXPECT_EQ(asShown(nameAt(synth.soundEditBuffer(part), DumpLayout::kSoundNameOffset)), sound);
    }
    EXPECT_EQ(reloaded->getDisplayText(kPatchName + part), sound) << "reloaded";
  }
}

}  // namespace
