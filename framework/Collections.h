// Growable arrays with the class-library interface (CArray, CPtrArray, CTypedPtrArray), an owning
// pointer array that deletes its elements, and an ordered CMap.
#pragma once

#include "framework/String.h"

#include <map>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    CArray() {}
    virtual ~CArray() {}

    INT_PTR GetSize() const { return (INT_PTR)m_a.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_a.size(); }
    INT_PTR GetUpperBound() const { return (INT_PTR)m_a.size() - 1; }
    bool IsEmpty() const { return m_a.empty(); }
    void SetSize(INT_PTR n, INT_PTR growBy = -1) { (void)growBy; m_a.resize(n > 0 ? (size_t)n : 0); }
    void FreeExtra() { m_a.shrink_to_fit(); }

    const TYPE& GetAt(INT_PTR i) const { return m_a[(size_t)i]; }
    TYPE& GetAt(INT_PTR i) { return m_a[(size_t)i]; }
    void SetAt(INT_PTR i, ARG_TYPE v) { m_a[(size_t)i] = v; }
    TYPE& ElementAt(INT_PTR i) { return m_a[(size_t)i]; }
    const TYPE& ElementAt(INT_PTR i) const { return m_a[(size_t)i]; }
    TYPE& operator[](INT_PTR i) { return m_a[(size_t)i]; }
    const TYPE& operator[](INT_PTR i) const { return m_a[(size_t)i]; }
    TYPE* GetData() { return m_a.empty() ? nullptr : m_a.data(); }
    const TYPE* GetData() const { return m_a.empty() ? nullptr : m_a.data(); }

    INT_PTR Add(ARG_TYPE v) { m_a.push_back(v); return (INT_PTR)m_a.size() - 1; }
    void SetAtGrow(INT_PTR i, ARG_TYPE v) {
        if (i >= GetSize()) SetSize(i + 1);
        m_a[(size_t)i] = v;
    }
    // Inserting past the end grows the array first, as the class library does.
    void InsertAt(INT_PTR i, ARG_TYPE v, INT_PTR count = 1) {
        if (count <= 0) return;
        if (i < 0) i = 0;
        TYPE copy(v);
        if (i > GetSize()) SetSize(i);
        m_a.insert(m_a.begin() + i, (size_t)count, copy);
    }
    void InsertAt(INT_PTR start, const CArray* src) {
        if (!src || src->IsEmpty()) return;
        if (start > GetSize()) SetSize(start);
        std::vector<TYPE> copy = src->m_a;
        m_a.insert(m_a.begin() + start, copy.begin(), copy.end());
    }
    void RemoveAt(INT_PTR i, INT_PTR count = 1) {
        if (i < 0 || count <= 0 || i >= GetSize()) return;
        if (i + count > GetSize()) count = GetSize() - i;
        m_a.erase(m_a.begin() + i, m_a.begin() + i + count);
    }
    void RemoveAll() { m_a.clear(); }
    INT_PTR Append(const CArray& src) {
        INT_PTR first = GetSize();
        std::vector<TYPE> copy = src.m_a;
        m_a.insert(m_a.end(), copy.begin(), copy.end());
        return first;
    }
    void Copy(const CArray& src) { if (&src != this) m_a = src.m_a; }

    CArray(const CArray& other) : m_a(other.m_a) {}
    CArray& operator=(const CArray& other) { m_a = other.m_a; return *this; }

protected:
    std::vector<TYPE> m_a;
};

class CPtrArray : public CArray<void*, void*> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CUIntArray : public CArray<UINT, UINT> {};
class CWordArray : public CArray<WORD, WORD> {};
class CByteArray : public CArray<BYTE, BYTE> {};

// A pointer array that hands out TYPE (a pointer type) instead of void*; it owns nothing.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS {
public:
    TYPE GetAt(INT_PTR i) const { return (TYPE)BASE_CLASS::GetAt(i); }
    TYPE& ElementAt(INT_PTR i) { return (TYPE&)BASE_CLASS::ElementAt(i); }
    void SetAt(INT_PTR i, TYPE p) { BASE_CLASS::SetAt(i, p); }
    void SetAtGrow(INT_PTR i, TYPE p) { BASE_CLASS::SetAtGrow(i, p); }
    INT_PTR Add(TYPE p) { return BASE_CLASS::Add(p); }
    void InsertAt(INT_PTR i, TYPE p, INT_PTR count = 1) { BASE_CLASS::InsertAt(i, p, count); }
    TYPE& operator[](INT_PTR i) { return (TYPE&)BASE_CLASS::ElementAt(i); }
    TYPE operator[](INT_PTR i) const { return (TYPE)BASE_CLASS::GetAt(i); }
    TYPE* GetData() { return (TYPE*)BASE_CLASS::GetData(); }
};

