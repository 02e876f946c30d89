// CString, CStringA, CStringArray and CStringList behaviour, Microsoft printf rules included.
#include <gtest/gtest.h>

#include "framework/String.h"

namespace {

std::string Utf8(const CString& s)
{
    return CStringA(s).GetString();
}

TEST(CStringFormat, MicrosoftPrintfRules)
{
    struct Case {
        const wchar_t* expected;
        CString actual;
    };
    CString pinned, narrow, wide64, mixed, padded, percent;
    pinned.Format(L"\"%s\" %I64d", L"a b", (__int64)-1);
    narrow.Format(L"[%S]", "narrow");
    wide64.Format(L"%I64u|%I64x", (unsigned __int64)18446744073709551615ULL, (unsigned __int64)0xABCDEF0123ULL);
    mixed.Format(L"%d:%02d:%02d.%03d", 1, 2, 3, 4);
    padded.Format(L"[%-4s|%4s|%.2f]", L"ab", L"cd", 2.345);
    percent.Format(L"100%% %c", L'x');
    const Case cases[] = {
        {L"\"a b\" -1", pinned},
        {L"[narrow]", narrow},
        {L"18446744073709551615|abcdef0123", wide64},
        {L"1:02:03.004", mixed},
        {L"[ab  |  cd|2.35]", padded},
        {L"100% x", percent},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.expected, c.actual.GetString());
}

TEST(CStringFormat, GrowsForLongTextsAndAppends)
{
    CString part(L'y', 3000);
    CString s;
    s.Format(L"<%s>", part.GetString());
    ASSERT_EQ(3002, s.GetLength());
    EXPECT_EQ(L'<', s[0]);
    EXPECT_EQ(L'>', s[3001]);
    s.AppendFormat(L"%d", 42);
    EXPECT_EQ(L"42", s.Right(2));
    s.Format(L"%s", L"");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringFormat, NarrowUsesMicrosoftRulesToo)
{
    CStringA a;
    a.Format("%s|%S|%I64d", "n", L"w", (__int64)1 << 40);
    EXPECT_STREQ("n|w|1099511627776", a.GetString());
    CStringA big(std::string(1000, 'q'));
    a.Format("%s%s", big.GetString(), big.GetString());
    EXPECT_EQ(2000, a.GetLength());
}

TEST(CStringTokenize, EdgeCases)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* delims;
        const wchar_t* joined;  // tokens joined by '|'
    };
    const Case cases[] = {
        {L"a,b,c", L",", L"a|b|c"},
        {L",,a,,b,", L",", L"a|b"},
        {L"", L",", L""},
        {L",,,", L",", L""},
        {L"one two\tthree", L" \t", L"one|two|three"},
        {L"abc", L",", L"abc"},
    };
    for (const Case& c : cases) {
        CString text(c.text), joined;
        int pos = 0;
        for (;;) {
            CString token = text.Tokenize(c.delims, pos);
            if (pos == -1) {
                EXPECT_TRUE(token.IsEmpty());
                break;
            }
            if (!joined.IsEmpty()) joined += L'|';
            joined += token;
        }
        EXPECT_STREQ(c.joined, joined.GetString()) << Utf8(text);
    }
    CString text(L"a b");
    int start = 10;
    EXPECT_TRUE(text.Tokenize(L" ", start).IsEmpty());
    EXPECT_EQ(-1, start);
}

TEST(CStringEdit, ReplaceRemoveInsertDelete)
{
    CString s(L"a.b.c");
    EXPECT_EQ(2, s.Replace(L'.', L'/'));
    EXPECT_EQ(L"a/b/c", s);
    EXPECT_EQ(2, s.Replace(L"/", L"::"));
    EXPECT_EQ(L"a::b::c", s);
    EXPECT_EQ(0, s.Replace(L"", L"x"));
    EXPECT_EQ(0, s.Replace(L"zz", L"x"));
    EXPECT_EQ(2, s.Replace(L"::", L""));
    EXPECT_EQ(L"abc", s);
    CString overlap(L"aaaa");
    EXPECT_EQ(2, overlap.Replace(L"aa", L"a"));
    EXPECT_EQ(L"aa", overlap);

    CString r(L"banana");
    EXPECT_EQ(3, r.Remove(L'a'));
    EXPECT_EQ(L"bnn", r);
    EXPECT_EQ(4, r.Insert(0, L'>'));
    EXPECT_EQ(6, r.Insert(100, L"<<"));
    EXPECT_EQ(L">bnn<<", r);
    EXPECT_EQ(4, r.Delete(1, 2));
    EXPECT_EQ(L">n<<", r);
    EXPECT_EQ(1, r.Delete(1, 100));
    EXPECT_EQ(L">", r);
}

