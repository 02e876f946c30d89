// Character primitives, code-page conversion, string-table loading and the string containers.
#include "framework/String.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <oleauto.h>

namespace {
HINSTANCE g_resourceHandle = NULL;
}

HINSTANCE AfxGetResourceHandle()
{
    return g_resourceHandle ? g_resourceHandle : GetModuleHandleW(NULL);
}

void AfxSetResourceHandle(HINSTANCE hResource)
{
    g_resourceHandle = hResource;
}

namespace detail {

int StringTraits<wchar_t>::Length(const wchar_t* p) { return p ? (int)wcslen(p) : 0; }
int StringTraits<wchar_t>::Compare(const wchar_t* a, const wchar_t* b) { return wcscmp(a, b); }
int StringTraits<wchar_t>::CompareNoCase(const wchar_t* a, const wchar_t* b) { return _wcsicmp(a, b); }
int StringTraits<wchar_t>::Collate(const wchar_t* a, const wchar_t* b) { return wcscoll(a, b); }
bool StringTraits<wchar_t>::IsSpace(wchar_t c) { return iswspace(c) != 0; }
void StringTraits<wchar_t>::Lower(wchar_t* p, int n) { CharLowerBuffW(p, (DWORD)n); }
void StringTraits<wchar_t>::Upper(wchar_t* p, int n) { CharUpperBuffW(p, (DWORD)n); }

// msvcrt's functions, not the C99 ones: %s is wide, %S narrow and %I64d works.
int StringTraits<wchar_t>::FormatLength(const wchar_t* fmt, va_list args) { return _vscwprintf(fmt, args); }
int StringTraits<wchar_t>::FormatInto(wchar_t* buf, size_t count, const wchar_t* fmt, va_list args)
{
    return _vsnwprintf(buf, count, fmt, args);
}

int StringTraits<char>::Length(const char* p) { return p ? (int)strlen(p) : 0; }
int StringTraits<char>::Compare(const char* a, const char* b) { return strcmp(a, b); }
int StringTraits<char>::CompareNoCase(const char* a, const char* b) { return _stricmp(a, b); }
int StringTraits<char>::Collate(const char* a, const char* b) { return strcoll(a, b); }
bool StringTraits<char>::IsSpace(char c) { return isspace((unsigned char)c) != 0; }
void StringTraits<char>::Lower(char* p, int n) { CharLowerBuffA(p, (DWORD)n); }
void StringTraits<char>::Upper(char* p, int n) { CharUpperBuffA(p, (DWORD)n); }
int StringTraits<char>::FormatLength(const char* fmt, va_list args) { return _vscprintf(fmt, args); }
int StringTraits<char>::FormatInto(char* buf, size_t count, const char* fmt, va_list args)
{
    return _vsnprintf(buf, count, fmt, args);
}

std::wstring Widen(const char* p, int n, UINT codePage)
{
    if (!p) return std::wstring();
    if (n < 0) n = (int)strlen(p);
    if (n == 0) return std::wstring();
    int len = MultiByteToWideChar(codePage, 0, p, n, NULL, 0);
    if (len <= 0) return std::wstring();
    std::wstring out((size_t)len, L'\0');
    MultiByteToWideChar(codePage, 0, p, n, &out[0], len);
    return out;
}

std::string Narrow(const wchar_t* p, int n, UINT codePage)
{
    if (!p) return std::string();
    if (n < 0) n = (int)wcslen(p);
    if (n == 0) return std::string();
    int len = WideCharToMultiByte(codePage, 0, p, n, NULL, 0, NULL, NULL);
    if (len <= 0) return std::string();
    std::string out((size_t)len, '\0');
    WideCharToMultiByte(codePage, 0, p, n, &out[0], len, NULL, NULL);
    return out;
}

} // namespace detail

CString::CString(const wchar_t* p)
{
    if (p && IS_INTRESOURCE(p))
        LoadString((UINT)(UINT_PTR)p);
    else
        AssignRaw(p);
}

CString::CString(const char* p)
{
    if (p && IS_INTRESOURCE(p))
        LoadString((UINT)(UINT_PTR)p);
    else
        m_s = detail::Widen(p);
}

void CString::Format(UINT formatId, ...)
{
    CString fmt;
    if (!fmt.LoadString(formatId)) {
        Empty();
        return;
    }
    va_list args;
    va_start(args, formatId);
    FormatV(fmt, args);
    va_end(args);
}

BOOL CString::LoadString(UINT id)
{
    return LoadString(AfxGetResourceHandle(), id);
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT id)
{
    // With a zero length LoadStringW hands out a read-only pointer into the resource itself.
    const wchar_t* text = nullptr;
    int n = ::LoadStringW(hInstance, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text) {
        Empty();
        return FALSE;
    }
    AssignRaw(text, n);
    return TRUE;
}

BSTR CString::AllocSysString() const
{
    return SysAllocStringLen(GetString(), (UINT)GetLength());
}

void CStringArray::InsertAt(INT_PTR i, const wchar_t* s, INT_PTR count)
{
    if (count <= 0) return;
    if (i < 0) i = 0;
    if (i > GetSize()) SetSize(i);
    m_a.insert(m_a.begin() + i, (size_t)count, CString(s));
}

