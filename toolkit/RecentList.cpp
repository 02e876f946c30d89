// Recent-items lists and their menus.
#include "toolkit/RecentList.h"

#include "framework/App.h"
#include "framework/CmdUI.h"
#include "framework/Menu.h"

#include <shlwapi.h>

CRecentList::CRecentList(LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nCapacity)
    : m_nCapacity(nCapacity < 0 ? 0 : nCapacity), m_strSection(lpszSection), m_strEntryFormat(lpszEntryFormat)
{
}

CRecentList::~CRecentList() {}

void CRecentList::SetCapacity(int nCapacity)
{
    m_nCapacity = nCapacity < 0 ? 0 : nCapacity;
    TrimToCapacity();
}

void CRecentList::SetSection(LPCWSTR lpszSection, LPCWSTR lpszEntryFormat)
{
    m_strSection = lpszSection;
    m_strEntryFormat = lpszEntryFormat;
}

void CRecentList::TrimToCapacity()
{
    if (m_entries.GetSize() > m_nCapacity) m_entries.SetSize(m_nCapacity);
}

CString CRecentList::GetEntryName(int nIndex) const
{
    CString name;
    name.Format(m_strEntryFormat, nIndex + 1);
    return name;
}

BOOL CRecentList::Equals(LPCWSTR a, LPCWSTR b)
{
    return wcscmp(a, b) == 0;
}

void CRecentList::Add(LPCWSTR lpszText)
{
    CString text(lpszText);
    text.Trim();
    if (text.IsEmpty()) return;
    for (INT_PTR i = 0; i < m_entries.GetSize(); ++i) {
        if (Equals(m_entries[i], text)) {
            m_entries.RemoveAt(i);
            break;
        }
    }
    m_entries.InsertAt(0, text);
    TrimToCapacity();
}

void CRecentList::Remove(int nIndex)
{
    if (nIndex >= 0 && nIndex < m_entries.GetSize()) m_entries.RemoveAt(nIndex);
}

void CRecentList::Load()
{
    CWinApp* app = AfxGetApp();
    if (!app || m_strSection.IsEmpty() || m_strEntryFormat.IsEmpty()) return;
    m_entries.RemoveAll();
    for (int i = 0; i < m_nCapacity; ++i) {
        CString value = app->GetProfileString(m_strSection, GetEntryName(i), L"");
        value.Trim();
        if (!value.IsEmpty()) m_entries.Add(value);
    }
    TrimToCapacity();
}

void CRecentList::Save()
{
    CWinApp* app = AfxGetApp();
    if (!app || m_strSection.IsEmpty() || m_strEntryFormat.IsEmpty()) return;
    app->WriteProfileString(m_strSection, NULL, NULL);
    for (int i = 0; i < GetCount(); ++i) app->WriteProfileString(m_strSection, GetEntryName(i), m_entries[i]);
}

// ---- menu lists

CRecentMenuList::CRecentMenuList(LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nCapacity)
    : CRecentList(lpszSection, lpszEntryFormat, nCapacity)
{
}

BOOL CRecentMenuList::Equals(LPCWSTR a, LPCWSTR b)
{
    return ::CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

CString CRecentMenuList::GetMenuText(int nIndex) const
{
    CString label = m_bFullPath ? m_entries[nIndex] : CString(::PathFindFileNameW(m_entries[nIndex]));
    // A path such as "Tom & Jerry" would otherwise lose its '&' to a mnemonic underline.
    label.Replace(L"&", L"&&");
    return label;
}

int CRecentMenuList::UpdateMenu(CCmdUI* pCmdUI, int nPosition)
{
    // Asked through the first command of an item's popup, the list fills that popup from its top;
    // the update's index then belongs to the outer menu and stays as it is.
    const BOOL inSubMenu = pCmdUI->m_pSubMenu != NULL;
    CMenu* menu = inSubMenu ? pCmdUI->m_pSubMenu : pCmdUI->m_pMenu;
    if (!menu || !menu->GetSafeHmenu()) return -1;
    const UINT first = pCmdUI->m_nID;
    if (!m_bEmptyMenuTextRead) {
        menu->GetMenuString(first, m_strEmptyMenuText, MF_BYCOMMAND);
        m_bEmptyMenuTextRead = TRUE;
    }

    const int count = GetCount();
    if (count == 0) {
        for (int i = 1; i < m_nCapacity; ++i) menu->DeleteMenu(first + i, MF_BYCOMMAND);
        menu->ModifyMenu(first, MF_BYCOMMAND | MF_STRING, first, m_strEmptyMenuText);
        menu->EnableMenuItem(first, MF_BYCOMMAND | MF_GRAYED);
        if (!inSubMenu) pCmdUI->m_nIndexMax = menu->GetMenuItemCount();
        pCmdUI->m_bEnableChanged = TRUE;
        return 0;
    }

    for (int i = 0; i < m_nCapacity; ++i) menu->DeleteMenu(first + i, MF_BYCOMMAND);
    const int position = nPosition != -1 ? nPosition : inSubMenu ? 0 : (int)pCmdUI->m_nIndex;
    for (int i = 0; i < count; ++i)
        menu->InsertMenu(position + i, MF_BYPOSITION | MF_STRING, first + i, GetMenuText(i));
    pCmdUI->m_bEnableChanged = TRUE;
    if (inSubMenu) return count;
    // The framework goes on after the last inserted item, which is already up to date.
    pCmdUI->m_nIndex = position + count - 1;
    pCmdUI->m_nID = first + count - 1;
    pCmdUI->m_nIndexMax = menu->GetMenuItemCount();
    return count;
}
