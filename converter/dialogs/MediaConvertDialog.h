// CMediaConvertDialog, the last base under the three conversion dialogs (converter, Audio
// Extractor, Animated GIF Maker), with everything the three do alike: the source, the destination,
// the cut, start and stop, the status, the side panel and the actions after a job.
#pragma once

#include "converter/dialogs/ConversionDialog.h"
#include "converter/kit/FolderComboBox.h"
#include "converter/kit/ImageStatic.h"
#include "converter/kit/MaskedEdit.h"
#include "converter/kit/StatusProgressBar.h"
#include "image/RasterImage.h"

#include <initializer_list>
#include <memory>
#include <vector>

class CCommandLineOptions;
struct CSourceLoad;

// The status icon a job status code shows (-1 and -2: none) and a progress kind's fill colour.
int GetJobStateIcon(int code);
COLORREF GetJobTypeColor(int kind);

class CMediaConvertDialog : public CConversionDialog {
public:
    CMediaConvertDialog(UINT nIDTemplate, CWnd* pParentWnd);
    ~CMediaConvertDialog() override;

    // What the command line hands over (source, format, folder, cut, tracks, effects, volume),
    // copied before the dialog runs; only the parts this dialog has. autoStart is the setting.
    virtual void TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart);

    // Loads a source (its path trimmed of blanks): a worker probes it and grabs its picture, and
    // what they tell fills the dialog in as it arrives; a file that is no media file is refused
    // then, with its message. 0 loading, -1 refused at once (a job runs, or no worker).
    virtual int CheckSourceMedia(LPCWSTR path);
    // The source's probe is still to come; or its probe or its picture.
    bool IsProbingSource() const { return m_nProbeLoad != 0; }
    bool IsLoadingSource() const { return m_nProbeLoad != 0 || m_nPictureLoad != 0; }
    // With "Cut" ticked, a cut that ends before it starts or starts past the source's end is
    // refused with a message naming the problem: -1; else 0.
    int CheckCut();
    // Checks the destination, fills the job and starts it: 0 started, -1 refused or failed.
    virtual int StartConversion();
    void StopConversion();
    // The end notice of the job's worker.
    virtual int OnJobDone();

    // Listener operations: on the dialog's thread, whichever thread calls them
    // (MediaConvertDialogStatus.cpp, with the title and the status icon and colours).
    void ShowFileName(LPCWSTR name) override;
    void ShowStatusIcon(int icon) override;
    void ShowProgressCode(int code) override;
    void SetProgress(__int64 position, __int64 range, int style) override;
    void ShowStatusText(LPCWSTR status, LPCWSTR detail) override;
    void CloseMainWindow() override;

    BOOL IsRunning() const { return IsJobRunning(); }
    // The last job ended with its output on disk: completed, or kept though shorter than asked.
    bool HasKeptOutput() const;
    const CString& GetSourcePath() const { return m_strSource; }
    CString GetDestinationFolder();
    int GetOutputKind() const { return m_nOutputKind; }
    CString GetTitleText() const;

    // The parts of the shared state the command line and the tests reach.
    CString m_strSource;
    CString m_strFolder;
    int m_bSaveToSource;
    int m_bCut;
    __int64 m_nCutStart;
    __int64 m_nCutStop;
    int m_bAutoShutdown;
    int m_bAutoStart;
    int m_nPendingVideo;
    int m_nPendingAudio;
    int m_nPendingSubtitle;
    int m_nOutputKind;
    CString m_strCaption;
    // A format key of the command line that the catalogue does not have: refused at the start.
    CString m_strUnknownFormat;

    CToolBarCtrl m_toolBar;
    CImageList m_toolBarImages;
    CImageList m_markers;
    CImageList m_statusImages;
    CRasterImage m_arrow;
    COLORREF m_crBackground;
    CBrush m_backgroundBrush;
    CTimeEdit m_startEdit;
    CTimeEdit m_stopEdit;
    CImageStatic m_statusIcon;
    CRecentFolderComboBox m_folderCombo;
    CStatusProgressBar m_statusBar;

    static const int kTopBand = 25;
    static const int kBottomBand = 51;
    static const int kSidePanel = 146;

