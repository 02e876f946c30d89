// The wWinMain of a program: include this header in exactly one source file of the program.
// It is kept out of the framework library so that the test executables keep their own main.
#pragma once

#include "framework/App.h"

extern "C" int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
