// CString (UTF-16) and CStringA (narrow) with the familiar class-library interface, plus the
// string array and string list; formatting follows the Microsoft printf rules (%s wide, %S narrow).
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <string>
#include <vector>

// A list position: an opaque pointer, null past the end.
struct FwListPosition;
typedef FwListPosition* POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)

// The module whose string table LoadString reads (the program's own module unless set).
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);

class CString;
class CStringA;

namespace detail {

// The per-character-type primitives the shared string core needs.
template <class T> struct StringTraits;

template <> struct StringTraits<wchar_t> {
    static int Length(const wchar_t* p);
    static int Compare(const wchar_t* a, const wchar_t* b);
    static int CompareNoCase(const wchar_t* a, const wchar_t* b);
    static int Collate(const wchar_t* a, const wchar_t* b);
    static bool IsSpace(wchar_t c);
    static void Lower(wchar_t* p, int n);
    static void Upper(wchar_t* p, int n);
    static int FormatLength(const wchar_t* fmt, va_list args);
    static int FormatInto(wchar_t* buf, size_t count, const wchar_t* fmt, va_list args);
};

template <> struct StringTraits<char> {
    static int Length(const char* p);
    static int Compare(const char* a, const char* b);
    static int CompareNoCase(const char* a, const char* b);
    static int Collate(const char* a, const char* b);
    static bool IsSpace(char c);
    static void Lower(char* p, int n);
    static void Upper(char* p, int n);
    static int FormatLength(const char* fmt, va_list args);
    static int FormatInto(char* buf, size_t count, const char* fmt, va_list args);
};

std::wstring Widen(const char* p, int n = -1, UINT codePage = CP_ACP);
std::string Narrow(const wchar_t* p, int n = -1, UINT codePage = CP_ACP);

// The operations CString and CStringA share; D is the concrete string class returned by value.
template <class T, class D>
class CStringCore {
public:
    typedef T XCHAR;
    typedef T* PXSTR;
    typedef const T* PCXSTR;
    typedef StringTraits<T> Traits;

