#include "BankFixtures.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace fixtures {
namespace {

void putName(Bytes& dump, size_t at, const std::string& name) {
  for (size_t i = 0; i < 16; ++i) dump[at + i] = i < name.size() ? (uint8_t)name[i] : ' ';
}

void closeDump(Bytes& dump) {
  unsigned sum = 0;
  for (size_t i = 7; i + 2 < dump.size(); ++i) sum += dump[i];
  dump[dump.size() - 2] = sum & 0x7F;
  dump[dump.size() - 1] = 0xF7;
}

Bytes body(size_t size, uint8_t seed) {
  Bytes dump(size);
  // Never 0x3E, so that a body byte cannot look like a dump's start.
  for (size_t i = 7; i < size; ++i) {
    uint8_t v = (uint8_t)((i * 7 + seed * 13) & 0x7F);
    dump[i] = v == 0x3E ? 0x3D : v;
  }
  return dump;
}

void put32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back((uint8_t)(v >> s));
}

std::string numbered(const char* prefix, int n) {
  char text[32];
  std::snprintf(text, sizeof(text), "%s %03d", prefix, n);
  return text;
}

}  // namespace

Bytes soundDump(const std::string& name, uint8_t category, uint8_t seed, uint8_t device,
                uint8_t bank, uint8_t program, uint8_t model) {
  Bytes dump = body(392, seed);
  const uint8_t header[] = {0xF0, 0x3E, model, device, 0x10, bank, program};
  std::copy(header, header + 7, dump.begin());
  putName(dump, 370, name);
  dump[386] = category;
  dump[387] = dump[388] = dump[389] = 0;
  closeDump(dump);
  return dump;
}

Bytes multiDump(const std::string& name, uint8_t seed, uint8_t device, uint8_t bank,
                uint8_t program) {
  Bytes dump = body(425, seed);
  const uint8_t header[] = {0xF0, 0x3E, 0x13, device, 0x11, bank, program};
  std::copy(header, header + 7, dump.begin());
  putName(dump, 7, name);
  closeDump(dump);
  return dump;
}

Bytes rawBank(const std::vector<Bytes>& dumps) {
  Bytes out;
  for (const Bytes& d : dumps) out.insert(out.end(), d.begin(), d.end());
  return out;
}

Bytes midiBank(const std::vector<Bytes>& dumps, bool multi) {
  Bytes out = {'M',  'T',  'h',  'd',  0,    0,    0,    6,    0,    1,    0,    2,
               0x01, 0xE0, 'M',  'T',  'r',  'k',  0,    0,    0,    0x13, 0x00, 0xFF,
               0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1,
               0x20, 0x00, 0xFF, 0x2F, 0x00, 'M',  'T',  'r',  'k'};
  put32(out, multi ? 54915 : 50691);
  const uint8_t len[2] = {0x83, (uint8_t)(multi ? 0x28 : 0x07)};
  for (size_t i = 0; i < dumps.size(); ++i) {
    if (i == 0) {
      out.push_back(0x00);
    } else {
      out.push_back(0x83);
      out.push_back(0x74);
    }
    out.push_back(0xF0);
    out.insert(out.end(), len, len + 2);
    out.insert(out.end(), dumps[i].begin() + 1, dumps[i].end());
  }
  const uint8_t end[] = {0x00, 0xFF, 0x2F, 0x00};
  out.insert(out.end(), end, end + 4);
  return out;
}

std::vector<Bytes> sounds(int count, int firstNumber) {
  std::vector<Bytes> out;
  for (int i = 0; i < count; ++i) {
    const int n = firstNumber + i;
    out.push_back(soundDump(numbered("Sound", n), (uint8_t)(n % 13), (uint8_t)n, 0x10,
                            (uint8_t)(n / 128 % 8), (uint8_t)(n % 128)));
  }
  return out;
}

std::vector<Bytes> multis(int count, int firstNumber) {
  std::vector<Bytes> out;
  for (int i = 0; i < count; ++i) {
    const int n = firstNumber + i;
    out.push_back(multiDump(numbered("Multi", n), (uint8_t)n, 0x10, 0, (uint8_t)(n % 128)));
  }
  return out;
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

}  // namespace fixtures
