#include "src/core/detail/StartupSettings.h"

#include <algorithm>
#include <fstream>

namespace {

struct SizeRow {
  const char* line;
  double scale;
  int value;
};
constexpr SizeRow kSizes[] = {{"small", 0.85, 0}, {"normal", 1.0, 1}, {"large", 1.15, 2}};

struct StyleRow {
  const char* line;
  int scheme;
  int value;
};
constexpr StyleRow kStyles[] = {{"normal", 0, -1}, {"white", 0, 0}, {"black", 1, 1}};

template <class Row, size_t N>
const Row* rowOf(const Row (&rows)[N], const std::string& line) {
  for (const Row& row : rows)
    if (line == row.line) return &row;
  return nullptr;
}

}  // namespace

bool readTrimmedLines(const std::string& path, size_t maxLines, std::vector<std::string>* lines) {
  lines->clear();
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::string line;
  while (lines->size() < maxLines && std::getline(file, line)) {
    line.erase(line.find_last_not_of(" \n\r\t") + 1);
    lines->push_back(line);
  }
  return true;
}

UISettings UISettings::read(const std::string& path) {
  std::vector<std::string> lines;
  readTrimmedLines(path, 3, &lines);
  lines.resize(3);
  return UISettings{lines[0], lines[1], lines[2]};
}

double UISettings::guiScale() const {
  const SizeRow* row = rowOf(kSizes, sizeLine);
  return row ? row->scale : 1.0;
}

int UISettings::colorScheme() const {
  const StyleRow* row = rowOf(kStyles, colorSchemeLine);
  return row ? row->scheme : 0;
}

int UISettings::styleValue() const {
  const StyleRow* row = rowOf(kStyles, colorSchemeLine);
  return row ? row->value : -1;
}

int UISettings::sizeValue() const {
  const SizeRow* row = rowOf(kSizes, sizeLine);
  return row ? row->value : -1;
}

SampleNames SampleNames::read(const std::string& path) {
  SampleNames samples;
  std::vector<std::string> lines;
  samples.fileRead = readTrimmedLines(path, kCount, &lines);
  std::copy(lines.begin(), lines.end(), samples.names.begin());
  return samples;
}
