// The three main dialogs of Ravento: the converter (a source into a format and preset, with a cut,
// tracks, video effects and volume), the Audio Extractor and the Animated GIF Maker.
#pragma once

#include "converter/dialogs/MediaConvertDialog.h"
#include "converter/dialogs/VideoEffectChoice.h"
#include "converter/dialogs/VolumeChoice.h"

class CConverterDialog : public CMediaConvertDialog, public CVideoEffectChoice, public CVolumeChoice {
public:
    explicit CConverterDialog(CWnd* pParentWnd = NULL);
    // The format, preset and save-to-source choice go back into the settings.
    ~CConverterDialog() override;

    void TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart) override;
    int FillJobOptions(CJobOutputSettings& options) override;
    void SelectPreset(int row) override;
    int ApplySelection() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int m_nVideoRow;
    int m_nAudioRow;
    int m_nSubtitleRow;

protected:
    BOOL OnInitDialog() override;
    void AddOwnTips() override;
    void FillTrackLists() override;
    void ApplySubControlRules() override;
    std::vector<UINT> RunningDisabledIds() const override;
    void EnableControls(bool running) override;
    void FillTemplateLists() override;
    // Track groups enabled for the streams the source has; effects and volume follow the rows.
    void EnableTrackGroups();
    void OnVideoTrackChange();
    void OnAudioTrackChange();
    DECLARE_MESSAGE_MAP()
};

class CAudioExtractorDialog : public CMediaConvertDialog, public CVolumeChoice {
public:
    explicit CAudioExtractorDialog(CWnd* pParentWnd = NULL);
    ~CAudioExtractorDialog() override;

    void TakeCommandLine(const CCommandLineOptions& options, BOOL autoStart) override;
    int FillJobOptions(CJobOutputSettings& options) override;
    int ApplySelection() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int m_nAudioRow;

protected:
    BOOL OnInitDialog() override;
    void AddOwnTips() override;
    void FillTrackLists() override;
    void CheckMedia(LPCWSTR path) override;
    void ApplySubControlRules() override;
    std::vector<UINT> RunningDisabledIds() const override;
    void EnableControls(bool running) override;
    void FillTemplateLists() override;
    void EnableAudioGroup();
    void OnAudioTrackChange();
    DECLARE_MESSAGE_MAP()
};

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
