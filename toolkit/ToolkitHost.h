// The services the toolkit asks of the program that runs it: the shared cursor and fonts, the
// settings the toolkit's frames and update check keep, and the program's names and addresses.
// Each program (and each test) sets one at start-up; the toolkit never includes a program header.
#pragma once

#include "framework/Handles.h"
#include "framework/String.h"

class CToolkitHost {
public:
    virtual ~CToolkitHost() {}

    // Shared resources, owned by the program and valid while the host is set -------------------

    // The link cursor (cursor 401 of the program's resources).
    virtual HCURSOR GetHandCursor() = 0;
    // The shared UI fonts: normal, bold, underlined and large; and the font of the menu bar.
    virtual CFont* GetNormalFont() = 0;
    virtual CFont* GetBoldFont() = 0;
    virtual CFont* GetUnderlineFont() = 0;
    virtual CFont* GetLargeFont() = 0;
    virtual CFont* GetMenuFont() = 0;

    // Settings (section "Settings" of the program's profile) ------------------------------------

    // "MainWindow.Left", "MainWindow.Top", "MainWindow.Width", "MainWindow.Height";
    // -1, -1, 0, 0 when none is saved.
    virtual void GetMainWindowRect(int& left, int& top, int& width, int& height) = 0;
    virtual void SetMainWindowRect(int left, int top, int width, int height) = 0;
    // "AutoCheckUpdate" and "AutoCheckUpdate.Days".
    virtual BOOL GetAutoCheckUpdate() = 0;
    virtual void SetAutoCheckUpdate(BOOL on) = 0;
    virtual int GetAutoCheckUpdateDays() = 0;
    // "LastUpdateCheck": seconds since 1970 of the last update check, 0 when never.
    virtual __int64 GetLastUpdateCheck() = 0;
    virtual void SetLastUpdateCheck(__int64 seconds) = 0;

    // The program's identity and the maker's addresses --------------------------------------------

    // "Lumivo" or "Ravento", and the version both programs share ("3.3.0").
    virtual CString GetProductName() = 0;
    virtual CString GetProductVersion() = 0;
    // The update feed (update.xml), the product page shown for a new version, the maker's web
    // site and the support e-mail address.
    virtual CString GetUpdateFeedUrl() = 0;
    virtual CString GetProductPageUrl() = 0;
    virtual CString GetWebSiteUrl() = 0;
    virtual CString GetSupportMailAddress() = 0;
    // The notice line of the About box.
    virtual CString GetNoticeText() = 0;

    // The Explorer context-menu extension of the program: its DLL in the application folder
    // ("Brackel.dll" or "Nordane.dll") and the name of its handler keys ("TarveloSoftware.Lumivo").
    virtual CString GetShellExtensionFileName() = 0;
    virtual CString GetShellExtensionHandlerName() = 0;
};

// The host is set once at start-up and never owned by the toolkit; null clears it.
void SetToolkitHost(CToolkitHost* host);
// Null until a program has set its host.
CToolkitHost* GetToolkitHost();
