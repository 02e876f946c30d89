// Most-recently-used lists of texts (file paths, playlists, folders) kept in the program's profile
// and shown as menu items.
#pragma once

#include "framework/String.h"

class CCmdUI;

class CRecentList {
public:
    // The section and the value-name format ("%02d": value names from the 1-based entry number)
    // say where the list lives; a list with either empty neither loads nor saves.
    CRecentList(LPCWSTR lpszSection = L"", LPCWSTR lpszEntryFormat = L"%02d", int nCapacity = 10);
    virtual ~CRecentList();

    // Trims the text and puts it at the front; an equal entry moves there instead of staying
    // twice; entries beyond the capacity fall off the end. Empty texts are ignored.
    virtual void Add(LPCWSTR lpszText);
    // Out of range does nothing.
    virtual void Remove(int nIndex);
    // Replaces the entries by what the profile holds (trimmed, empty values skipped, at most the
    // capacity).
    virtual void Load();
    // Rewrites the whole section: values of entries no longer in the list are removed.
    virtual void Save();
    // Exact comparison; path lists ignore case.
    virtual BOOL Equals(LPCWSTR a, LPCWSTR b);

    int GetCount() const { return (int)m_entries.GetSize(); }
    const CString& GetAt(int nIndex) const { return m_entries.GetAt(nIndex); }
    const CString& operator[](int nIndex) const { return m_entries.GetAt(nIndex); }
    void RemoveAll() { m_entries.RemoveAll(); }
    int GetCapacity() const { return m_nCapacity; }
    // Entries beyond a smaller capacity are dropped.
    void SetCapacity(int nCapacity);
    void SetSection(LPCWSTR lpszSection, LPCWSTR lpszEntryFormat);
    const CString& GetSection() const { return m_strSection; }
    // The value name of the 0-based entry.
    CString GetEntryName(int nIndex) const;

protected:
    CStringArray m_entries;
    int m_nCapacity;
    CString m_strSection;
    CString m_strEntryFormat;

    void TrimToCapacity();
};

class CRecentMenuList : public CRecentList {
public:
    CRecentMenuList(LPCWSTR lpszSection = L"", LPCWSTR lpszEntryFormat = L"%02d", int nCapacity = 10);

    BOOL Equals(LPCWSTR a, LPCWSTR b) override;
    // Called by the update handler of the list's first command id: the entries replace the menu
    // items with ids first .. first + capacity - 1, from nPosition (-1: the item being updated)
    // on, with ids first + entry number. Without entries one disabled item with the menu's
    // original text stays. Moves the update past the inserted items; returns the number of
    // entries, or -1 when pCmdUI belongs to no menu.
    virtual int UpdateMenu(CCmdUI* pCmdUI, int nPosition = -1);

    // 1: labels show the whole text; 0: only the file name.
    void SetFullPath(BOOL bFullPath) { m_bFullPath = bFullPath; }
    BOOL IsFullPath() const { return m_bFullPath; }
    // The menu label of an entry ('&' doubled so the text shows as it is).
    CString GetMenuText(int nIndex) const;

protected:
    BOOL m_bFullPath = TRUE;
    CString m_strEmptyMenuText;
    BOOL m_bEmptyMenuTextRead = FALSE;
};