    int GetLength() const { return (int)m_s.size(); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    const T* GetString() const { return m_s.c_str(); }
    operator const T*() const { return m_s.c_str(); }

    T GetAt(int i) const { return (i >= 0 && i < GetLength()) ? m_s[i] : T(0); }
    void SetAt(int i, T ch) { if (i >= 0 && i < GetLength()) m_s[i] = ch; }
    T operator[](int i) const { return GetAt(i); }

    // Direct access to the storage (std::wstring or std::string) for code that needs it.
    const std::basic_string<T>& str() const { return m_s; }

    D& operator+=(const D& s) { m_s += s.m_s; return Self(); }
    D& operator+=(const T* p) { if (p) m_s += p; return Self(); }
    D& operator+=(T ch) { m_s += ch; return Self(); }
    void Append(const T* p) { if (p) m_s += p; }
    void Append(const T* p, int n) { if (p && n > 0) m_s.append(p, n); }
    void AppendChar(T ch) { m_s += ch; }

    int Compare(const T* p) const { return Traits::Compare(GetString(), p ? p : Nul()); }
    int CompareNoCase(const T* p) const { return Traits::CompareNoCase(GetString(), p ? p : Nul()); }
    int Collate(const T* p) const { return Traits::Collate(GetString(), p ? p : Nul()); }

    D Left(int n) const { return Make(0, n); }
    D Mid(int first) const { return Mid(first, GetLength()); }
    D Mid(int first, int count) const {
        if (first < 0) first = 0;
        return Make(first, count);
    }
    D Right(int n) const {
        if (n < 0) n = 0;
        if (n > GetLength()) n = GetLength();
        return Make(GetLength() - n, n);
    }

    int Find(T ch, int start = 0) const {
        if (start < 0 || start >= GetLength()) return -1;
        size_t pos = m_s.find(ch, (size_t)start);
        return pos == std::basic_string<T>::npos ? -1 : (int)pos;
    }
    int Find(const T* sub, int start = 0) const {
        if (!sub || start < 0 || start > GetLength()) return -1;
        size_t pos = m_s.find(sub, (size_t)start);
        return pos == std::basic_string<T>::npos ? -1 : (int)pos;
    }
    int ReverseFind(T ch) const {
        size_t pos = m_s.rfind(ch);
        return pos == std::basic_string<T>::npos ? -1 : (int)pos;
    }
    int FindOneOf(const T* set) const {
        if (!set || !*set) return -1;
        size_t pos = m_s.find_first_of(set);
        return pos == std::basic_string<T>::npos ? -1 : (int)pos;
    }

    int Replace(T oldCh, T newCh) {
        int n = 0;
        for (auto& c : m_s) if (c == oldCh) { c = newCh; ++n; }
        return n;
    }
    int Replace(const T* oldStr, const T* newStr) {
        int oldLen = oldStr ? Traits::Length(oldStr) : 0;
        if (oldLen == 0) return 0;
        std::basic_string<T> with = newStr ? newStr : Nul();
        std::basic_string<T> out;
        int n = 0;
        size_t from = 0;
        for (;;) {
            size_t pos = m_s.find(oldStr, from, oldLen);
            if (pos == std::basic_string<T>::npos) break;
            out.append(m_s, from, pos - from);
            out += with;
            from = pos + oldLen;
            ++n;
        }
        if (n) { out.append(m_s, from, std::basic_string<T>::npos); m_s.swap(out); }
        return n;
    }
    int Remove(T ch) {
        int n = 0;
        std::basic_string<T> out;
        for (T c : m_s) { if (c == ch) ++n; else out += c; }
        m_s.swap(out);
        return n;
    }
    int Insert(int index, T ch) {
        m_s.insert((size_t)ClampIndex(index), 1, ch);
        return GetLength();
    }
    int Insert(int index, const T* p) {
        if (p) m_s.insert((size_t)ClampIndex(index), p);
        return GetLength();
    }
    int Delete(int index, int count = 1) {
        if (index < 0) index = 0;
        if (count > 0 && index < GetLength()) m_s.erase((size_t)index, (size_t)count);
        return GetLength();
    }
    void Truncate(int n) { if (n >= 0 && n < GetLength()) m_s.resize((size_t)n); }

    D& TrimRight() {
        size_t n = m_s.size();
        while (n > 0 && Traits::IsSpace(m_s[n - 1])) --n;
        m_s.resize(n);
        return Self();
    }
    D& TrimLeft() {
        size_t n = 0;
        while (n < m_s.size() && Traits::IsSpace(m_s[n])) ++n;
        m_s.erase(0, n);
        return Self();
    }
    D& Trim() { TrimRight(); return TrimLeft(); }
    D& TrimRight(T ch) {
        size_t n = m_s.size();
        while (n > 0 && m_s[n - 1] == ch) --n;
        m_s.resize(n);
        return Self();
    }
    D& TrimLeft(T ch) {
        size_t n = 0;
        while (n < m_s.size() && m_s[n] == ch) ++n;
        m_s.erase(0, n);
        return Self();
    }
    D& Trim(T ch) { TrimRight(ch); return TrimLeft(ch); }
    D& TrimRight(const T* set) {
        if (!set || !*set) return Self();
        size_t pos = m_s.find_last_not_of(set);
        m_s.resize(pos == std::basic_string<T>::npos ? 0 : pos + 1);
        return Self();
    }
    D& TrimLeft(const T* set) {
        if (!set || !*set) return Self();
        size_t pos = m_s.find_first_not_of(set);
        m_s.erase(0, pos == std::basic_string<T>::npos ? m_s.size() : pos);
        return Self();
    }
    D& Trim(const T* set) { TrimRight(set); return TrimLeft(set); }

    D& MakeLower() { if (!m_s.empty()) Traits::Lower(&m_s[0], GetLength()); return Self(); }
    D& MakeUpper() { if (!m_s.empty()) Traits::Upper(&m_s[0], GetLength()); return Self(); }
    D& MakeReverse() { std::basic_string<T>(m_s.rbegin(), m_s.rend()).swap(m_s); return Self(); }

    // The next token after 'start', skipping leading delimiters; start becomes -1 past the end.
    D Tokenize(const T* delims, int& start) const {
        if (!delims) delims = Nul();
        if (start >= 0 && start < GetLength()) {
            size_t from = m_s.find_first_not_of(delims, (size_t)start);
            if (from != std::basic_string<T>::npos) {
                size_t end = m_s.find_first_of(delims, from);
                if (end == std::basic_string<T>::npos) end = m_s.size();
                start = (int)end + 1;
                return Make((int)from, (int)(end - from));
            }
        }
        start = -1;
        return D();
    }
    D SpanIncluding(const T* set) const {
        if (!set || !*set) return D();
        size_t pos = m_s.find_first_not_of(set);
        return Left(pos == std::basic_string<T>::npos ? GetLength() : (int)pos);
    }
    D SpanExcluding(const T* set) const {
        if (!set || !*set) return Self();
        size_t pos = m_s.find_first_of(set);
        return Left(pos == std::basic_string<T>::npos ? GetLength() : (int)pos);
    }

    // A writable buffer of at least n characters (plus the terminator); ReleaseBuffer ends it.
    T* GetBuffer(int n = 0) {
        if (n > GetLength()) m_s.resize((size_t)n);
        return &m_s[0];
    }
    T* GetBufferSetLength(int n) {
        m_s.resize(n > 0 ? (size_t)n : 0);
        return &m_s[0];
    }
    void ReleaseBuffer(int n = -1) {
        if (n < 0) {
            size_t len = 0;
            while (len < m_s.size() && m_s[len]) ++len;
            n = (int)len;
        }
        if ((size_t)n > m_s.size()) n = GetLength();
        m_s.resize((size_t)n);
    }
    void ReleaseBufferSetLength(int n) { ReleaseBuffer(n); }
    void Preallocate(int n) { if (n > 0) m_s.reserve((size_t)n); }

    void FormatV(const T* fmt, va_list args) {
        m_s.clear();
        AppendFormatV(fmt, args);
    }
    void Format(const T* fmt, ...) {
        va_list args;
        va_start(args, fmt);
        FormatV(fmt, args);
        va_end(args);
    }
    void AppendFormat(const T* fmt, ...) {
        va_list args;
        va_start(args, fmt);
        AppendFormatV(fmt, args);
        va_end(args);
    }
    void AppendFormatV(const T* fmt, va_list args) {
        if (!fmt) return;
        va_list probe;
        va_copy(probe, args);
        int need = Traits::FormatLength(fmt, probe);
        va_end(probe);
        size_t cap = need >= 0 ? (size_t)need + 1 : 256;
        // msvcrt gives -1 when the buffer is short; grow until the text fits.
        for (int tries = 0; tries < 24; ++tries) {
            std::basic_string<T> buf(cap, T(0));
            va_list pass;
            va_copy(pass, args);
            int n = Traits::FormatInto(&buf[0], cap, fmt, pass);
            va_end(pass);
            if (n >= 0 && (size_t)n < cap) {
                m_s.append(buf.c_str(), (size_t)n);
                return;
            }
            cap *= 2;
        }
    }

    friend D operator+(const D& a, const D& b) { D r(a); r += b; return r; }
    friend D operator+(const D& a, const T* b) { D r(a); r += b; return r; }
    friend D operator+(const T* a, const D& b) { D r(a); r += b; return r; }
    friend D operator+(const D& a, T b) { D r(a); r += b; return r; }
    friend D operator+(T a, const D& b) { D r; r += a; r += b; return r; }

    friend bool operator==(const D& a, const D& b) { return a.m_s == b.m_s; }
    friend bool operator==(const D& a, const T* b) { return a.Compare(b) == 0; }
    friend bool operator==(const T* a, const D& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const D& a, const D& b) { return a.m_s != b.m_s; }
    friend bool operator!=(const D& a, const T* b) { return a.Compare(b) != 0; }
    friend bool operator!=(const T* a, const D& b) { return b.Compare(a) != 0; }
    friend bool operator<(const D& a, const D& b) { return a.Compare(b) < 0; }
    friend bool operator<(const D& a, const T* b) { return a.Compare(b) < 0; }
    friend bool operator<(const T* a, const D& b) { return b.Compare(a) > 0; }
    friend bool operator>(const D& a, const D& b) { return a.Compare(b) > 0; }
    friend bool operator<=(const D& a, const D& b) { return a.Compare(b) <= 0; }
    friend bool operator>=(const D& a, const D& b) { return a.Compare(b) >= 0; }

protected:
    CStringCore() {}
    void AssignRaw(const T* p) { if (p) m_s.assign(p); else m_s.clear(); }
    void AssignRaw(const T* p, int n) { if (p && n > 0) m_s.assign(p, (size_t)n); else m_s.clear(); }

    std::basic_string<T> m_s;

private:
    static const T* Nul() { static const T z = 0; return &z; }
    D& Self() { return static_cast<D&>(*this); }
    const D& Self() const { return static_cast<const D&>(*this); }
    int ClampIndex(int i) const { return i < 0 ? 0 : (i > GetLength() ? GetLength() : i); }
    D Make(int first, int count) const {
        D r;
        if (count > 0 && first < GetLength()) r.m_s.assign(m_s, (size_t)first, (size_t)count);
        return r;
    }
};

} // namespace detail

class CString : public detail::CStringCore<wchar_t, CString> {
public:
    CString() {}
    CString(const CString& s) { m_s = s.m_s; }
    CString(CString&& s) noexcept { m_s.swap(s.m_s); }
    // A resource id made with MAKEINTRESOURCE loads the string from the string table.
    CString(const wchar_t* p);
    CString(const wchar_t* p, int n) { AssignRaw(p, n); }
    CString(const char* p);
    CString(const char* p, int n) { m_s = detail::Widen(p, n); }
    CString(const unsigned char* p) : CString((const char*)p) {}
    explicit CString(wchar_t ch, int repeat = 1) { if (repeat > 0) m_s.assign((size_t)repeat, ch); }
    explicit CString(const CStringA& s);
    explicit CString(const std::wstring& s) { m_s = s; }

