// CVolumeChoice: the volume change the converter and the Audio Extractor offer ("Change volume:"
// and its slider, in percent).
#pragma once

#include <windows.h>

class CCommandLineOptions;
class CDataExchange;
class CJobOutputSettings;

class CVolumeChoice {
public:
    // The change's controls: enabled while the chosen audio track is converted.
    static const UINT kVolumeControlIds[3];
    // The slider's range, in percent; the volume that changes nothing.
    static const int kMaxVolume = 500;
    static const int kUnchangedVolume = 100;

    // A volume other than 100 on the command line switches the change on, kept inside the
    // slider's range.
    void TakeVolume(const CCommandLineOptions& options);
    // The job's volume, for a source with audio.
    void FillVolume(CJobOutputSettings& options) const;
    // Binds the check box and the slider.
    void ExchangeVolume(CDataExchange* pDX);

    int m_bChangeVolume = 0;
    int m_nVolume = kUnchangedVolume;
};
