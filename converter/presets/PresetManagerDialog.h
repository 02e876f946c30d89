// CPresetManagerDialog: "Video/Audio Formats Settings", which formats the converter offers and
// the preset list of each (add, delete, edit, reorder, default, back to the built-in presets).
// It works on the store's catalogue directly and saves the presets file however it is closed.
#pragma once

#include <vector>

#include "converter/kit/ListHelpers.h"
#include "converter/kit/OEDialog.h"

class CMediaFormat;
class CMediaPreset;
class CPresetStore;

// The conversion dialog that opened the manager: told before presets it may hold are destroyed.
class CPresetManagerClient {
public:
    virtual ~CPresetManagerClient() {}
    // Every preset of the format (of every format for null) is about to be destroyed: a pointer
    // to one of them is dropped without touching the preset.
    virtual void OnPresetsReleased(CMediaFormat* pFormat) = 0;
};

class CPresetManagerDialog : public COEDialog {
public:
    CPresetManagerDialog(CPresetStore* pStore, CPresetManagerClient* pClient, CWnd* pParentWnd);
    ~CPresetManagerDialog() override;

    // Runs the preset settings dialog on a preset of the shown format; IDOK when it was changed.
    virtual INT_PTR EditPreset(CMediaPreset* pPreset);

    // The format whose presets the list shows (null for a category).
    CMediaFormat* GetShownFormat() const { return m_pShownFormat; }
    int GetRowCount() const { return m_list.GetItemCount(); }
    CMediaPreset* GetRowPreset(int row) const;
    // Writes the rows back into the shown format: its presets in row order, the marked row as
    // its default (0 when none is marked), its last preset kept inside the list.
    void WriteBack();
    void ShowItem(HTREEITEM hItem);

    CTreeCtrl m_tree;
    CCheckListCtrl m_list;
    // The list's state images; the list shares them (LVS_SHAREIMAGELISTS), so this is their owner.
    CImageList m_states;
    // The check boxes the tree makes for itself: no tree destroys them, so the dialog owns them.
    CImageList m_treeStates;
    int ListChanged;

    static const int kMinWidth = 600;
    static const int kMinHeight = 400;

    void OnAddPreset();
    void OnDeletePreset();
    void OnEditPreset();
    void OnDefaultPreset();
    void OnMoveUp();
    void OnMoveDown();
    void OnResetPresets();
    void OnResetAllPresets();

protected:
    CPresetStore* m_pStore;
    CPresetManagerClient* m_pClient;
    CMediaFormat* m_pShownFormat;
    // Presets that only the rows hold (added since the last write-back): the dialog owns them.
    std::vector<CMediaPreset*> m_listOnly;
    bool m_bClosed;
    // The template's places, which the layout keeps.
    CRect m_treeRect, m_labelRect, m_listRect, m_firstButtonRect, m_closeRect;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnTreeSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnUpdateNeedsFormat(CCmdUI* pCmdUI);
    void OnUpdateDelete(CCmdUI* pCmdUI);
    void OnUpdateNeedsSelection(CCmdUI* pCmdUI);
    void OnUpdateMoveUp(CCmdUI* pCmdUI);
    void OnUpdateMoveDown(CCmdUI* pCmdUI);
    void OnUpdateResetAll(CCmdUI* pCmdUI);

    void FillTree();
    void Layout(int cx, int cy);
    int FirstSelectedRow() const;
    void SetRow(int row, CMediaPreset* pPreset);
    // The shown list emptied; presets only it held are destroyed.
    void EmptyList();
    bool IsListOnly(const CMediaPreset* pPreset) const;
    // Closing: the list written back, the check boxes into the hidden flags, the file saved.
    void Close();
    DECLARE_MESSAGE_MAP()
};

// The format's last preset row kept inside its list (-1 for an empty one).
void ClampLastPreset(CMediaFormat& format);