TEST(CStringSearch, FindAndSubstrings)
{
    CString s(L"C:\\dir\\file.name.ext");
    EXPECT_EQ(2, s.Find(L'\\'));
    EXPECT_EQ(6, s.Find(L'\\', 3));
    EXPECT_EQ(-1, s.Find(L'\\', 7));
    EXPECT_EQ(7, s.Find(L"file"));
    EXPECT_EQ(-1, s.Find(L"file", 8));
    EXPECT_EQ(-1, s.Find(L'x', 100));
    EXPECT_EQ(16, s.ReverseFind(L'.'));
    EXPECT_EQ(1, s.FindOneOf(L":."));
    EXPECT_EQ(-1, s.FindOneOf(L"#"));
    EXPECT_EQ(L"ext", s.Mid(s.ReverseFind(L'.') + 1));
    EXPECT_EQ(L"C:", s.Left(2));
    EXPECT_EQ(s, s.Left(1000));
    EXPECT_EQ(L"", s.Left(-1));
    EXPECT_EQ(L"ext", s.Right(3));
    EXPECT_EQ(s, s.Right(1000));
    EXPECT_EQ(L"di", s.Mid(3, 2));
    EXPECT_EQ(L"", s.Mid(100));
    EXPECT_EQ(L"C:", s.SpanExcluding(L"\\"));
    EXPECT_EQ(L"", CString(L"abc").SpanIncluding(L"x"));
    EXPECT_EQ(L"aab", CString(L"aabc").SpanIncluding(L"ab"));
}

TEST(CStringCase, TrimCaseCompare)
{
    CString s(L" \t x y \r\n");
    EXPECT_EQ(L"x y", CString(s).Trim());
    EXPECT_EQ(L"x y \r\n", CString(s).TrimLeft());
    EXPECT_EQ(L" \t x y", CString(s).TrimRight());
    EXPECT_EQ(L"abc", CString(L"--abc--").Trim(L'-'));
    EXPECT_EQ(L"abc", CString(L"-+abc+-").Trim(L"+-"));
    EXPECT_EQ(L"", CString(L"   ").Trim());
    EXPECT_EQ(L"ABC", CString(L"aBc").MakeUpper());
    EXPECT_EQ(L"abc", CString(L"aBc").MakeLower());
    EXPECT_EQ(L"cba", CString(L"abc").MakeReverse());
    EXPECT_EQ(0, CString(L"Hello").CompareNoCase(L"hELLO"));
    EXPECT_LT(CString(L"a").Compare(L"b"), 0);
    EXPECT_GT(CString(L"b").Compare(L"a"), 0);
    EXPECT_TRUE(CString(L"a") < CString(L"b"));
    EXPECT_TRUE(L"x" == CString(L"x"));
    EXPECT_TRUE(CString(L"x") != L"y");
    CString joined = CString(L"a") + L"b" + L'c' + CString(L"d");
    EXPECT_EQ(L"abcd", joined);
}

TEST(CStringBuffer, GetBufferReleaseBuffer)
{
    CString s;
    wchar_t* p = s.GetBuffer(MAX_PATH);
    ASSERT_NE(nullptr, p);
    DWORD n = ::GetWindowsDirectoryW(p, MAX_PATH);
    s.ReleaseBuffer();
    EXPECT_EQ((int)n, s.GetLength());
    EXPECT_EQ(L':', s[1]);

    CString t(L"abcdef");
    t.GetBuffer(0);
    t.ReleaseBuffer(3);
    EXPECT_EQ(L"abc", t);
    wchar_t* q = t.GetBufferSetLength(5);
    q[3] = L'x';
    q[4] = L'y';
    t.ReleaseBuffer();
    EXPECT_EQ(L"abcxy", t);
}