// An array of T* that owns its elements: RemoveAt, RemoveAll, SetAt and destruction delete them;
// Detach takes one out without deleting it.
template <class T>
class COwningPtrArray {
public:
    COwningPtrArray() {}
    ~COwningPtrArray() { RemoveAll(); }
    COwningPtrArray(const COwningPtrArray&) = delete;
    COwningPtrArray& operator=(const COwningPtrArray&) = delete;
    COwningPtrArray(COwningPtrArray&& other) noexcept { m_a.swap(other.m_a); }
    COwningPtrArray& operator=(COwningPtrArray&& other) noexcept {
        if (&other != this) { RemoveAll(); m_a.swap(other.m_a); }
        return *this;
    }

    INT_PTR GetSize() const { return (INT_PTR)m_a.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_a.size(); }
    INT_PTR GetUpperBound() const { return (INT_PTR)m_a.size() - 1; }
    bool IsEmpty() const { return m_a.empty(); }

    T* GetAt(INT_PTR i) const { return m_a[(size_t)i]; }
    T* operator[](INT_PTR i) const { return m_a[(size_t)i]; }
    T* const* GetData() const { return m_a.empty() ? nullptr : m_a.data(); }

    // The array takes ownership of p.
    INT_PTR Add(T* p) { m_a.push_back(p); return (INT_PTR)m_a.size() - 1; }
    void InsertAt(INT_PTR i, T* p) {
        if (i < 0) i = 0;
        if (i > GetSize()) i = GetSize();
        m_a.insert(m_a.begin() + i, p);
    }
    // Replaces (and deletes) the element at i.
    void SetAt(INT_PTR i, T* p) {
        T* old = m_a[(size_t)i];
        m_a[(size_t)i] = p;
        if (old != p) delete old;
    }
    void RemoveAt(INT_PTR i, INT_PTR count = 1) {
        if (i < 0 || count <= 0 || i >= GetSize()) return;
        if (i + count > GetSize()) count = GetSize() - i;
        std::vector<T*> gone(m_a.begin() + i, m_a.begin() + i + count);
        m_a.erase(m_a.begin() + i, m_a.begin() + i + count);
        for (T* p : gone) delete p;
    }
    void RemoveAll() {
        std::vector<T*> gone;
        gone.swap(m_a);
        for (T* p : gone) delete p;
    }
    // Removes the element at i without deleting it; the caller owns the result.
    T* Detach(INT_PTR i) {
        if (i < 0 || i >= GetSize()) return nullptr;
        T* p = m_a[(size_t)i];
        m_a.erase(m_a.begin() + i);
        return p;
    }
    // Removes p (when present) without deleting it; returns whether it was found.
    bool DetachPtr(T* p) {
        INT_PTR i = Find(p);
        if (i < 0) return false;
        m_a.erase(m_a.begin() + i);
        return true;
    }
    INT_PTR Find(const T* p) const {
        for (size_t i = 0; i < m_a.size(); ++i) if (m_a[i] == p) return (INT_PTR)i;
        return -1;
    }
    void Swap(INT_PTR a, INT_PTR b) { std::swap(m_a[(size_t)a], m_a[(size_t)b]); }

private:
    std::vector<T*> m_a;
};

// A map with the class-library interface; ordered by KEY's operator< rather than hashed.
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap {
public:
    INT_PTR GetCount() const { return (INT_PTR)m_m.size(); }
    INT_PTR GetSize() const { return (INT_PTR)m_m.size(); }
    bool IsEmpty() const { return m_m.empty(); }

    BOOL Lookup(ARG_KEY key, VALUE& value) const {
        auto it = m_m.find(KEY(key));
        if (it == m_m.end()) return FALSE;
        value = it->second;
        return TRUE;
    }
    VALUE& operator[](ARG_KEY key) { return m_m[KEY(key)]; }
    void SetAt(ARG_KEY key, ARG_VALUE value) { m_m[KEY(key)] = value; }
    BOOL RemoveKey(ARG_KEY key) { return m_m.erase(KEY(key)) ? TRUE : FALSE; }
    void RemoveAll() { m_m.clear(); }

    POSITION GetStartPosition() const {
        return m_m.empty() ? NULL : ToPos(&*m_m.begin());
    }
    void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const {
        const Entry* e = reinterpret_cast<const Entry*>(pos);
        key = e->first;
        value = e->second;
        auto it = m_m.find(e->first);
        ++it;
        pos = it == m_m.end() ? NULL : ToPos(&*it);
    }

private:
    typedef std::pair<const KEY, VALUE> Entry;
    static POSITION ToPos(const Entry* e) { return reinterpret_cast<POSITION>(const_cast<Entry*>(e)); }
    std::map<KEY, VALUE> m_m;
};
