// File types and associations in the registry: the ProgID with its icon and open command, the
// extension pointing at it, the previous owner restored, keys of other programs left alone, and
// the ".playlist" type registered at start-up the way the file-type table lists it.
#include <gtest/gtest.h>

#include "PlayerTestSupport.h"
#include "framework/Handles.h"
#include "player/settings/FileTypeAssoc.h"

using namespace playertest;

namespace {

const wchar_t kExt[] = L".lvtst";
const wchar_t kOther[] = L"Other.Player.lvtst";

class FileTypes : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_progId = MakeFileTypeProgId(kExt);
        Clean();
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        m_exe = exe;
    }
    void TearDown() override { Clean(); }
    void Clean()
    {
        CRegKey::DeleteTree(GetFileTypeRoot(), GetFileTypeKeyPath(kExt));
        CRegKey::DeleteTree(GetFileTypeRoot(), GetFileTypeKeyPath(m_progId));
    }
    bool KeyExists(const CString& name)
    {
        CRegKey key;
        return key.Open(GetFileTypeRoot(), GetFileTypeKeyPath(name), KEY_READ) == ERROR_SUCCESS;
    }
    void SetDefault(const CString& name, LPCWSTR value)
    {
        CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(GetFileTypeRoot(), GetFileTypeKeyPath(name)));
        ASSERT_EQ(ERROR_SUCCESS, key.SetStringValue(nullptr, value));
    }

    CString m_progId;
    CString m_exe;
};

}  // namespace

TEST_F(FileTypes, TheUsersOwnClassesHoldTheKeysOnThisSystem)
{
    EXPECT_EQ(HKEY_CURRENT_USER, GetFileTypeRoot());
    EXPECT_EQ(L"Software\\Classes\\.mp4", GetFileTypeKeyPath(L".mp4"));
    EXPECT_EQ(L"TarveloSoftware.Lumivo.mp4", MakeFileTypeProgId(L".mp4"));
    EXPECT_EQ(L"TarveloSoftware.Lumivo.mykind", MakeFileTypeProgId(L". my kind"));
}

TEST_F(FileTypes, AProgIdNamesItsDescriptionIconAndOpenCommand)
{
    CFileTypeAssoc type(kExt, m_progId, L"Test Video", 2);
    EXPECT_FALSE(type.IsProgIdWritten());
    ASSERT_TRUE(type.WriteProgId(m_exe));
    EXPECT_TRUE(type.IsProgIdWritten());
    EXPECT_EQ(L"Test Video", FileTypeKeyDefault(m_progId));
    EXPECT_EQ(m_exe + L",2", FileTypeKeyDefault(m_progId + L"\\DefaultIcon"));
    EXPECT_EQ(L"\"" + m_exe + L"\" \"%1\"", FileTypeKeyDefault(m_progId + L"\\shell\\open\\command"));

    // Another description means the ProgID is not this type's.
    CFileTypeAssoc renamed(kExt, m_progId, L"Renamed", 2);
    EXPECT_FALSE(renamed.IsProgIdWritten());

    // An icon the executable does not have falls back to the program icon.
    CFileTypeAssoc missing(kExt, m_progId, L"Test Video", 9);
    ASSERT_TRUE(missing.WriteProgId(m_exe));
    EXPECT_EQ(m_exe + L",0", FileTypeKeyDefault(m_progId + L"\\DefaultIcon"));

    ASSERT_TRUE(type.DeleteProgId());
    EXPECT_FALSE(KeyExists(m_progId));
    EXPECT_TRUE(KeyExists(L""));

    // Without an icon there is no icon key.
    CFileTypeAssoc plain(kExt, m_progId, L"Plain", -1);
    ASSERT_TRUE(plain.WriteProgId(m_exe));
    EXPECT_FALSE(KeyExists(m_progId + L"\\DefaultIcon"));
    EXPECT_TRUE(KeyExists(m_progId + L"\\shell\\open\\command"));
}