TEST(CStringConversion, NarrowAndWide)
{
    CString fromNarrow("plain text");
    EXPECT_EQ(L"plain text", fromNarrow);
    CString counted("abcdef", 3);
    EXPECT_EQ(L"abc", counted);
    CString copy(L"xyz", 2);
    EXPECT_EQ(L"xy", copy);
    CStringA back(CString(L"wide"));
    EXPECT_STREQ("wide", back.GetString());
    CString round(CStringA("round trip"));
    EXPECT_EQ(L"round trip", round);
    EXPECT_EQ(5, CString(L'z', 5).GetLength());
    CString null((const wchar_t*)nullptr);
    EXPECT_TRUE(null.IsEmpty());
    EXPECT_FALSE(CString().LoadString(65000));
}

// The one name part of a path that the document title, the converter's output name and the
// player's information dialog all show: either separator, and a bare name stays whole.
TEST(FileNamePart, LastPartAfterEitherSeparator)
{
    EXPECT_EQ(CString(L"b.txt"), FileNamePart(L"C:\\a\\b.txt"));
    EXPECT_EQ(CString(L"c d.mp4"), FileNamePart(L"C:\\a/b\\c d.mp4"));
    EXPECT_EQ(CString(L"clip.mkv"), FileNamePart(L"http://host/dir/clip.mkv"));
    EXPECT_EQ(CString(L"bare.avi"), FileNamePart(L"bare.avi"));
    EXPECT_EQ(CString(L""), FileNamePart(L"C:\\folder\\"));
    EXPECT_EQ(CString(L""), FileNamePart(L""));
}

TEST(CStringArray, ArrayOperations)
{
    CStringArray a;
    EXPECT_EQ(0, a.Add(L"one"));
    EXPECT_EQ(1, a.Add(CString(L"three")));
    a.InsertAt(1, L"two");
    ASSERT_EQ(3, a.GetSize());
    EXPECT_EQ(L"two", a[1]);
    a.SetAt(2, L"THREE");
    EXPECT_EQ(L"THREE", a.GetAt(2));
    a.ElementAt(0) += L"!";
    EXPECT_EQ(L"one!", a[0]);
    CStringArray b;
    b.Copy(a);
    EXPECT_EQ(3, b.Append(a));
    EXPECT_EQ(6, b.GetCount());
    b.RemoveAt(1, 4);
    ASSERT_EQ(2, b.GetSize());
    EXPECT_EQ(L"one!", b[0]);
    EXPECT_EQ(L"THREE", b[1]);
    b.SetSize(4);
    EXPECT_TRUE(b[3].IsEmpty());
    b.RemoveAll();
    EXPECT_EQ(0, b.GetSize());
}

TEST(CStringList, ListOperations)
{
    CStringList l;
    l.AddTail(L"b");
    l.AddHead(L"a");
    POSITION c = l.AddTail(L"c");
    l.InsertBefore(c, L"b2");
    ASSERT_EQ(4, l.GetCount());
    CString joined;
    for (POSITION pos = l.GetHeadPosition(); pos;) joined += l.GetNext(pos);
    EXPECT_EQ(L"abb2c", joined);
    POSITION found = l.Find(L"b2");
    ASSERT_NE(nullptr, found);
    l.RemoveAt(found);
    EXPECT_EQ(nullptr, l.Find(L"b2"));
    EXPECT_EQ(L"a", l.RemoveHead());
    EXPECT_EQ(L"c", l.RemoveTail());
    EXPECT_EQ(1, l.GetCount());
    EXPECT_EQ(L"b", l.GetHead());
    l.AddTail(&l);
    EXPECT_EQ(2, l.GetCount());
    l.RemoveAll();
    EXPECT_TRUE(l.IsEmpty());
    EXPECT_EQ(nullptr, l.GetHeadPosition());
}

} // namespace
