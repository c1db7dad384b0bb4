// What the plug-in offers the protocol engine, at the edges of its ranges.
#include <gtest/gtest.h>

#include "PluginFixture.h"
#include "src/config/ParameterIds.h"
#include "src/librarian/view/LibrarianViewControl.h"

namespace {

using Seams = PluginFixture;
using PartSound = ProtocolPlugin::PartSound;

// Parts 1 to 16 and then the Multi keep a bank and a program each; a part outside them reads 0
// and keeps nothing.
TEST_F(Seams, EachPartAndTheMultiKeepTheirSoundAndNoneLiesOutside) {
  Kroma* plug = open();
  for (int part = 0; part <= 16; ++part) {
    plug->setPartSound(part, PartSound::kBank, part + 1);
    plug->setPartSound(part, PartSound::kProgram, part + 40);
  }
  for (int outside : {-1, 17}) {
    plug->setPartSound(outside, PartSound::kBank, 99);
    plug->setPartSound(outside, PartSound::kProgram, 99);
    EXPECT_EQ(plug->partSound(outside, PartSound::kBank), 0) << outside;
    EXPECT_EQ(plug->partSound(outside, PartSound::kProgram), 0) << outside;
  }
  for (int part = 0; part <= 16; ++part) {
    EXPECT_EQ(plug->partSound(part, PartSound::kBank), part + 1) << part;
    EXPECT_EQ(plug->partSound(part, PartSound::kProgram), part + 40) << part;
  }
}

// A value from the synthesizer for a parameter the editor has no control for still sets it.
TEST_F(Seams, AValueFromTheSynthesizerSetsAParameterWithoutControl) {
  Kroma* plug = open();
  int param = -1;
  for (int p = 0; p < plug->NParams() && param < 0; ++p)
    if (!plug->controlOf(p) && plug->GetParam(p)->GetMax() > plug->GetParam(p)->GetMin()) param = p;
  ASSERT_GE(param, 0);
  const double target = plug->GetParam(param)->GetNormalized() < 0.5 ? 1.0 : 0.0;
  plug->setValueFromHardware(param, target);
  EXPECT_EQ(plug->GetParam(param)->GetNormalized(), target) << param;
}

// A name slot written, or a port's name saved with the project, marks the librarian's view for
// drawing: it shows those names.
TEST_F(Seams, NamesWrittenMarkTheLibrarianViewForDrawing) {
  Kroma* plug = open();
  LibrarianViewControl* view = plug->librarianView();
  ASSERT_NE(view, nullptr);
  view->SetClean();
  plug->setNameSlot(0, "Night Drive");
  EXPECT_TRUE(view->IsDirty());
  view->SetClean();
  ByteChunk chunk;
  ASSERT_TRUE(plug->SerializeState(&chunk));
  EXPECT_TRUE(view->IsDirty());
}

}  // namespace
