// Where both programs find their tools: the Modules folder beside the program, or the system's
// search rules for a tool that is not there.
#pragma once

#include <windows.h>

#include "framework/String.h"

// "<program folder>\Modules".
CString GetModulesFolder();
// The tool in the given folder when it is there, else its bare name for the system's search rules.
CString FindModuleTool(const CString& folder, LPCWSTR name);
