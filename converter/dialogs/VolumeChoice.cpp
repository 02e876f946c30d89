// CVolumeChoice: the volume change from the command line, into the job, and in the controls.
#include "converter/dialogs/VolumeChoice.h"

#include "conversion/MediaConvertJob.h"
#include "converter/app/CommandLineOptions.h"
#include "converter/app/ConverterResource.h"
#include "framework/Ddx.h"

const UINT CVolumeChoice::kVolumeControlIds[3] = {IDC_CHANGE_VOLUME, IDC_VOLUME_TEXT, IDC_VOLUME};

void CVolumeChoice::TakeVolume(const CCommandLineOptions& options)
{
    if (options.volume != kUnchangedVolume) {
        m_bChangeVolume = 1;
        // As the slider can show it; the encoder takes it from there.
        m_nVolume = options.volume < 0 ? 0 : options.volume > kMaxVolume ? kMaxVolume : options.volume;
    }
}

void CVolumeChoice::FillVolume(CJobOutputSettings& options) const
{
    options.Volume = m_bChangeVolume ? m_nVolume : kUnchangedVolume;
}

void CVolumeChoice::ExchangeVolume(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_CHANGE_VOLUME, m_bChangeVolume);
    DDX_Slider(pDX, IDC_VOLUME, m_nVolume);
}
