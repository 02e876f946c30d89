// CConverterDialog, Ravento's main window by default: one source converted into one output format
// and preset, with an optional cut, a choice of video, audio and subtitle track, video effects and a
// volume change.
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
