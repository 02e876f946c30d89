// The wildcard matcher, the include/exclude filter and the folder scan.
#include "toolkit/FileMatchFilter.h"

#include <windows.h>

#include <vector>

namespace {

const wchar_t kRunWithinPart = 0x1A;  // any run of characters that stays before the next '.'
const wchar_t kLiteral = L'`';

wchar_t Lower(wchar_t c)
{
    return (wchar_t)(UINT_PTR)::CharLowerW((LPWSTR)(UINT_PTR)c);
}

// A match of one pattern against one name. The answer for a pair of positions never changes, so
// each is worked out once: patterns with many stars stay fast on long names.
class CWildcardMatcher {
public:
    CWildcardMatcher(LPCWSTR pattern, LPCWSTR name)
        : m_p(pattern), m_pn(wcslen(pattern)), m_n(name), m_nn(wcslen(name)),
          m_memo((m_pn + 1) * (m_nn + 1), -1)
    {
    }
    bool Match() { return At(0, 0); }

private:
    bool At(size_t pi, size_t ni)
    {
        signed char& known = m_memo[pi * (m_nn + 1) + ni];
        if (known < 0) known = Compute(pi, ni) ? 1 : 0;
        return known == 1;
    }

    bool Compute(size_t pi, size_t ni)
    {
        if (pi == m_pn) return ni == m_nn;
        const wchar_t c = m_p[pi];
        switch (c) {
        case kRunWithinPart: {
            size_t end = ni;
            while (end < m_nn && m_n[end] != L'.') ++end;
            for (size_t k = end + 1; k-- > ni;)
                if (At(pi + 1, k)) return true;
            return false;
        }
        case L'!':
            if (pi + 1 == m_pn) return false;
            return !At(pi + 1, ni);
        case L'*':
            for (size_t k = m_nn + 1; k-- > ni;)
                if (At(pi + 1, k)) return true;
            return false;
        case L'?':
            return ni < m_nn && At(pi + 1, ni + 1);
        case L'[':
            return MatchSet(pi, ni);
        case kLiteral:
            if (pi + 1 == m_pn) return false;
            return ni < m_nn && Lower(m_p[pi + 1]) == Lower(m_n[ni]) && At(pi + 2, ni + 1);
        default:
            return ni < m_nn && Lower(c) == Lower(m_n[ni]) && At(pi + 1, ni + 1);
        }
    }

    // A set from '[' at pi up to its ']'.
    bool MatchSet(size_t pi, size_t ni)
    {
        size_t q = pi + 1;
        bool negate = false;
        if (q < m_pn && m_p[q] == L'!') {
            negate = true;
            ++q;
        }
        const wchar_t c = ni < m_nn ? Lower(m_n[ni]) : 0;
        bool inSet = false;
        for (;;) {
            if (q >= m_pn) return false;  // no ']': the set is broken
            wchar_t first = m_p[q];
            if (first == L']') break;
            if (first == kLiteral) {
                if (++q >= m_pn) return false;
                first = m_p[q];
            }
            wchar_t last = first;
            if (q + 2 < m_pn && m_p[q + 1] == L'-' && m_p[q + 2] != L']') {
                q += 2;
                last = m_p[q];
                if (last == kLiteral) {
                    if (++q >= m_pn) return false;
                    last = m_p[q];
                }
            }
            ++q;
            if (ni < m_nn && Lower(first) <= c && c <= Lower(last)) inSet = true;
        }
        if (ni >= m_nn) return false;
        return inSet != negate && At(q + 1, ni + 1);
    }

    LPCWSTR m_p;
    size_t m_pn;
    LPCWSTR m_n;
    size_t m_nn;
    std::vector<signed char> m_memo;
};

void SplitPatterns(const CString& text, bool lower, CStringArray& out)
{
    out.RemoveAll();
    int start = 0;
    while (start <= text.GetLength()) {
        int end = text.Find(L';', start);
        if (end < 0) end = text.GetLength();
        CString part = text.Mid(start, end - start);
        part.Trim();
        if (!part.IsEmpty()) {
            if (lower) part.MakeLower();
            out.Add(part);
        }
        start = end + 1;
    }
}

bool AnyMatches(const CStringArray& patterns, LPCWSTR name)
{
    for (INT_PTR i = 0; i < patterns.GetSize(); ++i)
        if (WildcardMatch(patterns[i], name)) return true;
    return false;
}

} // namespace

bool WildcardMatch(LPCWSTR pattern, LPCWSTR name)
{
    return CWildcardMatcher(pattern, name).Match();
}

bool WildcardMatchName(LPCWSTR pattern, LPCWSTR name)
{
    if (!pattern || !name) return false;
    return WildcardMatch(pattern, name);
}

void CFileMatchFilter::SetPatterns(LPCWSTR lpszInclude, LPCWSTR lpszExclude, int bCaseSensitive)
{
    m_strInclude = lpszInclude ? lpszInclude : L"";
    m_strExclude = lpszExclude ? lpszExclude : L"";
    m_bCaseSensitive = bCaseSensitive;
    SplitPatterns(m_strInclude, bCaseSensitive == 0, m_include);
    SplitPatterns(m_strExclude, bCaseSensitive == 0, m_exclude);
}

bool CFileMatchFilter::Match(LPCWSTR lpszName)
{
    if (!lpszName) return false;
    CString name(lpszName);
    if (m_bCaseSensitive == 0) name.MakeLower();
    CString include(m_strInclude), exclude(m_strExclude);
    include.Trim();
    exclude.Trim();
    bool included;
    if (include == L"*")
        included = true;
    else if (include.IsEmpty())
        included = false;
    else
        included = AnyMatches(m_include, name);
    if (!included) return false;
    if (exclude == L"*") return false;
    if (exclude.IsEmpty()) return true;
    return !AnyMatches(m_exclude, name);
}

namespace {

struct ScanLevel {
    HANDLE find;
    CString folder;
    WIN32_FIND_DATAW data;
    bool pending;  // data holds an entry not visited yet
};

} // namespace

int ScanFolderFiles(LPCWSTR lpszFolder, CFileMatchFilter& filter, BOOL bRecurse,
                    const std::function<int(const CString& path)>& onFile)
{
    if (!lpszFolder || !*lpszFolder) return 0;
    std::vector<ScanLevel> stack;
    auto enter = [&](CString folder) {
        while (folder.GetLength() > 1 && (folder.Right(1) == L"\\" || folder.Right(1) == L"/"))
            folder = folder.Left(folder.GetLength() - 1);
        ScanLevel level;
        level.folder = folder;
        level.find = ::FindFirstFileW(folder + L"\\*", &level.data);
        if (level.find == INVALID_HANDLE_VALUE) return;
        level.pending = true;
        stack.push_back(level);
    };

    int sum = 0;
    enter(lpszFolder);
    while (!stack.empty()) {
        ScanLevel& top = stack.back();
        if (!top.pending && !::FindNextFileW(top.find, &top.data)) {
            ::FindClose(top.find);
            stack.pop_back();
            continue;
        }
        top.pending = false;
        const WIN32_FIND_DATAW entry = top.data;
        const CString path = top.folder + L"\\" + entry.cFileName;
        if (!wcscmp(entry.cFileName, L".") || !wcscmp(entry.cFileName, L"..")) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (bRecurse && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) enter(path);
            continue;
        }
        if (filter.Match(entry.cFileName)) sum += onFile(path);
    }
    return sum;
}
