// What the Explorer context-menu extensions (Brackel.dll for Lumivo, Nordane.dll for Ravento)
// export besides the four functions of an in-process COM server.
#pragma once

#include <windows.h>

// Starts the program: the executable's full path, the whole command line (the quoted executable
// followed by the quoted paths) and the folder to start in. TRUE when it started.
typedef BOOL(WINAPI* ShellExtStartFn)(LPCWSTR application, LPCWSTR commandLine, LPCWSTR directory);

// Replaces the start function (NULL restores CreateProcessW) and returns the previous one; tests
// that load the extension through COM reach it with GetProcAddress.
extern "C" ShellExtStartFn WINAPI SetProgramStartFunction(ShellExtStartFn fn);

// The class identifiers of the two extensions.
// {1A93AB19-5317-4C81-B782-A821B6101F54}
static const CLSID CLSID_LumivoContextMenu = {0x1a93ab19, 0x5317, 0x4c81, {0xb7, 0x82, 0xa8, 0x21, 0xb6, 0x10, 0x1f, 0x54}};
// {C71F059D-AD77-440C-B5FD-51CCA0EA02DE}
static const CLSID CLSID_RaventoContextMenu = {0xc71f059d, 0xad77, 0x440c, {0xb5, 0xfd, 0x51, 0xcc, 0xa0, 0xea, 0x02, 0xde}};
