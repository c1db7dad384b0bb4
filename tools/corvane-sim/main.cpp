// corvane-sim: the synthesizer simulator as a JACK MIDI client with the ports "in" and "out".
//
//   corvane-sim [--name CLIENT] [--id N] [--fault KIND [AMOUNT]]
//
// Prints "ready" once its ports exist. Commands on standard input, one per line:
//   id N          answer as device id N
//   fault ...     none | silent | late MS | other-id N | truncate BYTES | wrong-type | bad-checksum
//                 | echo N
//   log           every message received so far, one per line ("us-since-start hex..."), then "end"
//   clear         forget the received messages
//   reset         the edit buffers (part sounds, Multi) as at power-on
//   multi-byte B V  byte B of the Multi edit buffer set to V, as on the panel (nothing is sent)
//   sound P, multi, global, stored B P, stored-multi N
//                 the record as one line of hex bytes
//   quit          leave
// Without input (end of file) it runs until SIGINT or SIGTERM.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "tools/corvane-sim/JackMidiPort.h"
#include "tools/corvane-sim/Simulator.h"
#include "tools/corvane-sim/detail/Commands.h"

namespace {

using namespace corvane_sim;

std::atomic<bool> gSignalled{false};

void onSignal(int) {
  gSignalled.store(true);
}

struct Options {
  std::string name = "corvane-sim";
  int id = 0;
  FaultSetting fault;
};

bool parseArgs(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--name" && i + 1 < argc) {
      options.name = argv[++i];
    } else if (arg == "--id" && i + 1 < argc) {
      options.id = std::atoi(argv[++i]);
    } else if (arg == "--fault" && i + 1 < argc) {
      std::string text = argv[++i];
      if (i + 1 < argc && argv[i + 1][0] != '-') text += std::string(" ") + argv[++i];
      if (!parseFault(text, options.fault)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// Moves messages between the port and the simulator until `stop` is set.
void pump(JackMidiPort& port, Simulator& sim, const std::atomic<bool>& stop) {
  while (!stop.load()) {
    for (const ReceivedMessage& message : port.receiveAll())
      sim.receive(message.bytes.data(), message.bytes.size(), message.time);
    for (const Bytes& answer : sim.takeDue(Clock::now())) port.send(answer);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void printLog(const Simulator& sim, Clock::time_point start) {
  for (const ReceivedMessage& message : sim.received())
    std::cout << formatReceived(message, start) << '\n';
  std::cout << "end" << std::endl;
}

// True when told to quit, false at the end of the input.
bool runCommands(Simulator& sim, Clock::time_point start) {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    std::string rest;
    std::getline(in, rest);
    FaultSetting fault;
    if (command == "quit") {
      return true;
    } else if (command == "id") {
      sim.setDeviceId(std::atoi(rest.c_str()));
    } else if (command == "fault" && parseFault(rest, fault)) {
      sim.setFault(fault);
    } else if (command == "log") {
      printLog(sim, start);
      continue;
    } else if (command == "clear") {
      sim.clearReceived();
    } else if (command == "reset") {
      sim.resetEditBuffers();
    } else if (int at = 0, value = 0; command == "multi-byte" &&
                                      std::istringstream(rest) >> at >> value &&
                                      sim.setMultiByte(at, value)) {
    } else if (std::string record; recordText(sim, line, record)) {
      std::cout << record << std::endl;
      continue;
    } else {
      std::cout << "unknown: " << line << std::endl;
      continue;
    }
    std::cout << "ok" << std::endl;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseArgs(argc, argv, options)) {
    std::cerr << "usage: corvane-sim [--name CLIENT] [--id N] [--fault KIND [AMOUNT]]\n";
    return 2;
  }
  Simulator sim(options.id);
  sim.setFault(options.fault);
  JackMidiPort port;
  if (!port.open(options.name)) {
    std::cerr << "corvane-sim: no JACK server, or the ports could not be made\n";
    return 1;
  }
  const Clock::time_point start = Clock::now();
  std::cout << "ready" << std::endl;
  std::atomic<bool> stop{false};
  std::thread pumpThread(pump, std::ref(port), std::ref(sim), std::cref(stop));
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  if (!runCommands(sim, start)) {
    while (!gSignalled.load()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  stop.store(true);
  pumpThread.join();
  port.close();
  return 0;
}
