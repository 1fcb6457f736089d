// Tests of nArray (growth, shrinking, element copies) and nMap.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "narray.h"
#include "nmap.h"
#include "nstring.h"
#include "orvex.h"

// The engine defines the interface pointer; this test links only the string helpers.
orvex_t *ov = nullptr;

namespace {

nArray<int> Numbers(int count) {
    nArray<int> a;
    for (int i = 0; i < count; i++) {
        a.InsertLast(i * 10);
    }
    return a;
}

void ExpectNumbers(const nArray<int> &a, int count) {
    ASSERT_EQ(a.Count(), count);
    for (int i = 0; i < count; i++) {
        EXPECT_EQ(a[i], i * 10) << "at " << i;
    }
}

struct CapacityCase {
    int inserted;
    int capacity;
};

// A block of n slots holds n - 1 elements: the n-th insertion grows it.
const CapacityCase kGrowth[] = {
    {0, 0}, {1, 32}, {31, 32}, {32, 64}, {63, 64}, {64, 128}, {127, 128}, {128, 256},
};

TEST(ArrayGrowth, FirstBlockHolds31Elements) {
    for (const CapacityCase &c : kGrowth) {
        SCOPED_TRACE(c.inserted);
        nArray<int> a = Numbers(c.inserted);
        EXPECT_EQ(a.Capacity(), c.capacity);
        ExpectNumbers(a, c.inserted);
    }
}

TEST(ArrayGrowth, SizeUpGrowsUnconditionally) {
    nArray<int> a;
    a.SizeUp();
    EXPECT_EQ(a.Capacity(), 32);
    EXPECT_EQ(a.Count(), 0);
    a.InsertLast(5);
    a.SizeUp();
    EXPECT_EQ(a.Capacity(), 64);
    ASSERT_EQ(a.Count(), 1);
    EXPECT_EQ(a[0], 5);
}

// Removing the last element of an array of 64 (capacity 128) one by one.
const CapacityCase kShrink[] = {
    {33, 128}, {32, 64}, {17, 64}, {16, 32}, {9, 32}, {8, 16},
    {5, 16},   {4, 8},   {3, 8},   {2, 4},   {1, 2},  {0, 2},  // an empty array keeps its block
};

TEST(ArrayShrink, HalvesAtAQuarterButKeepsBlockWhenEmpty) {
    nArray<int> a = Numbers(64);
    ASSERT_EQ(a.Capacity(), 128);
    for (const CapacityCase &c : kShrink) {
        while (a.Count() > c.inserted) {
            a.Remove(a.Count() - 1);
        }
        SCOPED_TRACE(c.inserted);
        EXPECT_EQ(a.Capacity(), c.capacity);
        ExpectNumbers(a, c.inserted);
    }
}

TEST(ArrayShrink, FlagOffKeepsCapacity) {
    nArray<int> a = Numbers(64);
    a.SetShrink(false);
    EXPECT_FALSE(a.Shrinks());
    while (a.Count() > 1) {
        a.Remove(a.Count() - 1);
    }
    EXPECT_EQ(a.Capacity(), 128);
    ExpectNumbers(a, 1);
}

TEST(ArrayShrink, EmptiedArrayReusesItsBlock) {
    nArray<int> a;
    a.InsertLast(1);
    const int *block = &a[0];
    a.Remove(0);
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.Capacity(), 32);
    a.InsertLast(2);
    EXPECT_EQ(&a[0], block);
}

TEST(ArrayEdit, RemoveKeepsOrderAndIgnoresBadIndex) {
    nArray<int> a = Numbers(5);
    a.Remove(1);
    a.Remove(-1);
    a.Remove(4);
    ASSERT_EQ(a.Count(), 4);
    const int expected[] = {0, 20, 30, 40};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(a[i], expected[i]);
    }
}

TEST(ArrayEdit, InsertFirstMovesEntriesUp) {
    nArray<int> a;
    for (int i = 0; i < 40; i++) {
        a.InsertFirst(i);
    }
    ASSERT_EQ(a.Count(), 40);
    EXPECT_EQ(a.Capacity(), 64);
    for (int i = 0; i < 40; i++) {
        EXPECT_EQ(a[i], 39 - i);
    }
    a.Insert(2, 100);
    a.Insert(a.Count(), 200);
    a.Insert(a.Count() + 1, 300);  // outside the array: ignored
    ASSERT_EQ(a.Count(), 42);
    EXPECT_EQ(a[1], 38);
    EXPECT_EQ(a[2], 100);
    EXPECT_EQ(a[3], 37);
    EXPECT_EQ(a[41], 200);
}

TEST(ArrayEdit, ClearReleasesBlockAndKeepsFlag) {
    nArray<int> a = Numbers(10);
    a.SetShrink(false);
    a.Clear();
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.Capacity(), 0);
    EXPECT_FALSE(a.Shrinks());
    a.InsertLast(7);
    EXPECT_EQ(a.Capacity(), 32);
}

TEST(ArrayCopy, PointerElementsCopyBits) {
    static char first[] = "first";
    static char second[] = "second";
    nArray<char *> a;
    a.InsertLast(first);
    a.InsertLast(second);
    nArray<char *> b(a);
    ASSERT_EQ(b.Count(), 2);
    EXPECT_EQ(b[0], first);
    EXPECT_EQ(b[1], second);
}

