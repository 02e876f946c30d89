// The media information dialog's report: file, streams and metadata rows, section rows in bold.
#include "player/dialogs/MediaInfoDlg.h"

#include <commctrl.h>

#include "engine/MediaItem.h"
#include "engine/MediaValueTexts.h"
#include "engine/SystemHelpers.h"
#include "framework/Thread.h"
#include "player/app/PlayerMessages.h"
#include "player/app/PlayerResource.h"
#include "player/app/PlayerWindows.h"
#include "player/app/SharedResources.h"
#include "player/playlist/ToolTimeLimit.h"

// Probes one path into a record of its own, away from the window (a file on a slow or dead share
// holds the probe as long as the share does); then posts WM_WORKER_DONE. The dialog deletes it.
class CMediaInfoReadThread : public CWinThread {
public:
    CMediaInfoReadThread(HWND dialog, const CString& path)
        : m_hDialog(dialog), m_strPath(path), m_nStop(0), m_nResult(PROBE_FAILED)
    {
        m_bAutoDelete = FALSE;
    }
    BOOL InitInstance() override
    {
        // An address whose server never answers has the same limit as in the playlist.
        CToolTimeLimit limit(m_strPath, &m_nStop);
        m_nResult = m_record.Probe(m_strPath, limit.Flag());
        return FALSE;
    }
    int ExitInstance() override
    {
        ::PostMessageW(m_hDialog, WM_WORKER_DONE, 0, (LPARAM)this);
        return 0;
    }

    HWND m_hDialog;
    CString m_strPath;
    volatile int m_nStop;
    int m_nResult;
    CMediaInfoRecord m_record;
};

namespace {

LPCWSTR StreamKindText(int type)
{
    switch (type) {
    case MEDIA_STREAM_VIDEO:
        return L"Video";
    case MEDIA_STREAM_AUDIO:
        return L"Audio";
    case MEDIA_STREAM_SUBTITLE:
        return L"Subtitles";
    case MEDIA_STREAM_DATA:
        return L"Data";
    case MEDIA_STREAM_ATTACHMENT:
        return L"Attachment";
    default:
        return L"Unknown";
    }
}

CString IntText(LPCWSTR format, int value)
{
    CString text;
    text.Format(format, value);
    return text;
}

CString PositiveInt(int value)
{
    return value > 0 ? IntText(L"%d", value) : CString();
}

bool HasMetadata(const CMediaMetadata& m)
{
    return !m.Title.IsEmpty() || !m.Author.IsEmpty() || !m.Album.IsEmpty() || m.Track > 0 || m.Year > 0 ||
           !m.Genre.IsEmpty() || !m.Copyright.IsEmpty() || !m.Comment.IsEmpty();
}

}  // namespace

BEGIN_MESSAGE_MAP(CMediaInfoDlg, CDialog)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_WORKER_DONE, OnReadDone)
    ON_NOTIFY_RANGE(NM_CUSTOMDRAW, IDC_MEDIA_INFO_LIST, IDC_MEDIA_INFO_LIST, OnCustomDraw)
END_MESSAGE_MAP()

CMediaInfoDlg::CMediaInfoDlg(CMediaItem* item, CWnd* pParent)
    : CDialog(IDD_MEDIA_INFO), m_pItem(item), m_pPlaylist(nullptr), m_bProbed(false), m_pReader(nullptr)
{
    // Without a parent the dialog is owned by the main window, as the application's dialogs are.
    if (pParent) {
        m_pParentWnd = pParent;
        m_bExplicitParent = true;
    }
    if (item) {
        m_strPath = item->Path;
        m_bProbed = (item->Flags & MEDIA_FILE_PROBED) != 0;
        if (m_bProbed)
            m_info = item->MediaInfo;
        CMediaPlaylistLink* playlist = GetPlayerWindows().itemWnd;
        if (playlist && playlist->FindMediaItem(item) >= 0)
            m_pPlaylist = playlist;
    }
}

CMediaInfoDlg::~CMediaInfoDlg()
{
    // The window's end waited for the reader; a dialog never made into a window has none.
    delete m_pReader;
}

CMediaItem* CMediaInfoDlg::LiveItem()
{
    if (!m_pItem || !m_pPlaylist)
        return m_pItem;
    // Looked up again by what it is: the same object in the same playlist, for the same file (a
    // new item may have been made where a deleted one was).
    CMediaPlaylistLink* playlist = GetPlayerWindows().itemWnd;
    if (playlist != m_pPlaylist || playlist->FindMediaItem(m_pItem) < 0)
        return nullptr;
    return m_pItem->Path == m_strPath ? m_pItem : nullptr;
}

BOOL CMediaInfoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_MEDIA_INFO_LIST, this);
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    CRect client;
    m_list.GetClientRect(&client);
    m_list.InsertColumn(0, L"", LVCFMT_LEFT, 100);
    m_list.InsertColumn(1, L"", LVCFMT_LEFT, client.Width() - GetSystemMetrics(SM_CXVSCROLL) - 100);
    if (m_pItem) {
        SetWindowText(FileNamePart(m_strPath));
        if (!m_bProbed) {
            CMediaInfoReadThread* reader = new CMediaInfoReadThread(m_hWnd, m_strPath);
            if (reader->CreateThread(CREATE_SUSPENDED)) {
                m_pReader = reader;
                reader->ResumeThread();
            } else {
                delete reader;
            }
        }
    }
    Fill();
    return TRUE;
}

