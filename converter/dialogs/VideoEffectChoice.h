// CVideoEffectChoice: the video effects the converter and the Animated GIF Maker offer (the two
// flips, the rotation and the three colour effects) as their check boxes and rotation list hold them.
#pragma once

#include <windows.h>

class CCommandLineOptions;
class CDataExchange;
class CJobOutputSettings;

class CVideoEffectChoice {
public:
    // The effects' controls: enabled while the chosen video track is converted.
    static const UINT kEffectControlIds[7];

    // The effects the command line asks for are switched on; the others keep their state.
    void TakeEffects(const CCommandLineOptions& options);
    // The job's effects, for a source with video.
    void FillEffects(CJobOutputSettings& options) const;
    // Binds the check boxes and the rotation list.
    void ExchangeEffects(CDataExchange* pDX);

    int m_bFlipHorizontal = 0;
    int m_bFlipVertical = 0;
    int m_bRotate = 0;
    int m_nRotationRow = 0;
    int m_bGrayscale = 0;
    int m_bNegate = 0;
    int m_bOldPhoto = 0;
};
