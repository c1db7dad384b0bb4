// Plays a note on and off every 10 ms on a JACK MIDI port named by its
// argument until it is ended.
#include <RtMidi.h>

#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s client port\n", argv[0]);
    return 2;
  }
  try {
    RtMidiOut out(RtMidi::UNIX_JACK, argv[1]);
    out.openVirtualPort(argv[2]);
    for (;;) {
      const unsigned char on[3] = {0x90, 60, 100}, off[3] = {0x80, 60, 0};
      out.sendMessage(on, 3);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      out.sendMessage(off, 3);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  } catch (const RtMidiError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
