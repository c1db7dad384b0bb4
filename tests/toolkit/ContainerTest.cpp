#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "toolkit/heapbuf.h"
#include "toolkit/ptrlist.h"
#include "toolkit/tkstring.h"

namespace {

TEST(HeapBuf, GrowsInWholeStepsKeepsDataAndCopiesDeep) {
  TK_HeapBuf buf(100);
  std::memcpy(buf.Resize(10), "0123456789", 10);
  EXPECT_EQ(buf.GetAllocated(), 100);
  char* p = static_cast<char*>(buf.Resize(101));
  EXPECT_EQ(buf.GetAllocated(), 200);
  EXPECT_EQ(std::string(p, 10), "0123456789");
  buf.Resize(3);
  EXPECT_EQ(buf.GetAllocated(), 200) << "shrinking keeps the storage";
  EXPECT_EQ(buf.Resize(-1), nullptr);
  EXPECT_EQ(buf.GetSize(), 3) << "a refused resize leaves the size";
  TK_HeapBuf copy(buf);
  static_cast<char*>(copy.Get())[0] = 'z';
  EXPECT_EQ(static_cast<char*>(buf.Get())[0], '0');
  EXPECT_EQ(copy.GetSize(), 3);
  EXPECT_EQ(TK_HeapBuf(0).GetGranularity(), 1);
}

// Zero after growing (fresh storage) and after shrinking into storage written before.
TEST(HeapBuf, ResizeZeroedLeavesOnlyZeros) {
  TK_HeapBuf buf(64);
  for (int size : {10, 1000, 200, 1000}) {
    const unsigned char* bytes = static_cast<unsigned char*>(buf.ResizeZeroed(size));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(buf.GetSize(), size);
    for (int i = 0; i < size; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i << " of " << size;
    std::memset(buf.Get(), 0xAB, (size_t)size);
  }
  EXPECT_EQ(buf.ResizeZeroed(-1), nullptr);
  EXPECT_EQ(buf.GetSize(), 1000) << "a refused resize leaves the size";
}

TEST(TypedBuf, CountsElementsAndRefusesOverflow) {
  TK_TypedBuf<double> buf(4096);
  buf.Resize(600)[599] = 1.5;
  EXPECT_EQ(buf.GetBytes(), 4800);
  EXPECT_EQ(buf.Resize(0x7fffffff), nullptr);
  EXPECT_EQ(buf.Get()[599], 1.5);
}

struct Counted {
  explicit Counted(int* deaths) : mDeaths(deaths) {}
  ~Counted() { ++*mDeaths; }
  int* mDeaths;
};

TEST(PtrList, KeepsOrderAndDeletesItemsOnlyWhenAsked) {
  TK_PtrList<int> list(2);
  int a = 1, b = 2, c = 3, d = 4;
  list.Add(&c);
  list.Insert(&a, -5);  // clamped to the front
  list.Insert(&b, 1);
  list.Insert(&d, 99);  // clamped to the end
  ASSERT_EQ(list.GetSize(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(*list.Get(i), i + 1);
  EXPECT_EQ(list.Get(4), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  list.Delete(1);
  EXPECT_EQ(list.Find(&b), -1);
  EXPECT_TRUE(list.DeletePtr(&a));
  EXPECT_FALSE(list.DeletePtr(&a));
  list.Delete(7);  // out of range: nothing happens
  list.Delete(-1);
  EXPECT_EQ(list.GetSize(), 2);

  int deaths = 0;
  TK_PtrList<Counted> owned;
  Counted kept(&deaths);
  owned.Add(&kept);
  owned.Empty();  // not owned: kept alive
  for (int i = 0; i < 100; ++i) owned.Add(new Counted(&deaths));
  owned.Delete(0, true);
  EXPECT_EQ(deaths, 1);
  owned.Empty(true);
  EXPECT_EQ(deaths, 100);
  EXPECT_EQ(owned.GetSize(), 0);
}

TEST(String, SetAppendFormatAndBounds) {
  TK_String s;
  EXPECT_STREQ(s.Get(), "");
  s.Set("Kroma Editor", 5);
  s.Append(" Editor and more", 7);
  EXPECT_STREQ(s.Get(), "Kroma Editor");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
  s.Set("abc");
  s.Append(s.Get());  // appending itself must not read freed memory
  EXPECT_STREQ(s.Get(), "abcabc");
  s.Set(s.Get() + 2, 2);
  EXPECT_STREQ(s.Get(), "ca");
  s.Set(s.Get(), 1);  // from itself: a cut
  s.SetLength(10);
  EXPECT_STREQ(s.Get(), "c");
  s.SetLength(-1);
  EXPECT_STREQ(s.Get(), "");

  s.SetFormatted(6, "%s-%d", "part", 16);
  EXPECT_STREQ(s.Get(), "part-1");
  s.AppendFormatted(100, "%03d", 7);
  EXPECT_STREQ(s.Get(), "part-1007");
  s.AppendFormatted(100, "%d", 8);  // a result of one character
  EXPECT_STREQ(s.Get(), "part-10078");
  s.SetFormatted(100000, "%s", std::string(5000, 'x').c_str());
  EXPECT_EQ(s.GetLength(), 5000);
  s.SetFormatted(100, "%s", "");  // an empty result replaces the text too
  EXPECT_STREQ(s.Get(), "");
  s.SetFormatted(100000, "%s", std::string(5000, 'x').c_str());
  TK_String copy(s);
  copy.SetLength(1);
  EXPECT_EQ(s.GetLength(), 5000);
}

// Cuts at and around the ends, on strings that never held storage and on ones that did.
TEST(String, CutsAtTheEdges) {
  TK_String fresh;
  fresh.SetLength(0);  // no storage yet: nothing to cut
  EXPECT_STREQ(fresh.Get(), "");
  TK_String emptied("abc");
  emptied.Clear();
  emptied.SetLength(0);
  EXPECT_EQ(emptied.GetLength(), 0);

  const struct {
    int length;  // the cut; as a bound of a set or an append, negative means none
    const char* left;
  } cases[] = {{-3, ""}, {0, ""}, {1, "a"}, {3, "abc"}, {4, "abcd"}, {9, "abcd"}};
  for (const auto& c : cases) {
    TK_String cut("abcd");
    cut.SetLength(c.length);
    EXPECT_STREQ(cut.Get(), c.left) << c.length;
    EXPECT_EQ(cut.GetLength(), (int)std::strlen(c.left)) << c.length;
    // as the bound of a set or an append from elsewhere: the same bytes are kept
    const char* bounded = c.length < 0 ? "abcd" : c.left;
    TK_String self("abcd");
    self.Set(self.Get(), c.length);
    EXPECT_STREQ(self.Get(), bounded) << c.length;
    TK_String other("old");
    other.Set("abcd", c.length);
    EXPECT_STREQ(other.Get(), bounded) << c.length;
    other.Append("abcd", c.length);
    EXPECT_EQ(std::string(other.Get()), std::string(bounded) + bounded) << c.length;
  }
}

}  // namespace
