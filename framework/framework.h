// The framework in one include: Win32, the shell and common-control headers, and every framework class.
#pragma once

#include <windows.h>
#include <shlwapi.h>
#include <shellapi.h>
#include <commctrl.h>

#include "framework/String.h"
#include "framework/Collections.h"
#include "framework/Geometry.h"
#include "framework/Handles.h"
#include "framework/Wnd.h"
#include "framework/Menu.h"
#include "framework/CmdUI.h"
#include "framework/Thread.h"
#include "framework/App.h"
#include "framework/Frame.h"
#include "framework/ControlBar.h"
#include "framework/DocView.h"
#include "framework/Effects.h"

// The dialog and control classes join as their files appear.
#if __has_include("framework/ImageList.h")
#include "framework/ImageList.h"
#endif
#if __has_include("framework/Dialog.h")
#include "framework/Dialog.h"
#endif
#if __has_include("framework/Controls.h")
#include "framework/Controls.h"
#endif
#if __has_include("framework/Ddx.h")
#include "framework/Ddx.h"
#endif
#if __has_include("framework/PropertySheet.h")
#include "framework/PropertySheet.h"
#endif
#if __has_include("framework/Clipboard.h")
#include "framework/Clipboard.h"
#endif
