// CArray, the typed and owning pointer arrays, CMap, and the geometry classes.
#include <gtest/gtest.h>

#include "framework/Collections.h"
#include "framework/Geometry.h"

namespace {

TEST(CArray, InsertRemoveAppendCopy)
{
    CArray<int> a;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(i, a.Add(i * 10));
    a.InsertAt(2, 99, 2);
    ASSERT_EQ(7, a.GetSize());
    EXPECT_EQ(99, a[2]);
    EXPECT_EQ(99, a[3]);
    EXPECT_EQ(20, a[4]);
    a.RemoveAt(2, 2);
    a.RemoveAt(3, 100);
    ASSERT_EQ(3, a.GetCount());
    EXPECT_EQ(20, a.GetAt(2));
    a.InsertAt(5, 7);
    EXPECT_EQ(6, a.GetSize());
    EXPECT_EQ(0, a[4]);
    EXPECT_EQ(7, a[5]);
    CArray<int> b;
    b.Copy(a);
    EXPECT_EQ(6, b.Append(a));
    EXPECT_EQ(12, b.GetSize());
    EXPECT_EQ(b.GetData()[11], 7);
    b.SetSize(2);
    EXPECT_EQ(2, b.GetSize());
    b.ElementAt(1) = 5;
    EXPECT_EQ(5, b[1]);
    b.RemoveAll();
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(nullptr, b.GetData());
}

struct Counted {
    explicit Counted(int* c) : counter(c) {}
    ~Counted() { ++*counter; }
    int* counter;
};

TEST(COwningPtrArray, DeletesItsElements)
{
    int deleted = 0;
    Counted* kept = nullptr;
    {
        COwningPtrArray<Counted> a;
        for (int i = 0; i < 6; ++i) a.Add(new Counted(&deleted));
        a.RemoveAt(0);
        EXPECT_EQ(1, deleted);
        a.RemoveAt(0, 2);
        EXPECT_EQ(3, deleted);
        kept = a.Detach(0);
        EXPECT_EQ(3, deleted);
        EXPECT_EQ(2, a.GetSize());
        a.SetAt(0, new Counted(&deleted));
        EXPECT_EQ(4, deleted);
        COwningPtrArray<Counted> moved(std::move(a));
        EXPECT_EQ(0, a.GetSize());
        EXPECT_EQ(2, moved.GetSize());
    }
    EXPECT_EQ(6, deleted);
    delete kept;
    EXPECT_EQ(7, deleted);

    COwningPtrArray<Counted> b;
    Counted* p = new Counted(&deleted);
    b.Add(new Counted(&deleted));
    b.Add(p);
    EXPECT_EQ(1, b.Find(p));
    EXPECT_TRUE(b.DetachPtr(p));
    EXPECT_FALSE(b.DetachPtr(p));
    b.RemoveAll();
    EXPECT_EQ(8, deleted);
    delete p;
}

TEST(CTypedPtrArray, HandsOutTypedPointers)
{
    int x = 1, y = 2;
    CTypedPtrArray<CPtrArray, int*> a;
    a.Add(&x);
    a.Add(&y);
    EXPECT_EQ(&y, a.GetAt(1));
    *a[0] = 5;
    EXPECT_EQ(5, x);
    a.RemoveAt(0);
    EXPECT_EQ(&y, a[0]);
}

TEST(CMap, LookupAndIteration)
{
    CMap<CString, LPCWSTR, int, int> m;
    m.SetAt(L"b", 2);
    m[L"a"] = 1;
    m[L"c"] = 3;
    int v = 0;
    EXPECT_TRUE(m.Lookup(L"b", v));
    EXPECT_EQ(2, v);
    EXPECT_FALSE(m.Lookup(L"z", v));
    EXPECT_TRUE(m.RemoveKey(L"b"));
    int sum = 0, count = 0;
    for (POSITION pos = m.GetStartPosition(); pos;) {
        CString key;
        m.GetNextAssoc(pos, key, v);
        sum += v;
        ++count;
    }
    EXPECT_EQ(2, count);
    EXPECT_EQ(4, sum);
}

TEST(CRect, Geometry)
{
    CRect r(10, 20, 110, 70);
    EXPECT_EQ(100, r.Width());
    EXPECT_EQ(50, r.Height());
    EXPECT_EQ(CSize(100, 50), r.Size());
    EXPECT_EQ(CPoint(60, 45), r.CenterPoint());
    EXPECT_EQ(CPoint(10, 20), r.TopLeft());
    r.BottomRight().x = 210;
    EXPECT_EQ(200, r.Width());
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(r.PtInRect(CPoint(210, 20)));

    CRect m = r;
    m.OffsetRect(5, -5);
    EXPECT_EQ(CRect(15, 15, 215, 65), m);
    m.InflateRect(5, 5);
    EXPECT_EQ(CRect(10, 10, 220, 70), m);
    m.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(CRect(11, 12, 217, 66), m);

    CRect a(0, 0, 10, 10), b(5, 5, 20, 20), i, u;
    EXPECT_TRUE(i.IntersectRect(a, b));
    EXPECT_EQ(CRect(5, 5, 10, 10), i);
    u.UnionRect(a, b);
    EXPECT_EQ(CRect(0, 0, 20, 20), u);
    EXPECT_FALSE(i.IntersectRect(a, CRect(30, 30, 40, 40)));
    EXPECT_TRUE(i.IsRectEmpty());
    EXPECT_TRUE(i.IsRectNull());

    CRect n(10, 10, 0, 0);
    EXPECT_TRUE(n.IsRectEmpty());
    EXPECT_FALSE(n.IsRectNull());
    n.NormalizeRect();
    EXPECT_EQ(CRect(0, 0, 10, 10), n);
    n += CPoint(1, 2);
    EXPECT_EQ(CRect(1, 2, 11, 12), n);
    n -= CSize(1, 2);
    EXPECT_TRUE(n.EqualRect(&a));
    EXPECT_TRUE(n != b);
    RECT raw = {};
    ::CopyRect(&raw, n);
    EXPECT_EQ(10, raw.right);
    LPCRECT cp = static_cast<const CRect&>(n);
    EXPECT_EQ(10, cp->bottom);
    EXPECT_EQ(CSize(3, 4), CPoint(5, 6) - CPoint(2, 2));
}

} // namespace