LRESULT CMediaInfoDlg::OnReadDone(WPARAM, LPARAM lParam)
{
    if (!m_pReader || lParam != (LPARAM)m_pReader)
        return 0;
    WaitForSingleObject(m_pReader->m_hThread, INFINITE);
    // A stopped probe tells nothing. What was read is the dialog's own; the item gets it as its own
    // probe would have left it, unless it is gone or has been probed meanwhile.
    if (m_pReader->m_nResult == PROBE_DONE) {
        m_info = m_pReader->m_record;
        m_bProbed = true;
        CMediaItem* item = LiveItem();
        if (item && !(item->Flags & MEDIA_FILE_PROBED)) {
            item->MediaInfo = m_pReader->m_record;
            item->ChangeFlags(MEDIA_FILE_PROBED);
        }
    }
    const bool stopped = m_pReader->m_nStop != 0;
    delete m_pReader;
    m_pReader = nullptr;
    if (!stopped)
        Fill();
    return 0;
}

void CMediaInfoDlg::StopReading()
{
    if (!m_pReader)
        return;
    m_pReader->m_nStop = 2;
    while (m_pReader && ::IsWindow(m_hWnd))
        PumpUntilMessage(m_hWnd, WM_WORKER_DONE);
}

void CMediaInfoDlg::OnDestroy()
{
    StopReading();
    CDialog::OnDestroy();
}

void CMediaInfoDlg::AddRow(LPCWSTR name, LPCWSTR value, bool section)
{
    int row = m_list.InsertItem(LVIF_TEXT | LVIF_PARAM, m_list.GetItemCount(), name, 0, 0, 0, section ? 1 : 0);
    if (row >= 0)
        m_list.SetItemText(row, 1, value);
}

void CMediaInfoDlg::Fill()
{
    m_list.DeleteAllItems();
    if (!m_pItem)
        return;
    SetDlgItemText(IDC_MEDIA_INFO_PATH, m_strPath);
    if (IsReading()) {
        AddRow(L"Reading...", L"");
        return;
    }
    if (!m_bProbed)
        return;

    const CMediaInfoRecord& info = m_info;
    AddRow(L"File Name", FileNamePart(m_strPath), true);
    AddRow(L"File Size", FormatInt64Grouped(info.Size));
    AddRow(L"Duration", info.DurationInUs > 0 ? FormatTimeUs(info.DurationInUs, 0, 1, 1) : CString());
    AddRow(L"Format", info.Format);
    AddRow(L"Bit Rate", info.BitRate > 0 ? IntText(L"%d kbps", info.BitRate / 1000) : CString());

    for (int n = 0; n < info.GetStreamCount(); ++n) {
        const CMediaStream& s = *info.GetStream(n);
        AddRow(IntText(L"Stream #%d", n + 1), StreamKindText(s.Type), true);
        switch (s.Type) {
        case MEDIA_STREAM_VIDEO:
        case MEDIA_STREAM_AUDIO: {
            AddRow(L"Codec", s.Codec);
            if (s.Type == MEDIA_STREAM_VIDEO) {
                CString size;
                size.Format(L"%d x %d", s.Width, s.Height);
                AddRow(L"Width x Height", size);
                AddRow(L"Frame Rate", FormatFrameRate(s.FrameRateNum, s.FrameRateDen, L"%.3f", TRUE, FALSE));
            } else {
                AddRow(L"Channels", FormatChannels(s.Channels, TRUE));
                AddRow(L"Sample Rate", IntText(L"%d", s.SampleRate));
            }
            if (s.BitRate > 0)
                AddRow(L"Bit Rate", FormatBitRate(s.BitRate, L"%.3f", TRUE, FALSE));
            if (s.Frames > 0) {
                CString frames;
                frames.Format(L"%I64d", s.Frames);
                AddRow(L"Frames", frames);
            }
            if (!s.Language.IsEmpty())
                AddRow(L"Language", s.Language);
            break;
        }
        case MEDIA_STREAM_SUBTITLE:
            AddRow(L"Format", s.Codec);
            if (!s.Language.IsEmpty())
                AddRow(L"Language", s.Language);
            break;
        default:
            break;
        }
    }

    const CMediaMetadata& m = info.Metadata;
    if (HasMetadata(m)) {
        AddRow(L"Metadata", L"", true);
        AddRow(L"Title", m.Title);
        AddRow(L"Author", m.Author);
        AddRow(L"Album", m.Album);
        AddRow(L"Track", PositiveInt(m.Track));
        AddRow(L"Year", PositiveInt(m.Year));
        AddRow(L"Genre", m.Genre);
        AddRow(L"Copyright", m.Copyright);
        AddRow(L"Comment", m.Comment);
    }
    ListView_EnsureVisible(m_list.m_hWnd, 0, FALSE);
}

void CMediaInfoDlg::OnCustomDraw(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
    } else if ((draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT ||
                draw->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) &&
               draw->nmcd.lItemlParam == 1) {
        CSharedResources* shared = GetSharedResources();
        if (shared && shared->boldFont.GetSafeHandle())
            SelectObject(draw->nmcd.hdc, shared->boldFont.GetSafeHandle());
        draw->clrTextBk = GetSysColor(COLOR_BTNFACE);
        // Some list implementations take the colours per column only.
        *pResult = CDRF_NEWFONT | (draw->nmcd.dwDrawStage & CDDS_SUBITEM ? 0 : CDRF_NOTIFYSUBITEMDRAW);
    }
}
