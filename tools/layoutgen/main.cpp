// kroma-layoutgen <folder>: writes uiconfig.xml and sysex.xml, the layout and the SysEx value
// list, from the tables in tools/layoutgen/tables into the folder (the repository's resources/).

#include <cstdio>
#include <exception>
#include <fstream>

#include "tools/layoutgen/detail/tables/Pages.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return out.good();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kroma-layoutgen <resources folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  try {
    if (!writeFile(folder + "/uiconfig.xml", layout_tables::uiconfigText()) ||
        !writeFile(folder + "/sysex.xml", layout_tables::sysexText())) {
      std::fprintf(stderr, "kroma-layoutgen: cannot write into %s\n", folder.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kroma-layoutgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
