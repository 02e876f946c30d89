// Helpers for the stand-in tools that front a Windows ffmpeg build: finding the wrapped program
// beside the tool, handing on the tool's own arguments untouched, and quoting new ones.
#pragma once

#include <windows.h>

#include <string>

namespace tooldetail {

// The folder of this executable, with a trailing backslash.
std::wstring ModuleFolder();

// The wrapped program: "<folder>\<name>" or "<folder>\ffmpeg\<name>"; empty when neither exists.
std::wstring FindBeside(const wchar_t* name);

// The raw arguments after the program name of GetCommandLineW(), so quoting survives exactly.
std::wstring RawArguments();

// Runs "program" + " " + args with the standard handles inherited and returns its exit code,
// or -1 when it cannot be started.
int RunInherited(const std::wstring& program, const std::wstring& args);

// One argument written so that CommandLineToArgvW and the C runtime read it back unchanged: as it
// is unless it is empty or holds a character of 'quoteFor' (blank, tab and quote at least), else
// quoted, with the backslashes before a quote (the closing one included) doubled.
std::wstring QuoteArgument(const std::wstring& arg, const wchar_t* quoteFor);

// The console flag for starting a wrapped program: a tool that has a console shares it with the
// program (0); one started without a console starts the program without one too
// (DETACHED_PROCESS), since a console program would otherwise get a console host of its own,
// which costs a process start (and on Wine a hidden console window) on every run.
DWORD ChildConsoleFlags();

}  // namespace tooldetail
