#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/wsys/Font.h"
#include "toolkit/wsys/MemContext.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizer runtimes count what their allocator hands out.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>

#include <atomic>
#include <cerrno>

// Elsewhere the program counts for itself: glibc's own figures (mallinfo2) take the freed blocks
// its per-thread caches keep for in use. Every allocation of the process, FreeType's and
// fontconfig's too, comes here and goes on to glibc.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void* __libc_valloc(size_t size);
void* __libc_pvalloc(size_t size);
void __libc_free(void* block);
}

namespace {
std::atomic<long long> gHeapInUse{0};

void* counted(void* block) {
  if (block) gHeapInUse += (long long)malloc_usable_size(block);
  return block;
}
}  // namespace

extern "C" {
void* malloc(size_t size) {
  return counted(__libc_malloc(size));
}
void* calloc(size_t count, size_t size) {
  return counted(__libc_calloc(count, size));
}
void* memalign(size_t alignment, size_t size) {
  return counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(size_t alignment, size_t size) {
  return memalign(alignment, size);
}
void* valloc(size_t size) {
  return counted(__libc_valloc(size));
}
void* pvalloc(size_t size) {
  return counted(__libc_pvalloc(size));
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  if (alignment % sizeof(void*) || alignment & (alignment - 1)) return EINVAL;
  void* block = memalign(alignment, size);
  if (!block) return ENOMEM;
  *out = block;
  return 0;
}
void free(void* block) {
  if (block) gHeapInUse -= (long long)malloc_usable_size(block);
  __libc_free(block);
}
void* realloc(void* block, size_t size) {
  const long long old = block ? (long long)malloc_usable_size(block) : 0;
  void* moved = __libc_realloc(block, size);
  if (moved || size == 0) gHeapInUse -= old;  // a size of 0 frees the block
  return counted(moved);
}
}
#endif

namespace {

// Bytes the program holds on the heap now.
size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return (size_t)gHeapInUse.load();
#endif
}

WSYS_Font* font(const char* name, int height = 16, int weight = FW_NORMAL,
                int quality = ANTIALIASED_QUALITY, int escapement = 0, bool italic = false) {
  return dynamic_cast<WSYS_Font*>(CreateFont(height, 0, escapement, escapement, weight, italic, 0,
                                             0, 0, 0, 0, (char)quality, 0, name));
}

// Sum of the coverage of a string's glyphs.
long ink(WSYS_Font* f, const char* text) {
  long sum = 0;
  WSYS_Glyph g;
  for (const char* c = text; *c; ++c)
    if (f->glyph((unsigned char)*c, &g))
      for (int i = 0; i < g.width * g.height; ++i) sum += g.coverage[i];
  return sum;
}

}  // namespace

TEST(Font, KnownNamesResolveAndUnknownOnesFallBackToDejaVu) {
  struct Case {
    const char* asked;
    const char* family;
  } cases[] = {{"DejaVu Sans Mono", "DejaVu Sans Mono"},
               {"dejavu serif", "DejaVu Serif"},
               {"No Such Font Anywhere", "DejaVu Sans"},
               {"Monaco", "DejaVu Sans Mono"},
               {"Consolas", "DejaVu Sans Mono"},
               {"No Such Mono Face", "DejaVu Sans Mono"},
               {"", "DejaVu Sans"},
               {nullptr, "DejaVu Sans"}};
  for (const Case& c : cases) {
    WSYS_Font* f = font(c.asked);
    ASSERT_NE(f, nullptr) << (c.asked ? c.asked : "null");
    EXPECT_STREQ(f->familyName(), c.family) << (c.asked ? c.asked : "null");
    EXPECT_TRUE(DeleteObject(f));
  }
  EXPECT_FALSE(DeleteObject(nullptr));
}