    CString& operator=(const CString& s) { m_s = s.m_s; return *this; }
    CString& operator=(CString&& s) noexcept { m_s.swap(s.m_s); return *this; }
    CString& operator=(const wchar_t* p) { AssignRaw(p); return *this; }
    CString& operator=(const char* p) { m_s = detail::Widen(p); return *this; }
    CString& operator=(wchar_t ch) { m_s.assign(1, ch); return *this; }
    CString& operator=(const CStringA& s);

    using CStringCore::operator+=;
    CString& operator+=(const char* p) { m_s += detail::Widen(p); return *this; }

    using CStringCore::Format;
    void Format(UINT formatId, ...);

    BOOL LoadString(UINT id);
    BOOL LoadString(HINSTANCE hInstance, UINT id);

    // A BSTR copy the caller frees with SysFreeString.
    BSTR AllocSysString() const;
};

class CStringA : public detail::CStringCore<char, CStringA> {
public:
    CStringA() {}
    CStringA(const CStringA& s) { m_s = s.m_s; }
    CStringA(CStringA&& s) noexcept { m_s.swap(s.m_s); }
    CStringA(const char* p) { AssignRaw(p); }
    CStringA(const char* p, int n) { AssignRaw(p, n); }
    CStringA(const unsigned char* p) { AssignRaw((const char*)p); }
    CStringA(const wchar_t* p) { m_s = detail::Narrow(p); }
    CStringA(const wchar_t* p, int n) { m_s = detail::Narrow(p, n); }
    explicit CStringA(char ch, int repeat = 1) { if (repeat > 0) m_s.assign((size_t)repeat, ch); }
    explicit CStringA(const CString& s) { m_s = detail::Narrow(s.GetString(), s.GetLength()); }
    explicit CStringA(const std::string& s) { m_s = s; }

