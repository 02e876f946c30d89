// The playlist view with the commands of the File and Playlist menus and of the item context menu.
#pragma once

#include "player/playlist/MediaPlaylistView.h"

class CCmdUI;

class CPlaylistView : public CMediaPlaylistView {
    DECLARE_DYNCREATE(CPlaylistView)
public:
    CPlaylistView();

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnInitialUpdate() override;
    void UpdateItemCountDisplay() override;

    // The first selected item, -1 none.
    int GetSelectedIndex();
    CMediaItem* GetSelectedItem();

    // The dialogs' filters.
    static const wchar_t kOpenFilesFilter[];
    static const wchar_t kPlaylistFilter[];
    static const wchar_t kSavePlaylistFilter[];
    static const wchar_t kFolderPatterns[];

protected:
    void AddChosenFiles(bool replace);
    void ChooseFolder(bool open);

    void OnOpenFiles();
    void OnAddFiles();
    void OnOpenFolder();
    void OnAddFolder();
    void OnOpenUrl();
    void OnAddUrls();
    void OnOpenPlaylist();
    void OnSavePlaylist();
    void OnRecentPlaylist(UINT id);
    void OnUpdateRecentPlaylist(CCmdUI* pCmdUI);
    void OnClearRecentPlaylists();
    void OnUpdateClearRecentPlaylists(CCmdUI* pCmdUI);
    void OnDelete();
    void OnUpdateDelete(CCmdUI* pCmdUI);
    void OnDeleteAll();
    void OnUpdateHasItems(CCmdUI* pCmdUI);
    void OnMove(UINT id);
    void OnUpdateMove(CCmdUI* pCmdUI);
    void OnPlay();
    void OnUpdatePlay(CCmdUI* pCmdUI);
    void OnMediaInfo();
    void OnUpdateSelection(CCmdUI* pCmdUI);
    void OnShowInFolder();
    void OnUpdateShowInFolder(CCmdUI* pCmdUI);
    void OnSelectAll();
    void OnConvert();
    void OnExtractAudio();
    void OnUpdateExtractAudio(CCmdUI* pCmdUI);
    void OnMakeGif();
    void OnUpdateMakeGif(CCmdUI* pCmdUI);
    void OnUpdateNoLoad(CCmdUI* pCmdUI);
    void OnTrack(UINT id);
    void OnUpdateTrack(CCmdUI* pCmdUI);
    void OnFilter(UINT id);
    void OnUpdateFilter(CCmdUI* pCmdUI);
    void OnDisableFilters();
    void OnDisplayStyle(UINT id);
    void OnUpdateDisplayStyle(CCmdUI* pCmdUI);
    void OnShowTitle();
    void OnUpdateShowTitle(CCmdUI* pCmdUI);
    void OnShowIcon();
    void OnUpdateShowIcon(CCmdUI* pCmdUI);
    void OnShowDuration();
    void OnUpdateShowDuration(CCmdUI* pCmdUI);
    void OnShowQuality();
    void OnUpdateShowQuality(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};
