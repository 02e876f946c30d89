// Shared equipment of the player tests: an application object with a registry key of its own,
// the player's settings and shared resources set as the process-wide ones, scratch folders and
// small files and pictures.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "engine/EngineTestSupport.h"
#include "framework/App.h"
#include "framework/String.h"
#include "player/app/SharedResources.h"
#include "player/settings/PlayerSettings.h"

class CRasterImage;

namespace playertest {

// The maker key the tests' application objects use instead of the program's own.
extern const wchar_t kTestMaker[];
extern const wchar_t kTestAppName[];

// An application object whose profile lives under HKCU\Software\<kTestMaker>\<kTestAppName>,
// emptied before and after, with settings (and, when asked, shared resources) published as the
// process-wide ones for the object's life.
class CPlayerTestApp {
public:
    explicit CPlayerTestApp(bool withSharedResources = false);
    ~CPlayerTestApp();
    CPlayerTestApp(const CPlayerTestApp&) = delete;
    CPlayerTestApp& operator=(const CPlayerTestApp&) = delete;

    CWinApp& App() { return *m_app; }
    CPlayerSettings& Settings() { return *m_settings; }
    CSharedResources* Resources() { return m_resources.get(); }
    // HKCU path of the application key.
    CString KeyPath() const;
    // Deletes the whole test profile.
    static void DeleteProfile();

private:
    std::unique_ptr<CWinApp> m_app;
    std::unique_ptr<CPlayerSettings> m_settings;
    std::unique_ptr<CSharedResources> m_resources;
};

using enginetest::GetEnv;
using enginetest::MakeAwkwardFolder;
using enginetest::ReadUtf8File;
using enginetest::WaitUntil;
using enginetest::WriteUtf8File;

// The bytes of a file ("" when it cannot be read) and writing raw bytes.
std::string ReadBytes(LPCWSTR path);
bool WriteBytes(LPCWSTR path, const std::string& bytes);
bool FileExists(LPCWSTR path);
// Names in a folder (files and folders, without "." and "..").
int CountFolderEntries(LPCWSTR folder);
// The default value of a key below the file types' classes root; "<none>" without key or value.
CString FileTypeKeyDefault(const CString& name);

// A 24-bit picture with a colour gradient and a few blocks, so that JPEG keeps it recognisable.
void MakeTestPicture(CRasterImage& image, int width, int height, unsigned seed = 1);
// The mean absolute difference per channel of two pictures of one size (large for any other).
double MeanDifference(const CRasterImage& a, const CRasterImage& b);

}  // namespace playertest