    CStringA& operator=(const CStringA& s) { m_s = s.m_s; return *this; }
    CStringA& operator=(CStringA&& s) noexcept { m_s.swap(s.m_s); return *this; }
    CStringA& operator=(const char* p) { AssignRaw(p); return *this; }
    CStringA& operator=(const wchar_t* p) { m_s = detail::Narrow(p); return *this; }
    CStringA& operator=(char ch) { m_s.assign(1, ch); return *this; }
    CStringA& operator=(const CString& s) { m_s = detail::Narrow(s.GetString(), s.GetLength()); return *this; }
};

inline CString::CString(const CStringA& s) { m_s = detail::Widen(s.GetString(), s.GetLength()); }
inline CString& CString::operator=(const CStringA& s) { m_s = detail::Widen(s.GetString(), s.GetLength()); return *this; }

typedef CString CStringW;

// The last part of a path, after its last '\' or '/': "C:\a\b.txt" gives "b.txt"; a path with
// neither is its own name.
CString FileNamePart(const CString& path);

// An array of strings with the class-library array interface.
class CStringArray {
public:
    CStringArray() {}
    INT_PTR GetSize() const { return (INT_PTR)m_a.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_a.size(); }
    INT_PTR GetUpperBound() const { return (INT_PTR)m_a.size() - 1; }
    bool IsEmpty() const { return m_a.empty(); }
    void SetSize(INT_PTR n, INT_PTR growBy = -1) { (void)growBy; m_a.resize(n > 0 ? (size_t)n : 0); }
    void FreeExtra() { m_a.shrink_to_fit(); }

