#include <gtest/gtest.h>

#include "MidiTestSupport.h"
#include "TempDir.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"
#include "toolkit/plugin/midi/detail/MidiBackendRt.h"

namespace {

// This machine has no ALSA sequencer; a server name nobody uses makes sure no
// JACK server answers either. Whatever system is asked for, nothing opens.
TEST(NoMidiSystem, PortsAreEmptyAndSendsFailForEveryChoice) {
  kroma_test::ScopedEnv server("JACK_DEFAULT_SERVER", "kroma-no-such-server");
  ASSERT_FALSE(MidiBackendRt::jackServerRunning());
  for (const char* choice : {static_cast<const char*>(nullptr), "alsa", "jack", "bogus"}) {
    SCOPED_TRACE(choice ? choice : "unset");
    kroma_test::ScopedEnv api("KROMA_MIDI_API", choice);
    midi_test::LogCapture log;
    IMidiPortIn in("RtMidi Input Client", 100, MidiBackend::current(), &log);
    IMidiPortOut out("RtMidi Output Client", MidiBackend::current(), &log);
    EXPECT_FALSE(in.hasClient());
    EXPECT_FALSE(out.hasClient());
    EXPECT_EQ(in.portCount(), 0u);
    EXPECT_EQ(out.portCount(), 0u);
    EXPECT_FALSE(in.open(0));
    EXPECT_FALSE(out.open(0));
    const uint8_t note[3] = {0x90, 0x3C, 0x40};
    EXPECT_FALSE(out.send(note, 3));
    EXPECT_TRUE(log.contains("no MIDI system is available"));
  }
}

// Each system tried is named in the log, in order, before the ports give up.
TEST(NoMidiSystemLog, NamesEverySystemTriedInOrder) {
  const struct {
    const char* choice;
    std::vector<std::string> starts;  // the beginning of every line
  } cases[] = {
      {nullptr, {"ALSA: ", "no JACK server is running", "no MIDI system is available"}},
      {"alsa", {"ALSA: ", "no MIDI system is available"}},
      {"jack", {"no JACK server is running", "no MIDI system is available"}},
      {"bogus",
       {"unknown KROMA_MIDI_API \"bogus\"; trying ALSA, then JACK",
        "ALSA: ", "no JACK server is running", "no MIDI system is available"}},
  };
  kroma_test::ScopedEnv server("JACK_DEFAULT_SERVER", "kroma-no-such-server");
  for (const auto& c : cases) {
    kroma_test::ScopedEnv api("KROMA_MIDI_API", c.choice);
    midi_test::LogCapture log;
    IMidiPortIn in("RtMidi Input Client", 100, MidiBackend::current(), &log);
    const std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), c.starts.size()) << (c.choice ? c.choice : "unset");
    for (size_t i = 0; i < lines.size(); ++i)
      EXPECT_EQ(lines[i].rfind("MIDI PORTS: " + c.starts[i], 0), 0u) << lines[i];
  }
}

}  // namespace