TEST(Font, HeightWeightAndQuality) {
  WSYS_Font* small = font("DejaVu Sans", 10);
  WSYS_Font* large = font("DejaVu Sans", -30);  // negative heights count as positive
  EXPECT_LT(small->lineHeight(), large->lineHeight());
  // The most negative height has no positive counterpart; it asks for the largest size.
  WSYS_Font* largest = font("DejaVu Sans", INT_MIN);
  ASSERT_NE(largest, nullptr);
  EXPECT_GT(largest->lineHeight(), large->lineHeight());
  WSYS_Font* fallbackSize = font("DejaVu Sans", 0);
  WSYS_Font* twelve = font("DejaVu Sans", 12);
  EXPECT_EQ(fallbackSize->lineHeight(), twelve->lineHeight());

  WSYS_Font* regular = font("DejaVu Sans", 20, FW_NORMAL);
  WSYS_Font* bold = font("DejaVu Sans", 20, FW_BOLD);
  EXPECT_GT(ink(bold, "Hello"), ink(regular, "Hello"));
  // Semi-bold (600) is drawn bold already, anything lighter not.
  WSYS_Font* semiBold = font("DejaVu Sans", 20, 600);
  WSYS_Font* lighter = font("DejaVu Sans", 20, 599);
  EXPECT_EQ(ink(semiBold, "Hello"), ink(bold, "Hello"));
  EXPECT_EQ(ink(lighter, "Hello"), ink(regular, "Hello"));
  DeleteObject(semiBold);
  DeleteObject(lighter);
  WSYS_Font* mono = font("DejaVu Sans", 20, FW_NORMAL, NONANTIALIASED_QUALITY);
  WSYS_Font* byDefault = font("DejaVu Sans", 20, FW_NORMAL, DEFAULT_QUALITY);
  EXPECT_TRUE(byDefault->antialiased());
  WSYS_Glyph g;
  ASSERT_TRUE(mono->glyph('O', &g));
  for (int i = 0; i < g.width * g.height; ++i)
    ASSERT_TRUE(g.coverage[i] == 0 || g.coverage[i] == 255);
  for (HGDIOBJ f : std::vector<HGDIOBJ>{small, large, largest, fallbackSize, twelve, regular, bold,
                                        mono, byDefault})
    DeleteObject(f);
}

// Every glyph, its descender too, lies within the line: the ascent above the baseline and the
// rest of the line height below it.
TEST(Font, GlyphsFitTheLineHeight) {
  for (int height : {12, 20, 48}) {
    WSYS_Font* f = font("DejaVu Sans", height);
    ASSERT_NE(f, nullptr);
    int below = 0, above = 0;
    WSYS_Glyph g;
    for (const char* c = "gjpqyA|\xC5"; *c; ++c)
      if (f->glyph((unsigned char)*c, &g)) {
        below = std::max(below, g.height - g.top);
        above = std::max(above, g.top);
      }
    EXPECT_LE(above, f->ascent()) << height;
    EXPECT_LE(below, f->lineHeight() - f->ascent()) << height;
    EXPECT_GE(below, (f->lineHeight() - f->ascent()) * 2 / 3) << height;
    EXPECT_GE(above, f->ascent() * 2 / 3) << height;
    DeleteObject(f);
  }
}

// The plain stroke of an 'l' leans in the slanted face, so its glyph is wider.
TEST(Font, ItalicPicksTheSlantedFace) {
  WSYS_Font* upright = font("DejaVu Sans", 24);
  WSYS_Font* slanted = font("DejaVu Sans", 24, FW_NORMAL, ANTIALIASED_QUALITY, 0, true);
  WSYS_Glyph a, b;
  ASSERT_TRUE(upright->glyph('l', &a));
  ASSERT_TRUE(slanted->glyph('l', &b));
  EXPECT_GT(b.width, a.width + 2);
  EXPECT_EQ(b.height, a.height);
  EXPECT_STREQ(slanted->familyName(), "DejaVu Sans");
  DeleteObject(upright);
  DeleteObject(slanted);
}