TEST_F(FileTypes, AssociatingReportsThePreviousOwnerAndRemovingRestoresIt)
{
    SetDefault(kExt, kOther);
    CFileTypeAssoc type(kExt, m_progId, L"Test Video", 2);
    EXPECT_FALSE(type.IsAssociated());
    // Pointing elsewhere: removing does nothing.
    EXPECT_FALSE(type.RemoveAssociation(nullptr));
    EXPECT_EQ(kOther, FileTypeKeyDefault(kExt));

    CString previous = L"stale";
    ASSERT_TRUE(type.Associate(previous));
    EXPECT_EQ(kOther, previous);
    EXPECT_TRUE(type.IsAssociated());
    EXPECT_EQ(m_progId, FileTypeKeyDefault(kExt));

    // Associating again reports this program itself as the owner before.
    ASSERT_TRUE(type.Associate(previous));
    EXPECT_EQ(m_progId, previous);
    EXPECT_TRUE(type.IsAssociated());

    EXPECT_TRUE(type.RemoveAssociation(kOther));
    EXPECT_EQ(kOther, FileTypeKeyDefault(kExt));
    EXPECT_FALSE(type.IsAssociated());
}

TEST_F(FileTypes, RemovingWithoutAnOwnerRemovesTheKeyOrLeavesItWithoutUs)
{
    CFileTypeAssoc type(kExt, m_progId, L"Test Video", 2);
    CString previous;
    ASSERT_TRUE(type.Associate(previous));
    EXPECT_TRUE(previous.IsEmpty());
    EXPECT_TRUE(type.RemoveAssociation(nullptr));
    EXPECT_FALSE(KeyExists(kExt));

    // A shell extension of another program below the extension keeps the key, which must then
    // no longer name this program.
    ASSERT_TRUE(type.Associate(previous));
    SetDefault(CString(kExt) + L"\\ShellEx\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}", L"{other}");
    EXPECT_TRUE(type.RemoveAssociation(m_progId));
    EXPECT_TRUE(KeyExists(CString(kExt) + L"\\ShellEx"));
    EXPECT_EQ(L"<none>", FileTypeKeyDefault(kExt));
    EXPECT_FALSE(type.IsAssociated());
}

TEST_F(FileTypes, EmptyOrNestedNamesTouchNothing)
{
    CString previous;
    for (CFileTypeAssoc* type : {new CFileTypeAssoc(L"", m_progId, L"d", 2), new CFileTypeAssoc(kExt, L"", L"d", 2),
                                 new CFileTypeAssoc(L".x\\..\\.y", m_progId, L"d", 2),
                                 new CFileTypeAssoc(kExt, L"Software\\Evil", L"d", 2)}) {
        EXPECT_FALSE(type->WriteProgId(m_exe));
        EXPECT_FALSE(type->Associate(previous));
        EXPECT_FALSE(type->IsAssociated());
        EXPECT_FALSE(type->IsProgIdWritten());
        EXPECT_FALSE(type->RemoveAssociation(nullptr));
        EXPECT_FALSE(type->DeleteProgId());
        delete type;
    }
    EXPECT_FALSE(KeyExists(kExt));
    EXPECT_FALSE(KeyExists(m_progId));
    EXPECT_FALSE(KeyExists(L".y"));
}

TEST_F(FileTypes, ThePlaylistTypeRegisteredAtStartUpIsTheOneTheTableShowsTicked)
{
    CString ext = kPlaylistTypeExtension;
    CString progId = MakeFileTypeProgId(ext);
    CString before = FileTypeKeyDefault(ext);
    ASSERT_TRUE(RegisterPlaylistFileType(nullptr, m_exe)) << "without a table entry: the default one";

    CPlayerTestApp app;
    app.Settings().LoadSettings();
    CFileTypeAssoc* listed = app.Settings().FindFileType(ext);
    ASSERT_TRUE(listed);
    // The settings sheet ticks a row when both tests hold; with another description or icon it
    // would show ".playlist" unticked and undo the association on OK.
    EXPECT_TRUE(listed->IsAssociated());
    EXPECT_TRUE(listed->IsProgIdWritten());
    EXPECT_EQ(m_exe + L",4", FileTypeKeyDefault(progId + L"\\DefaultIcon"));
    EXPECT_EQ(progId, FileTypeKeyDefault(ext));

    CFileTypeAssoc(ext, progId, kPlaylistTypeName, kPlaylistTypeIcon).DeleteProgId();
    CRegKey::DeleteTree(GetFileTypeRoot(), GetFileTypeKeyPath(ext));
    if (before != L"<none>")
        SetDefault(ext, before);
}
