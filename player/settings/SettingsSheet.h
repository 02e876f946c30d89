// CSettingsSheet: the player's "Settings" sheet with its pages "General", "File Associations" and
// "History". Each page copies the settings when it opens and writes them back when OK applies it;
// a page that was never shown changes nothing.
#pragma once

#include <memory>
#include <vector>

#include "framework/framework.h"
#include "player/settings/FileTypeAssoc.h"
#include "toolkit/OEPropertySheet.h"

class CSettingsPage1 : public CPropertyPage {
public:
    CSettingsPage1();

    int loadLastPlaylist = 0;
    int allowDuplicates = 0;
    int alwaysShowControlBar = 0;
    int rememberLastPos = 0;
    int resumeInterrupted = 0;
    int autoCheckUpdate = 0;
    // Whether the Explorer context-menu extension is registered.
    int explorerMenu = 0;
    int thumbnailWidth = 0;
    int thumbnailHeight = 0;

    // The eight settings, then the context-menu extension switched to the check box's state.
    BOOL OnApply() override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

class CSettingsPage2 : public CPropertyPage {
public:
    CSettingsPage2();

    // Rows in order: the association object of each (owned by the page) and its check.
    int GetRowCount() const;
    CFileTypeAssoc* GetRowType(int row) const;
    BOOL IsRowChecked(int row) const;
    void SetRowChecked(int row, BOOL bChecked);
    CListCtrl& GetList() { return m_list; }

    // "Add...": the File Type dialog asks for the type; with OK and a usable extension and name a
    // checked row is appended (an extension already listed is checked and selected instead).
    void OnAddFileType();
    // "Delete": the selected row's association is undone, with the owner it had before restored,
    // and the row goes.
    void OnDeleteFileType();

    // The settings' file-type table becomes the rows, in order: checked rows are associated with
    // this program (the owner before it kept as "Backup"), unchecked ones are given back.
    BOOL OnApply() override;

    // The File Type dialog's answer as a row would take it: the extension with its leading dot,
    // or an empty text when the entry is no usable type (empty, only a dot, blanks or a backslash).
    static CString NormalizeExtension(const CString& extension);

protected:
    BOOL OnInitDialog() override;

    int AppendRow(std::unique_ptr<CFileTypeAssoc> type, BOOL bChecked);
    int FindRow(const CString& extension) const;

    CImageList m_images;
    CListCtrl m_list;
    std::vector<std::unique_ptr<CFileTypeAssoc>> m_types;
    DECLARE_MESSAGE_MAP()
};

class CSettingsPage3 : public CPropertyPage {
public:
    CSettingsPage3();

    int saveRecentFiles = 0;
    int maxRecentFiles = 0;
    int saveRecentPlaylists = 0;
    int maxRecentPlaylists = 0;

    // The four settings, the counts clamped to 0..30 (the lists are set up with them at the next
    // start, as the settings load them).
    BOOL OnApply() override;
    // Whether the page differs from the settings it opened with (what the modified mark shows).
    BOOL IsChanged();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void EnableCounts();
    void UpdateModified();
    void OnSaveRecentFilesClicked();
    void OnSaveRecentPlaylistsClicked();
    void OnClearRecentFiles();
    void OnClearRecentPlaylists();
    void OnCountChanged();

    int m_loadedSaveRecentFiles = 0;
    int m_loadedMaxRecentFiles = 0;
    int m_loadedSaveRecentPlaylists = 0;
    int m_loadedMaxRecentPlaylists = 0;
    DECLARE_MESSAGE_MAP()
};

class CSettingsSheet : public COEPropertySheet {
public:
    explicit CSettingsSheet(CWnd* pParentWnd = NULL);

    CSettingsPage1 page1;
    CSettingsPage2 page2;
    CSettingsPage3 page3;
};
