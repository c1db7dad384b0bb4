#include <fstream>
#include <iostream>
#include <string>

#include "tools/kroma-host/ScriptRunner.h"

// kroma-host <plug-in .so> <script | ->: loads the plug-in as a VST 2 host does
// and runs the script's steps against it, printing the conversation. With "-"
// the steps come from standard input as the host's user gives them, and the
// host runs on between them.
int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: kroma-host <plug-in.so> <script | ->\n";
    return 2;
  }
  const bool live = std::string(argv[2]) == "-";
  std::ifstream file;
  if (!live) file.open(argv[2]);
  if (!live && !file) {
    std::cerr << "kroma-host: cannot read " << argv[2] << "\n";
    return 2;
  }
  // The editor's headless view takes our frames as parents only when told so.
  setenv("KROMA_VIEW", "headless", 0);
  PluginLibrary library(argv[1]);
  if (!library.loaded()) {
    std::cerr << "kroma-host: " << library.error() << "\n";
    return 1;
  }
  ScriptRunner runner(library);
  return runner.run(live ? std::cin : file, live) ? 0 : 1;
}
