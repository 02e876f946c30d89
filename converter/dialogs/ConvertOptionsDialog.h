// CConvertOptionsDialog: the first link of the conversion dialogs' chain, a format selector that
// fills a job's output settings and takes the encoder's progress records from another process.
#pragma once

#include "conversion/MediaConvertJob.h"
#include "converter/dialogs/FormatSelectorDialog.h"

class CConvertOptionsDialog : public CFormatSelectorDialog {
public:
    CConvertOptionsDialog(UINT nIDTemplate, CWnd* pParentWnd);
    // The job's output settings from the dialog's controls: 0, or non-zero to stop the start.
    virtual int FillJobOptions(CJobOutputSettings& options) = 0;

protected:
    BOOL OnInitDialog() override;
};
