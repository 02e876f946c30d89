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
#include "framework/Thread.h"
#include "framework/App.h"
#include "framework/Effects.h"