    const CString& GetAt(INT_PTR i) const { return m_a[(size_t)i]; }
    void SetAt(INT_PTR i, const wchar_t* s) { m_a[(size_t)i] = s; }
    CString& ElementAt(INT_PTR i) { return m_a[(size_t)i]; }
    CString& operator[](INT_PTR i) { return m_a[(size_t)i]; }
    const CString& operator[](INT_PTR i) const { return m_a[(size_t)i]; }
    CString* GetData() { return m_a.empty() ? nullptr : &m_a[0]; }
    const CString* GetData() const { return m_a.empty() ? nullptr : &m_a[0]; }

    INT_PTR Add(const CString& s) { m_a.push_back(s); return (INT_PTR)m_a.size() - 1; }
    INT_PTR Add(const wchar_t* s) { m_a.push_back(CString(s)); return (INT_PTR)m_a.size() - 1; }
    void SetAtGrow(INT_PTR i, const wchar_t* s) {
        if (i >= GetSize()) SetSize(i + 1);
        m_a[(size_t)i] = s;
    }
    void InsertAt(INT_PTR i, const wchar_t* s, INT_PTR count = 1);
    void RemoveAt(INT_PTR i, INT_PTR count = 1);
    void RemoveAll() { m_a.clear(); }
    INT_PTR Append(const CStringArray& src);
    void Copy(const CStringArray& src) { if (&src != this) m_a = src.m_a; }

private:
    std::vector<CString> m_a;
};

// A doubly linked list of strings addressed by POSITION.
class CStringList {
public:
    CStringList() {}
    CStringList(const CStringList& other);
    CStringList& operator=(const CStringList& other);
    ~CStringList() { RemoveAll(); }

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    CString& GetHead() { return m_head->value; }
    const CString& GetHead() const { return m_head->value; }
    CString& GetTail() { return m_tail->value; }
    const CString& GetTail() const { return m_tail->value; }

    POSITION AddHead(const wchar_t* s);
    POSITION AddTail(const wchar_t* s);
    POSITION AddHead(const CString& s) { return AddHead(s.GetString()); }
    POSITION AddTail(const CString& s) { return AddTail(s.GetString()); }
    void AddTail(const CStringList* other);
    void AddHead(const CStringList* other);
    CString RemoveHead();
    CString RemoveTail();
    void RemoveAll();

    POSITION GetHeadPosition() const { return ToPos(m_head); }
    POSITION GetTailPosition() const { return ToPos(m_tail); }
    CString& GetNext(POSITION& pos);
    const CString& GetNext(POSITION& pos) const;
    CString& GetPrev(POSITION& pos);
    const CString& GetPrev(POSITION& pos) const;
    CString& GetAt(POSITION pos) { return FromPos(pos)->value; }
    const CString& GetAt(POSITION pos) const { return FromPos(pos)->value; }
    void SetAt(POSITION pos, const wchar_t* s) { FromPos(pos)->value = s; }
    void RemoveAt(POSITION pos);
    POSITION InsertBefore(POSITION pos, const wchar_t* s);
    POSITION InsertAfter(POSITION pos, const wchar_t* s);
    // Case-sensitive search after 'startAfter' (from the head when null).
    POSITION Find(const wchar_t* s, POSITION startAfter = NULL) const;
    POSITION FindIndex(INT_PTR index) const;

private:
    struct Node {
        CString value;
        Node* prev;
        Node* next;
    };
    static POSITION ToPos(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* FromPos(POSITION p) { return reinterpret_cast<Node*>(p); }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    INT_PTR m_count = 0;
};