TEST(Font, EscapementTurnsTheAdvance) {
  WSYS_Font* flat = font("DejaVu Sans", 20);
  WSYS_Font* up = font("DejaVu Sans", 20, FW_NORMAL, ANTIALIASED_QUALITY, 900);
  WSYS_Glyph a, b;
  ASSERT_TRUE(flat->glyph('W', &a));
  ASSERT_TRUE(up->glyph('W', &b));
  // Counter-clockwise a quarter turn: the pen moves up the screen.
  EXPECT_NEAR(b.advanceX, 0, 2);
  EXPECT_NEAR(b.advanceY, -a.advanceX, 64);
  EXPECT_GT(b.height, b.width);
  DeleteObject(flat);
  DeleteObject(up);
}

// A blank glyph asked for first, before any other filled the mask: it is there, with an advance.
TEST(Font, ABlankGlyphFirstIsStillAGlyph) {
  WSYS_Font* f = font("DejaVu Sans", 16);
  WSYS_Glyph space;
  ASSERT_TRUE(f->glyph(' ', &space));
  EXPECT_EQ(space.width * space.height, 0);
  EXPECT_GT(space.advanceX, 0);
  DeleteObject(f);
}

// Every font made and deleted gives back what it took: faces, matches and masks. Names that
// resolve and names that fall back take different paths.
TEST(Font, MakingAndDeletingFontsHoldsNoMemory) {
  const auto cycle = [] {
    for (const char* name : {"DejaVu Sans", "No Such Font Anywhere", "Monaco"}) {
      WSYS_Font* f = font(name, 18);
      ASSERT_NE(f, nullptr) << name;
      WSYS_Glyph g;
      EXPECT_TRUE(f->glyph('K', &g));
      DeleteObject(f);
    }
  };
  for (int i = 0; i < 5; ++i) cycle();  // fontconfig's and FreeType's own caches fill here
  const size_t before = heapInUse();
  const int rounds = 40;
  for (int i = 0; i < rounds; ++i) cycle();
  const long long grown = (long long)heapInUse() - (long long)before;
  EXPECT_LT(grown, rounds * 100) << "bytes kept after " << rounds << " rounds";
}

// A monochrome glyph comes out of its packed bits whole: at a size that spans several bytes a row,
// "H" reads as two stems flush with the mask's left and right edges and a crossbar between them,
// covered pixels 255 and the rest 0, about as much ink as the antialiased glyph.
TEST(Font, MonochromeGlyphsUnpackEveryBitOfEveryRow) {
  WSYS_Font* mono = font("DejaVu Sans", 48, FW_NORMAL, NONANTIALIASED_QUALITY);
  WSYS_Font* smooth = font("DejaVu Sans", 48);
  ASSERT_NE(mono, nullptr);
  ASSERT_NE(smooth, nullptr);
  WSYS_Glyph g;
  ASSERT_TRUE(mono->glyph('H', &g));
  ASSERT_GT(g.width, 24) << "four bytes a row";
  std::string picture;
  int stemRows = 0, barRows = 0, covered = 0;
  for (int y = 0; y < g.height; ++y) {
    const unsigned char* row = g.coverage + y * g.width;
    std::vector<int> runs;  // start and end of each covered run
    for (int x = 0; x < g.width; ++x) {
      EXPECT_TRUE(row[x] == 0 || row[x] == 255) << x << "," << y;
      picture += row[x] ? '#' : '.';
      covered += row[x] == 255;
      if (row[x] && (x == 0 || !row[x - 1])) runs.push_back(x);
      if (row[x] && (x == g.width - 1 || !row[x + 1])) runs.push_back(x + 1);
    }
    picture += '\n';
    if (runs == std::vector<int>{0, g.width}) ++barRows;
    if (runs.size() == 4 && runs[0] == 0 && runs[3] == g.width &&
        runs[1] - runs[0] == runs[3] - runs[2])
      ++stemRows;
  }
  EXPECT_GE(barRows, 2) << picture;
  EXPECT_EQ(stemRows + barRows, g.height) << picture;
  const long smoothInk = ink(smooth, "H");
  EXPECT_NEAR(covered * 255.0, (double)smoothInk, smoothInk * 0.2) << picture;
  DeleteObject(mono);
  DeleteObject(smooth);
}
