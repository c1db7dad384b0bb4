#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>
#include <utility>

#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Leading white space skipped, reading stops at the first non-digit; no digit gives 0.
int readHex(const std::string& token) {
  size_t i = 0;
  while (i < token.size() && std::isspace(static_cast<unsigned char>(token[i]))) ++i;
  unsigned int value = 0;
  for (int digit; i < token.size() && (digit = hexDigit(token[i])) >= 0; ++i)
    value = value * 16 + static_cast<unsigned int>(digit);
  return static_cast<int>(value);
}

// A template entry proper: one or two hex digits and nothing else.
bool isHexByte(const std::string& token) {
  if (token.empty() || token.size() > 2) return false;
  for (char c : token)
    if (hexDigit(c) < 0) return false;
  return true;
}

// A leading signed decimal number (blanks skipped); false when the text holds none.
bool readDecimal(const std::string& token, int& out) {
  const char* begin = token.c_str();
  char* end = nullptr;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin) return false;
  out = static_cast<int>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
  return true;
}

constexpr size_t partEntry = 4;
constexpr int foldedValue = 128;
constexpr int maxMessages = 1 << 16;

}  // namespace

void UIConfigManager::Tokenize(const std::string& text, std::vector<std::string>& tokens,
                               const std::string& delimiters) {
  size_t begin = text.find_first_not_of(delimiters);
  while (begin != std::string::npos) {
    const size_t end = text.find_first_of(delimiters, begin);
    tokens.push_back(
        text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
    begin = text.find_first_not_of(delimiters, end);
  }
}

std::vector<int> UIConfigManager::convertStringSysextoVector(std::string text) {
  std::vector<std::string> tokens;
  Tokenize(text, tokens, " ");
  std::vector<int> values;
  values.reserve(tokens.size());
  for (const std::string& token : tokens) values.push_back(readHex(token));
  return values;
}

bool UIConfigManager::calculateSysexWithChangingByte(std::string text, int changingByte, int count,
                                                     ControlActionSysExMessage* table, int start,
                                                     int part) {
  table->messages = SysExMessageTable();
  std::vector<std::string> tokens;
  Tokenize(text, tokens, " ");
  const int size = static_cast<int>(tokens.size());
  const char* fault = nullptr;
  for (const std::string& token : tokens)
    if (!isHexByte(token)) fault = "holds a number that is not a hex byte";
  if (changingByte < 1 || changingByte > size) fault = "has no entry at its changing byte";
  if (part > 0 && size <= static_cast<int>(partEntry)) fault = "is too short to hold the part";
  // A value run that no parameter can have: it would exhaust memory or pass the largest int.
  if (count > maxMessages) fault = "is asked for more messages than any parameter has values";
  if (start != -1 && count > 0 && start > INT_MAX - (count - 1))
    fault = "has values that run past the largest number";
  if (fault) {
    logSkipped("SysEx template \"" + text + "\" " + fault);
    return false;
  }

  std::vector<int> base;
  base.reserve(tokens.size());
  for (const std::string& token : tokens) base.push_back(readHex(token));
  const size_t valueEntry = static_cast<size_t>(changingByte - 1);
  std::vector<int> values;
  values.reserve(static_cast<size_t>(std::max(count, 1)));
  int value = start;
  if (start == -1) {
    // The template's own value, twice: as it stands and as the first of the run.
    value = base[valueEntry];
    values.push_back(value);
  }
  // Every message, the first of a start -1 included, carries the part.
  if (part > 0) base[partEntry] = part;
  for (int i = static_cast<int>(values.size()); i < count; ++i) {
    if (value == foldedValue) value = 0;
    values.push_back(value);
    // No step past the last message: it could pass the largest int.
    if (i + 1 < count) ++value;
  }
  table->messages = SysExMessageTable(std::move(base), valueEntry, std::move(values));
  return true;
}

void UIConfigManager::getCSValues(std::string text, int* values, int maxCount) {
  std::vector<std::string> tokens;
  Tokenize(text, tokens, ",");
  const int n = std::min(maxCount, static_cast<int>(tokens.size()));
  for (int i = 0; i < n; ++i) readDecimal(tokens[static_cast<size_t>(i)], values[i]);
}

void UIConfigManager::copyIntVector(std::vector<int>* source, std::vector<int>* destination) {
  if (!source || !destination) return;
  const std::vector<int> copy = *source;  // the source may be the destination itself
  destination->insert(destination->end(), copy.begin(), copy.end());
}

void UIConfigManager::getBiDirectLinkValues(std::string text, int* link, int part) const {
  std::vector<std::string> tokens;
  Tokenize(text, tokens, ",");
  link[0] = link[1] = link[2] = -1;
  if (tokens.size() < 2) return;
  const int p = std::max(part, 0);
  // An unknown name stays unknown, rather than naming the parameter part - 1.
  for (size_t i = 0; i < 2; ++i) {
    const int index = getParamByName(tokens[i]);
    // A part so large that the sum passes the largest int names no parameter either.
    link[i] = index < 0 || p > INT_MAX - index ? -1 : index + p;
  }
  if (tokens.size() == 3) readDecimal(tokens[2], link[2]);
}

const char* UIConfigManager::getParamGroup(int part, std::string group) {
  if (part >= 0) {
    groupText = "Part " + std::to_string(part + 1);
    if (!group.empty()) groupText += ":" + group;
  } else if (!group.empty()) {
    groupText = group;
  } else {
    return "";
  }
  return groupText.c_str();
}

void UIConfigManager::setControlLink(ControlAction* action, int paramIdx, LinkInfo link,
                                     int /*part*/) {
  if (link.linked < 0 || link.linkSwitch < 0) return;
  const std::string which = "link of parameter " + std::to_string(paramIdx);
  // A switch that names no parameter could never enable the link.
  if (link.linkSwitch >= numParams) {
    log(which + " has no switch parameter " + std::to_string(link.linkSwitch) + "; link skipped!");
    return;
  }
  if (link.linked >= numParams) {
    log(which + " to parameter " + std::to_string(link.linked) + " has no partner; link skipped!");
    return;
  }
  action->link = link;
  std::unique_ptr<ControlAction>& partner = actionSlot(link.linked);
  if (!partner) partner = std::make_unique<ControlAction>(kMessageSysEx);
  partner->link = LinkInfo{paramIdx, link.linkSwitch, -1};
}
