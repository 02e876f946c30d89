// CVideoEffectChoice: the video effects from the command line, into the job, and in the controls.
#include "converter/dialogs/VideoEffectChoice.h"

#include "conversion/MediaConvertJob.h"
#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterResource.h"
#include "framework/Ddx.h"

namespace {

const int kDegreesPerRotationRow = 90;

// Rotation of the command line: 1 or 90, 2 or 180, 3 or 270 give the rows 0, 1, 2.
int RotationRow(int rotate)
{
    switch (rotate) {
    case 1:
    case 90:
        return 0;
    case 2:
    case 180:
        return 1;
    case 3:
    case 270:
        return 2;
    default:
        return -1;
    }
}

}  // namespace

const UINT CVideoEffectChoice::kEffectControlIds[7] = {IDC_FLIP_HORIZONTAL, IDC_FLIP_VERTICAL, IDC_ROTATE, IDC_ROTATION,
                                                 IDC_GRAYSCALE,       IDC_NEGATE,        IDC_OLD_PHOTO};

void CVideoEffectChoice::TakeEffects(const CCommandLineOptions& options)
{
    if (options.flipHorizontally)
        m_bFlipHorizontal = 1;
    if (options.flipVertically)
        m_bFlipVertical = 1;
    if (options.grayscale)
        m_bGrayscale = 1;
    if (options.negate)
        m_bNegate = 1;
    if (options.oldPhoto)
        m_bOldPhoto = 1;
    const int rotation = RotationRow(options.rotate);
    if (rotation >= 0) {
        m_bRotate = 1;
        m_nRotationRow = rotation;
    }
}

void CVideoEffectChoice::FillEffects(CJobOutputSettings& options) const
{
    options.FlipHorizontal = m_bFlipHorizontal ? 1 : 0;
    options.FlipVertical = m_bFlipVertical ? 1 : 0;
    options.Rotation = m_bRotate ? kDegreesPerRotationRow * (m_nRotationRow + 1) : 0;
    options.Grayscale = m_bGrayscale ? 1 : 0;
    options.Negate = m_bNegate ? 1 : 0;
    options.OldPhoto = m_bOldPhoto ? 1 : 0;
}

void CVideoEffectChoice::ExchangeEffects(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_FLIP_HORIZONTAL, m_bFlipHorizontal);
    DDX_Check(pDX, IDC_FLIP_VERTICAL, m_bFlipVertical);
    DDX_Check(pDX, IDC_ROTATE, m_bRotate);
    DDX_CBIndex(pDX, IDC_ROTATION, m_nRotationRow);
    DDX_Check(pDX, IDC_GRAYSCALE, m_bGrayscale);
    DDX_Check(pDX, IDC_NEGATE, m_bNegate);
    DDX_Check(pDX, IDC_OLD_PHOTO, m_bOldPhoto);
}
