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

#include "framework/ImageList.h"
#include "framework/Dialog.h"
#include "framework/Controls.h"
#include "framework/Ddx.h"
#include "framework/PropertySheet.h"
#include "framework/FileDialog.h"
#include "framework/Clipboard.h"
#include "framework/RectTracker.h"
