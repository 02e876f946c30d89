// CAudioExtractorDialog ("-c ae"): the audio of one source extracted into an audio format; the
// converter dialog without the video and subtitle groups.
#pragma once

#include "converter/dialogs/MediaConvertDialog.h"
#include "converter/dialogs/VolumeChoice.h"

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
