// CFormatComboBox: the owner-drawn list of output formats under their category headings (or of
// one format's presets), with the format's extension in a narrow right-hand column; the filling of
// the format lists; and the frame-rate texts of the format and preset dialogs.
#pragma once

#include "conversion/MediaCatalog.h"
#include "framework/Controls.h"

class CDataExchange;
class CMediaPreset;
class CPresetStore;

class CFormatComboBox : public CComboBox {
public:
    // What the item data of the rows points to: catalogue items (categories and formats) or
    // presets. Drawing never reads one as the other.
    enum RowKind { ROWS_CATALOG = 0, ROWS_PRESETS = 1 };

    CFormatComboBox();
    ~CFormatComboBox() override;

    // A drop-down list, owner-drawn with fixed height, with strings.
    static const DWORD kStyle = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL;

    void SetRowKind(RowKind kind) { m_nRowKind = kind; }
    RowKind GetRowKind() const { return m_nRowKind; }
    // "%s\t%s" gives a right-hand part; the row's data is the item. -1 on failure.
    int AddCatalogRow(LPCWSTR lpszText, CMediaCatalogItem* pItem);
    int AddPresetRow(LPCWSTR lpszText, CMediaPreset* pPreset);
    // The row's item, or null (a preset list has no catalogue items and the other way round).
    CMediaCatalogItem* GetCatalogItem(int nRow) const;
    CMediaPreset* GetPreset(int nRow) const;
    // A category row of a catalogue list.
    BOOL IsHeadingRow(int nRow) const;
    // The row that choosing nRow selects: a heading passes to the format below it, or, when the
    // list was moved upward (WasMovedUp), to the format above it, so that the list can be walked
    // upward past its headings. A heading with no format to go to stays.
    int FormatRowFrom(int nRow, BOOL bUpward) const;
    // Whether the last key or wheel turn that moved the selection went upward (Up, Left, Page Up,
    // the wheel away from the user); a click or any other key clears it.
    BOOL WasMovedUp() const { return m_bMovedUp; }
    // Selects the first format row at or after the given one (a heading passes on to its format;
    // the last row stays even when it is a heading); the row becomes the one selected, and its
    // format is returned, null for a heading.
    CMediaFormat* SelectFormatAt(int& nRow);
    // The format row the user's choice leads to (FormatRowFrom), or -1 when nothing is chosen or
    // the choice leads back to the shown row, which keeps the selection then.
    int ChosenFormatRow(int nShownRow);

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

    // The width of the longest row drawn in full (icon column, name, detail column), in pixels.
    int GetLongestRowWidth();
    // The list is made that wide as it drops down: never narrower than the box, never past the
    // right edge of the work area of the monitor that holds the box.
    void FitDroppedWidth();
    // The selected row's name when the closed box cuts it short, else empty: the box's tool tip.
    CString GetCutSelectionName();

    // The icon a catalogue item shows: 1 audio, 0 other media, 2 devices; -1 for no media.
    static int IconForItem(const CMediaCatalogItem* pItem);

    CImageList* ImageList;
    int ColumnWidth;
    COLORREF DetailColor;
    int RightAlignDetail;

protected:
    RowKind m_nRowKind;
    BOOL m_bMovedUp;
    // Made at the first mouse move over the box; its one tool is the box.
    CToolTipCtrl m_nameTip;
    CString m_strTipText;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnDropDown();
    // Where a row's name is drawn within the row's rectangle.
    CRect NameRect(const CRect& item, bool withDetail) const;
    // The font a row is drawn in.
    CFont* RowFont(bool heading);
    // Shows the cut name of the selection, or nothing, as the mouse moves over the box.
    void RelayToNameTip(UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

// The format list as the format selectors fill it: each category that is not hidden and has a
// visible format, as a heading, followed by its visible formats ("name\textension"); the selected
// format (may be null) is listed under its category's heading even when it or its category is hidden.
void FillFormatRows(CFormatComboBox& combo, CPresetStore& store, const CMediaFormat* selected = nullptr);

// A frame-rate text as a pair: "25" gives 25/1, "29.97" 30000/1001 (the rates of the 1000/1001
// family are recognised in their three-decimal texts), "12.5" 12500/1000; an empty text, 0, a
// text that does not read and rates below 0.01 give 0/0 (Auto).
MediaRate ParseFrameRateText(LPCWSTR text);
// The pair as the edit shows it: "%.3f" without trailing zeros, empty for Auto.
CString FrameRateText(const MediaRate& rate);
// Saving reads the edit's text through ParseFrameRateText; loading shows FrameRateText.
void DDX_Rational(CDataExchange* pDX, int nIDC, MediaRate& rate);