protected:
    bool m_bClosing;
    // The source workers not yet ended; the newest load's probe and picture are awaited, older
    // ones are stopped and only waited for.
    std::vector<std::unique_ptr<CSourceLoad>> m_loads;
    int m_nLastLoad;
    int m_nProbeLoad;
    int m_nPictureLoad;
    // Start was asked while the source's probe was out: it comes when the probe is in.
    bool m_bStartWhenProbed;
    // The cut came from the command line and no source's probe has checked it against its
    // duration yet.
    bool m_bCutAsGiven;
    // The labels that get a marker in the painting.
    std::vector<UINT> m_markedLabels;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    BOOL OnInitDialog() override;
    void OnDestroy();
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnCancel() override;
    void OnOK() override;

    // The shared bindings: source, save-to-source, cut and its times (the folder read when saving).
    void DoDataExchange(CDataExchange* pDX) override;
    // The command line's format key: one of the catalogue replaces the stored choice, an unknown
    // one is kept aside to be refused. The GIF Maker's format is fixed.
    virtual void TakeFormatKey(const CString& key);
    // Each dialog's own parts.
    virtual void AddOwnTips() {}
    // The rows a template would hold ("Auto" of the track lists...) and the slider's range, before
    // the first data exchange.
    virtual void FillTemplateLists() {}
    // Fills the track lists (and the GIF lists) after a probe.
    virtual void FillTrackLists() = 0;
    // A warning for a source without the media the dialog needs; the file is taken all the same.
    virtual void CheckMedia(LPCWSTR path) { (void)path; }
    virtual void EnableControls(bool running);
    virtual void ApplySubControlRules();
    // The ids disabled while a job runs besides the shared ones.
    virtual std::vector<UINT> RunningDisabledIds() const { return {}; }
    virtual bool HasFormatControls() const { return true; }

    // Shared operations.
    // Moves the window to a saved place, or centres it on the primary monitor when no present
    // monitor would show it there.
    void PlaceAt(int left, int top);
    void LayoutBottomBand();
    void UpdateSourceInfo();
    void UpdateOutputInfo();
    int UpdateMediaKind();
    void RedrawSidePanel();
    void DrawPreview(CDC* pDC, const CRect& box, int kind, CRasterImage* image);
    void SetTitleText(LPCWSTR text);
    // The cut kept inside the source's duration, shown in the time edits. A cut of the command
    // line is kept as given (CheckCut refuses it at the start as it refuses a typed one), but for
    // a stop past the end or none, which comes back to the end.
    void CheckCutAgainstDuration();
    // The format, preset and save-to-source choice back into the settings (saved at exit).
    void SaveFormatChoice() const;
    // The format, preset, destination and cut that every dialog's job takes, on a reset record.
    void FillSharedJobOptions(CJobOutputSettings& options) const;

    // Track lists: "Auto" first, then "Disable" where the list has it, then a row a track.
    static const int kAutoRow = 0;
    static const int kDisableRow = 1;
    static int FirstTrackRow(bool hasDisable) { return hasDisable ? kDisableRow + 1 : kAutoRow + 1; }
    // A row whose stream is converted: one is chosen and it is not "Disable".
    static bool IsConvertedRow(int row) { return row >= 0 && row != kDisableRow; }
    // "Track #%d - [%s]" or "Track #%d".
    static CString TrackText(int number, const CMediaStream* stream);
    // Refills a track list after a probe: the single row 'none' for a source without such
    // streams, else the rows above, the command line's pending stream (then used up) choosing the
    // row. Returns the row selected.
    int FillTrackList(UINT id, const CMediaStreamList& streams, LPCWSTR none, int type, bool hasDisable,
                      int& pending);
    // The row of a command line's stream (a file index) in a track list.
    int PendingRow(int pending, int type, bool hasDisable) const;
    // The job's track of a row among 'count' tracks: its position among them, MEDIA_SELECT_NONE
    // for "Disable", else MEDIA_SELECT_AUTO.
    static int TrackOfRow(int row, bool hasDisable, int count);
    // The group frame, label and list of each kind's track list.
    static const UINT kVideoTrackIds[3];
    static const UINT kAudioTrackIds[3];
    static const UINT kSubtitleTrackIds[3];

    void SetAlwaysOnTop(BOOL on);
    // The list's rows replaced by these.
    void FillRows(UINT id, std::initializer_list<const wchar_t*> rows);
    // A check box that is ticked and enabled: its sub-controls are enabled.
    bool IsCheckedAndEnabled(UINT id);
    // The rotation list follows "Rotate:"; the volume text and slider follow "Change volume:".
    void ApplyRotationRule();
    void ApplyVolumeRule();
    // The slider's position and its text "%d%%".
    void ShowVolume(int volume);
    void ShowVolumeText(int volume);
    CString TimeText(__int64 ms) const;

    void OnStart();
    void OnStop();
    LRESULT OnWorkerDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnListenerCall(WPARAM wParam, LPARAM lParam);
    LRESULT OnSourceProbed(WPARAM wParam, LPARAM lParam);
    LRESULT OnSourceLoaded(WPARAM wParam, LPARAM lParam);
    CSourceLoad* FindLoad(int id) const;
    // A worker that probes the source and grabs its picture, reporting to the window once
    // ShowSourceLoad has given it one: the load's number, or 0 when no worker could start.
    int StartSourceLoad(const CString& source);
    // The load awaited and shown: the last source's record and texts go, the path shows, and the
    // worker reports to the window.
    void ShowSourceLoad(CSourceLoad& load);
    // The awaited load's worker is told to stop; nothing it still reports is taken.
    void AbandonSourceLoad();
    // Every source worker stopped and waited for.
    void StopSourceLoads();
    // The source edit emptied and the message that the file is no media file.
    void RefuseSource(const CString& path);
    // A modal dialog shows itself only once its queue is empty: the source's probe and a start
    // asked for as it opens (AutoStart) can come before that, and what they have to say must not
    // stand alone on the screen, away from the dialog it is about.
    void ShowBeforeSaying();
    LRESULT OnStartUpdateCheck(WPARAM wParam, LPARAM lParam);
    void OnBrowseSource();
    void OnBrowseFolder();
    void OnOpenFolder();
    void OnUpdateOpenFolder(CCmdUI* pCmdUI);
    void OnPlaySource();
    void OnPlayOutput();
    void OnUpdatePlayOutput(CCmdUI* pCmdUI);
    void OnUpdateStart(CCmdUI* pCmdUI);
    void OnDropFiles(HDROP hDropInfo);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnToolBarDropDown(NMHDR* pNMHDR, LRESULT* pResult);
    void OnToggleAutoPlay();
    void OnToggleAutoOpenFolder();
    void OnToggleAutoClose();
    void OnToggleAutoShutdown();
    void OnUpdateAutoPlay(CCmdUI* pCmdUI);
    void OnUpdateAutoOpenFolder(CCmdUI* pCmdUI);
    void OnUpdateAutoClose(CCmdUI* pCmdUI);
    void OnUpdateAutoShutdown(CCmdUI* pCmdUI);
    void OnFormatsSettings();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnSysColorChange();
    void OnCutClicked();
    void OnCutReset();
    void OnSaveToSourceClicked();
    void OnRotateClicked();
    void OnChangeVolumeClicked();
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void ShowPopupMenu(CPoint screen, const RECT* exclude);
    DECLARE_MESSAGE_MAP()
};
