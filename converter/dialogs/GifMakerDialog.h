// CGifMakerDialog ("-c gif"): a cut of one source's video made into an animated GIF, with the
// GIF's size, frame rate and loop instead of a format and preset.
#pragma once

#include "converter/dialogs/MediaConvertDialog.h"
#include "converter/dialogs/VideoEffectChoice.h"

class CGifMakerDialog : public CMediaConvertDialog, public CVideoEffectChoice {
public:
    explicit CGifMakerDialog(CWnd* pParentWnd = NULL);
    // The GIF choices and save-to-source go back into the settings; the format choice does not.
    ~CGifMakerDialog() override;

    void TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart) override;
    int FillJobOptions(CJobOutputSettings& options) override;
    // The GIF format by its key (also when the format lists hide it) with its "Custom" preset.
    int RefreshSelection() override;
    int ApplySelection() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int m_nVideoRow;
    int m_nSubtitleRow;
    CString m_strHeight;
    CString m_strWidth;
    CString m_strFrameRate;
    int m_nLoopRow;
    int m_nLoopCount;

protected:
    // The row of the frame-rate list that came from the source, -1 when none was inserted.
    int m_nSourceRateRow;

    BOOL OnInitDialog() override;
    void AddOwnTips() override;
    void FillTrackLists() override;
    void CheckMedia(LPCWSTR path) override;
    void ApplySubControlRules() override;
    std::vector<UINT> RunningDisabledIds() const override;
    void EnableControls(bool running) override;
    bool HasFormatControls() const override { return false; }
    // The GIF Maker makes GIFs: no key of the command line replaces its format.
    void TakeFormatKey(const CString& key) override { (void)key; }
    void FillTemplateLists() override;
    void EnableVideoGroups();
    void ApplyLoopRule();
    void OnVideoTrackChange();
    void OnWidthChange();
    void OnHeightChange();
    void OnLoopChange();
    DECLARE_MESSAGE_MAP()
};
