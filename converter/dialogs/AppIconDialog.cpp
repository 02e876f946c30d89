// CAppIconDialog: Ravento's icon on a conversion dialog.
#include "converter/dialogs/AppIconDialog.h"

#include "converter/app/ConverterResource.h"


BEGIN_MESSAGE_MAP(CAppIconDialog, CConvertOptionsDialog)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
END_MESSAGE_MAP()

CAppIconDialog::CAppIconDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : CConvertOptionsDialog(nIDTemplate, pParentWnd), m_hBigIcon(nullptr), m_hSmallIcon(nullptr)
{
}

CAppIconDialog::~CAppIconDialog()
{
    if (m_hBigIcon)
        DestroyIcon(m_hBigIcon);
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
}

int CAppIconDialog::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (COEDialog::OnCreate(lpCreateStruct) == -1)
        return -1;
    HINSTANCE instance = AfxGetResourceHandle();
    m_hBigIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDR_CONVERTER_ICON), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    m_hSmallIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDR_CONVERTER_ICON), IMAGE_ICON, 16, 16, 0);
    return 0;
}

BOOL CAppIconDialog::OnInitDialog()
{
    CConvertOptionsDialog::OnInitDialog();
    SetIcon(m_hBigIcon, TRUE);
    SetIcon(m_hSmallIcon, FALSE);
    return TRUE;
}

void CAppIconDialog::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    dc.DrawIcon((client.Width() - cx + 1) / 2, (client.Height() - cy + 1) / 2, m_hBigIcon);
}

LRESULT CAppIconDialog::OnQueryDragIcon(WPARAM, LPARAM)
{
    return (LRESULT)m_hBigIcon;
}
