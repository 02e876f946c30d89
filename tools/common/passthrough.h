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
// or -1 when it cannot be started (StartWrapped, for the tool named 'tool').
int RunInherited(const wchar_t* tool, const std::wstring& program, const std::wstring& args);

// CreateProcessW of a wrapped program with its whole command line, no environment or folder of
// its own. A start that the system refuses for a moment is tried again a few times, a little later
// each time (0.2 + 0.4 + 0.6 + 0.8 s at most): a loaded Wine answers ERROR_INTERNAL_ERROR when the
// new process dies before it is up, and a file just written may still be held by a scanner. An
// error that says the program can never start as asked ends the tries at once. Each refusal that
// is tried again is said on the tool's standard error, after 'tool' (its name). false (with
// GetLastError) when no try started it.
bool StartWrapped(const wchar_t* tool, const std::wstring& program, const std::wstring& commandLine, DWORD flags,
                  STARTUPINFOW& startup, PROCESS_INFORMATION& process);

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
