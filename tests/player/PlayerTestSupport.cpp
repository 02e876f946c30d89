// Shared equipment of the player tests.
#include "PlayerTestSupport.h"

#include <stdlib.h>

#include "framework/Handles.h"
#include "image/RasterImage.h"
#include "player/settings/FileTypeAssoc.h"

namespace playertest {

const wchar_t kTestMaker[] = L"Tarvelo Software Player Tests";
const wchar_t kTestAppName[] = L"LumivoTest";

CPlayerTestApp::CPlayerTestApp(bool withSharedResources)
{
    DeleteProfile();
    m_app.reset(new CWinApp(kTestAppName));
    m_app->SetRegistryKey(kTestMaker);
    m_settings.reset(new CPlayerSettings);
    SetPlayerSettings(m_settings.get());
    if (withSharedResources) {
        m_resources.reset(new CSharedResources);
        SetSharedResources(m_resources.get());
    }
}

CPlayerTestApp::~CPlayerTestApp()
{
    SetSharedResources(nullptr);
    SetPlayerSettings(nullptr);
    m_resources.reset();
    m_settings.reset();
    m_app.reset();
    DeleteProfile();
}

CString CPlayerTestApp::KeyPath() const
{
    return CString(L"Software\\") + kTestMaker + L"\\" + kTestAppName;
}

void CPlayerTestApp::DeleteProfile()
{
    CRegKey::DeleteTree(HKEY_CURRENT_USER, CString(L"Software\\") + kTestMaker);
}

std::string ReadBytes(LPCWSTR path)
{
    CHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file.IsValid())
        return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(file, buf, sizeof(buf), &got, nullptr) && got > 0)
        bytes.append(buf, got);
    return bytes;
}

bool WriteBytes(LPCWSTR path, const std::string& bytes)
{
    CHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file.IsValid() && WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
           written == bytes.size();
}

bool FileExists(LPCWSTR path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

int CountFolderEntries(LPCWSTR folder)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(CString(folder) + L"\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            ++n;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return n;
}

CString FileTypeKeyDefault(const CString& name)
{
    CRegKey key;
    CString value;
    if (key.Open(GetFileTypeRoot(), GetFileTypeKeyPath(name), KEY_READ) != ERROR_SUCCESS ||
        key.QueryStringValue(nullptr, value) != ERROR_SUCCESS)
        return L"<none>";
    return value;
}

void MakeTestPicture(CRasterImage& image, int width, int height, unsigned seed)
{
    image.Create(width, height, 24, ImageTypeBMP);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            RGBQUAD c = {};
            c.rgbRed = (BYTE)(x * 255 / (width > 1 ? width - 1 : 1));
            c.rgbGreen = (BYTE)(y * 255 / (height > 1 ? height - 1 : 1));
            c.rgbBlue = (BYTE)(((x / 16 + y / 16 + seed) % 2) ? 200 : 40);
            image.SetPixelColor(x, y, c);
        }
}

double MeanDifference(const CRasterImage& a, const CRasterImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetWidth() <= 0)
        return 1e9;
    double sum = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x) {
            RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            sum += abs(p.rgbRed - q.rgbRed) + abs(p.rgbGreen - q.rgbGreen) + abs(p.rgbBlue - q.rgbBlue);
        }
    return sum / (3.0 * a.GetWidth() * a.GetHeight());
}

}  // namespace playertest