void CStringArray::RemoveAt(INT_PTR i, INT_PTR count)
{
    if (i < 0 || count <= 0 || i >= GetSize()) return;
    if (i + count > GetSize()) count = GetSize() - i;
    m_a.erase(m_a.begin() + i, m_a.begin() + i + count);
}

INT_PTR CStringArray::Append(const CStringArray& src)
{
    INT_PTR first = GetSize();
    if (&src == this) {
        std::vector<CString> copy = src.m_a;
        m_a.insert(m_a.end(), copy.begin(), copy.end());
    } else {
        m_a.insert(m_a.end(), src.m_a.begin(), src.m_a.end());
    }
    return first;
}

CStringList::CStringList(const CStringList& other)
{
    AddTail(&other);
}

CStringList& CStringList::operator=(const CStringList& other)
{
    if (&other != this) {
        RemoveAll();
        AddTail(&other);
    }
    return *this;
}

POSITION CStringList::AddHead(const wchar_t* s)
{
    Node* n = new Node{CString(s), nullptr, m_head};
    if (m_head) m_head->prev = n; else m_tail = n;
    m_head = n;
    ++m_count;
    return ToPos(n);
}

POSITION CStringList::AddTail(const wchar_t* s)
{
    Node* n = new Node{CString(s), m_tail, nullptr};
    if (m_tail) m_tail->next = n; else m_head = n;
    m_tail = n;
    ++m_count;
    return ToPos(n);
}

void CStringList::AddTail(const CStringList* other)
{
    if (!other) return;
    // A copy first, so that appending a list to itself ends.
    std::vector<CString> items;
    for (Node* n = other->m_head; n; n = n->next) items.push_back(n->value);
    for (const CString& s : items) AddTail(s);
}

void CStringList::AddHead(const CStringList* other)
{
    if (!other) return;
    std::vector<CString> items;
    for (Node* n = other->m_head; n; n = n->next) items.push_back(n->value);
    for (size_t i = items.size(); i-- > 0;) AddHead(items[i]);
}

CString CStringList::RemoveHead()
{
    if (!m_head) return CString();
    CString v = m_head->value;
    RemoveAt(ToPos(m_head));
    return v;
}

CString CStringList::RemoveTail()
{
    if (!m_tail) return CString();
    CString v = m_tail->value;
    RemoveAt(ToPos(m_tail));
    return v;
}

void CStringList::RemoveAll()
{
    Node* n = m_head;
    while (n) {
        Node* next = n->next;
        delete n;
        n = next;
    }
    m_head = m_tail = nullptr;
    m_count = 0;
}

CString& CStringList::GetNext(POSITION& pos)
{
    Node* n = FromPos(pos);
    pos = ToPos(n->next);
    return n->value;
}

const CString& CStringList::GetNext(POSITION& pos) const
{
    Node* n = FromPos(pos);
    pos = ToPos(n->next);
    return n->value;
}

CString& CStringList::GetPrev(POSITION& pos)
{
    Node* n = FromPos(pos);
    pos = ToPos(n->prev);
    return n->value;
}

const CString& CStringList::GetPrev(POSITION& pos) const
{
    Node* n = FromPos(pos);
    pos = ToPos(n->prev);
    return n->value;
}

void CStringList::RemoveAt(POSITION pos)
{
    Node* n = FromPos(pos);
    if (!n) return;
    if (n->prev) n->prev->next = n->next; else m_head = n->next;
    if (n->next) n->next->prev = n->prev; else m_tail = n->prev;
    delete n;
    --m_count;
}

POSITION CStringList::InsertBefore(POSITION pos, const wchar_t* s)
{
    Node* at = FromPos(pos);
    if (!at) return AddHead(s);
    Node* n = new Node{CString(s), at->prev, at};
    if (at->prev) at->prev->next = n; else m_head = n;
    at->prev = n;
    ++m_count;
    return ToPos(n);
}

POSITION CStringList::InsertAfter(POSITION pos, const wchar_t* s)
{
    Node* at = FromPos(pos);
    if (!at) return AddTail(s);
    Node* n = new Node{CString(s), at, at->next};
    if (at->next) at->next->prev = n; else m_tail = n;
    at->next = n;
    ++m_count;
    return ToPos(n);
}

POSITION CStringList::Find(const wchar_t* s, POSITION startAfter) const
{
    Node* n = startAfter ? FromPos(startAfter)->next : m_head;
    for (; n; n = n->next)
        if (n->value == (s ? s : L"")) return ToPos(n);
    return NULL;
}

POSITION CStringList::FindIndex(INT_PTR index) const
{
    if (index < 0 || index >= m_count) return NULL;
    Node* n = m_head;
    while (index-- > 0) n = n->next;
    return ToPos(n);
}

CString FileNamePart(const CString& path)
{
    const int backslash = path.ReverseFind(L'\\'), slash = path.ReverseFind(L'/');
    return path.Mid((backslash > slash ? backslash : slash) + 1);
}
