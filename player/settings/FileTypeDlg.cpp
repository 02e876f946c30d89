// CFileTypeDlg: one file type's extension, icon and name.
#include "player/settings/FileTypeDlg.h"

#include "framework/App.h"
#include "framework/Ddx.h"
#include "player/app/PlayerResource.h"

namespace {

const int kListItemHeight = 20;

}  // namespace

void AddFileTypeIcons(CImageList& list)
{
    for (int id : {IDI_PLAYER_VIDEO, IDI_PLAYER_AUDIO, IDI_PLAYER_PLAYLIST}) {
        HICON icon = (HICON)LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0);
        if (icon) {
            list.Add(icon);
            DestroyIcon(icon);
        }
    }
}

CFileTypeDlg::CFileTypeDlg(CWnd* pParent) : CDialog(IDD_FILE_TYPE, pParent), iconChoice(0)
{
    imageList.Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 3);
    AddFileTypeIcons(imageList);
}

void CFileTypeDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FILE_TYPE_ICON, iconCombo);
    DDX_Text(pDX, IDC_FILE_TYPE_EXTENSION, extension);
    DDX_CBIndex(pDX, IDC_FILE_TYPE_ICON, iconChoice);
    DDX_Text(pDX, IDC_FILE_TYPE_NAME, typeName);
}

BOOL CFileTypeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    iconCombo.SetImageList(&imageList);
    for (int i = 0; i < 3; ++i) {
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = i;
        item.iImage = i;
        item.iSelectedImage = i;
        iconCombo.InsertItem(&item);
    }
    iconCombo.SetItemHeight(0, kListItemHeight);
    // The items exist only now: the choice is shown again.
    iconCombo.SetCurSel(iconChoice);
    return TRUE;
}
