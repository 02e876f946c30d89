// Where the programs find their tools: the Modules folder beside the executable.
#pragma once

#include "framework/String.h"

// The application folder's "Modules" folder, where the tools and the presets live.
CString GetModulesFolder();
// The tool 'name' in 'folder' when it is there, else its bare name for the system's search rules.
CString ToolPath(const CString& folder, const wchar_t* name);
