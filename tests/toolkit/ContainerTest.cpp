#include <gtest/gtest.h>

#include <string>

#include "toolkit/heapbuf.h"
#include "toolkit/ptrlist.h"
#include "toolkit/tkstring.h"

namespace {

TEST(HeapBuf, GrowsInWholeStepsAndKeepsData) {
  TK_HeapBuf buf(100);
  char* p = static_cast<char*>(buf.Resize(10));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "0123456789", 10);
  EXPECT_EQ(buf.GetAllocated(), 100);
  p = static_cast<char*>(buf.Resize(101));
  EXPECT_EQ(buf.GetAllocated(), 200);
  EXPECT_EQ(std::string(p, 10), "0123456789");
  buf.Resize(3);
  EXPECT_EQ(buf.GetSize(), 3);
  EXPECT_EQ(buf.GetAllocated(), 200) << "shrinking keeps the storage";
  EXPECT_EQ(buf.Resize(-1), nullptr);
  EXPECT_EQ(buf.GetSize(), 3) << "a refused resize leaves the size";
}

TEST(HeapBuf, ZeroGranularityStillGrowsAndCopiesAreDeep) {
  TK_HeapBuf buf(0);
  EXPECT_EQ(buf.GetGranularity(), 1);
  std::memcpy(buf.Resize(4), "abcd", 4);
  TK_HeapBuf copy(buf);
  static_cast<char*>(copy.Get())[0] = 'z';
  EXPECT_EQ(static_cast<char*>(buf.Get())[0], 'a');
  EXPECT_EQ(copy.GetSize(), 4);
}

TEST(TypedBuf, CountsElementsAndRefusesOverflow) {
  TK_TypedBuf<double> buf(4096);
  double* d = buf.Resize(600);
  ASSERT_NE(d, nullptr);
  d[599] = 1.5;
  EXPECT_EQ(buf.GetSize(), 600);
  EXPECT_EQ(buf.GetBytes(), 4800);
  EXPECT_EQ(buf.GetAllocated(), 8192 / 8);
  EXPECT_EQ(buf.Resize(0x7fffffff), nullptr);
  EXPECT_EQ(buf.GetSize(), 600);
  EXPECT_EQ(buf.Get()[599], 1.5);
}

struct Counted {
  explicit Counted(int* deaths) : mDeaths(deaths) {}
  ~Counted() { ++*mDeaths; }
  int* mDeaths;
};

TEST(PtrList, InsertFindDeleteKeepOrder) {
  TK_PtrList<int> list(2);
  int a = 1, b = 2, c = 3, d = 4;
  list.Add(&a);
  list.Add(&c);
  list.Insert(&b, 1);
  list.Insert(&d, 99);  // clamped to the end
  ASSERT_EQ(list.GetSize(), 4);
  EXPECT_EQ(list.Get(0), &a);
  EXPECT_EQ(list.Get(1), &b);
  EXPECT_EQ(list.Get(2), &c);
  EXPECT_EQ(list.Get(3), &d);
  EXPECT_EQ(list.Get(4), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Find(&c), 2);
  list.Delete(1);
  EXPECT_EQ(list.Find(&b), -1);
  EXPECT_EQ(list.Get(1), &c);
  EXPECT_TRUE(list.DeletePtr(&a));
  EXPECT_FALSE(list.DeletePtr(&a));
  list.Delete(7);  // out of range: nothing happens
  EXPECT_EQ(list.GetSize(), 2);
}

TEST(PtrList, DeletesItemsOnlyWhenAsked) {
  int deaths = 0;
  TK_PtrList<Counted> list;
  Counted kept(&deaths);
  list.Add(&kept);
  list.Empty();
  EXPECT_EQ(deaths, 0);
  for (int i = 0; i < 100; ++i) list.Add(new Counted(&deaths));
  list.Delete(0, true);
  EXPECT_EQ(deaths, 1);
  list.Empty(true);
  EXPECT_EQ(deaths, 100);
  EXPECT_EQ(list.GetSize(), 0);
}

TEST(String, SetAppendAndBounds) {
  TK_String s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  s.Set("Kroma Editor", 5);
  EXPECT_STREQ(s.Get(), "Kroma");
  s.Append(" Editor and more", 7);
  EXPECT_STREQ(s.Get(), "Kroma Editor");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
  s.Set("abc");
  s.Append(s.Get());  // appending itself must not read freed memory
  EXPECT_STREQ(s.Get(), "abcabc");
  s.Set(s.Get() + 2, 2);
  EXPECT_STREQ(s.Get(), "ca");
  s.SetLength(1);
  EXPECT_STREQ(s.Get(), "c");
  s.SetLength(10);
  EXPECT_STREQ(s.Get(), "c");
}

TEST(String, FormattedTextIsCut) {
  TK_String s;
  s.SetFormatted(6, "%s-%d", "part", 16);
  EXPECT_STREQ(s.Get(), "part-1");
  s.AppendFormatted(100, "%03d", 7);
  EXPECT_STREQ(s.Get(), "part-1007");
  std::string big(5000, 'x');
  s.SetFormatted(100000, "%s", big.c_str());
  EXPECT_EQ(s.GetLength(), 5000);
  TK_String copy(s);
  copy.SetLength(1);
  EXPECT_EQ(s.GetLength(), 5000);
}

}  // namespace
