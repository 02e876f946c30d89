// The gifsicle optimiser run for animated GIF output.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CGifsicle {
public:
    CGifsicle() {}
    virtual ~CGifsicle() {}

    // Stores the path: 0, or -1 when no file exists there.
    virtual int SetPath(LPCWSTR path);
    // 0 when gifsicle wrote output from input at level (1 to 3; others give 3), else -1.
    virtual int Optimize(LPCWSTR input, LPCWSTR output, int level, const volatile int* cancel);
    // Runs the command line hidden; with a cancel flag the tool gets 3000 ms once it is set.
    // 0 for exit code 0, else -1.
    virtual int Run(LPCWSTR commandLine, const volatile int* cancel);

    CString m_strPath;
};

// gifsicle from the Modules folder: 0, or -1 when it is missing, the input is missing or it failed.
int OptimizeWithGifsicle(LPCWSTR input, LPCWSTR output, int level, const volatile int* cancel);