TEST(ArrayCopy, CopiesAreIndependent) {
    nArray<int> a = Numbers(40);
    nArray<int> b(a);
    EXPECT_EQ(b.Capacity(), a.Capacity());
    b[0] = -1;
    b.Remove(1);
    ExpectNumbers(a, 40);

    nArray<int> c;
    c = a;
    c.InsertLast(7);
    ExpectNumbers(a, 40);
    EXPECT_EQ(c.Count(), 41);

    nArray<int> d(std::move(c));
    EXPECT_EQ(d.Count(), 41);
    EXPECT_EQ(c.Count(), 0);
}

std::string Label(int i) {
    return "item-" + std::to_string(i);
}

TEST(StringArray, InsertCopiesTheText) {
    nArray<nString> a;
    nString s("before");
    a.InsertLast(s);
    s.Set("after");
    ASSERT_EQ(a.Count(), 1);
    EXPECT_STREQ(a[0].Get(), "before");
    EXPECT_NE(a[0].Get(), s.Get());
}

TEST(StringArray, TextsSurviveGrowthShrinkAndRemoval) {
    nArray<nString> a;
    for (int i = 0; i < 100; i++) {
        nString s;
        s.Format("%s", Label(i).c_str());
        a.InsertLast(s);
    }
    EXPECT_EQ(a.Capacity(), 128);
    while (a.Count() > 10) {
        a.Remove(0);
    }
    EXPECT_EQ(a.Capacity(), 32);
    for (int i = 0; i < 10; i++) {
        EXPECT_STREQ(a[i].Get(), Label(90 + i).c_str());
    }
}

TEST(StringArray, InsertingOwnElementWhileGrowing) {
    nArray<nString> a;
    for (int i = 0; i < 31; i++) {
        a.InsertLast(nString(Label(i).c_str()));
    }
    ASSERT_EQ(a.Capacity(), 32);
    a.InsertLast(a[0]);  // the block moves during this insertion
    EXPECT_EQ(a.Capacity(), 64);
    EXPECT_STREQ(a[31].Get(), Label(0).c_str());
    EXPECT_NE(a[31].Get(), a[0].Get());
}

TEST(StringArray, CopyIsDeep) {
    nArray<nString> a;
    a.InsertLast(nString("one"));
    a.InsertLast(nString("two"));
    nArray<nString> b(a);
    ASSERT_EQ(b.Count(), 2);
    for (int i = 0; i < 2; i++) {
        EXPECT_STREQ(b[i].Get(), a[i].Get());
        EXPECT_NE(b[i].Get(), a[i].Get());
    }
    b[0].Set("changed");
    EXPECT_STREQ(a[0].Get(), "one");
}

TEST(Map, AddPairAppendsNewKeys) {
    nMap<int> m;
    m.AddPair("a", 1);
    m.AddPair("b", 2);
    m.AddPair("A", 3);  // keys are case-sensitive
    ASSERT_EQ(m.Count(), 3);
    EXPECT_STREQ(m.KeyAt(0), "a");
    EXPECT_STREQ(m.KeyAt(2), "A");
    EXPECT_EQ(m.ValueAt(1), 2);
    EXPECT_EQ(m.IndexOf("A"), 2);
    EXPECT_EQ(m.IndexOf("c"), -1);
}

TEST(Map, AddPairWithExistingKeyReplacesValue) {
    nMap<int> m;
    m.AddPair("a", 1);
    m.AddPair("b", 2);
    m.AddPair("b", 20);
    EXPECT_EQ(m.Count(), 2);
    EXPECT_EQ(m.ValueAt(1), 20);
    EXPECT_EQ(m.ValueAt(0), 1);
}

TEST(Map, KeyIsCopied) {
    char key[] = "res://ui.pak";
    nMap<int> m;
    m.AddPair(key, 1);
    key[0] = 'X';
    EXPECT_STREQ(m.KeyAt(0), "res://ui.pak");
    EXPECT_NE(m.KeyAt(0), key);
}

TEST(Map, NullKeyStoresEmptyKeyAndNeverMatches) {
    nMap<int> m;
    m.AddPair(nullptr, 1);
    m.AddPair(nullptr, 2);
    ASSERT_EQ(m.Count(), 2);
    EXPECT_STREQ(m.KeyAt(0), "");
    EXPECT_EQ(m.Find(nullptr), nullptr);
    m.AddPair("", 3);  // an empty key does match the stored ""
    EXPECT_EQ(m.Count(), 2);
    EXPECT_EQ(m.ValueAt(0), 3);
}

TEST(Map, FindTellsMissingFromNullValue) {
    static int archive = 0;
    nMap<int *> m;
    m.AddPair("broken.pak", nullptr);
    m.AddPair("good.pak", &archive);
    int **held_null = m.Find("broken.pak");
    ASSERT_NE(held_null, nullptr);
    EXPECT_EQ(*held_null, nullptr);
    int **held = m.Find("good.pak");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(*held, &archive);
    EXPECT_EQ(m.Find("missing.pak"), nullptr);
}

TEST(Map, GrowsLikeTheArray) {
    nMap<int> m;
    for (int i = 0; i < 32; i++) {
        m.AddPair(Label(i).c_str(), i);
        EXPECT_EQ(m.Capacity(), i < 31 ? 32 : 64) << "after " << i + 1 << " pairs";
    }
    for (int i = 0; i < 32; i++) {
        EXPECT_STREQ(m.KeyAt(i), Label(i).c_str());
        EXPECT_EQ(m.ValueAt(i), i);
    }
    m.Clear();
    EXPECT_EQ(m.Count(), 0);
    EXPECT_EQ(m.Find(Label(0).c_str()), nullptr);
}

}  // namespace
