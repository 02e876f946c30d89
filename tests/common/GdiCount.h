// How many GDI objects this process holds, for tests that look for a leak across repeated opens of a
// window. GetGuiResources answers on Windows; Wine's is a stub, so there the process's own GDI handle
// table (which Wine keeps where Windows keeps its shared one) is counted instead.
#pragma once

#include <windows.h>
#include <winternl.h>

namespace testgdi {

// -1 when neither way gives a count.
inline long CountProcessGdiObjects()
{
    ::SetLastError(0);
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported > 0 || ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return (long)reported;
    // Wine's table: 0x10000 entries of 24 bytes (the object's address, its owner, a unique count,
    // then its type, 0 for a free entry), pointed to by the process environment block.
    typedef NTSTATUS(NTAPI * QueryFn)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const QueryFn query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0 ||
        !basic.PebBaseAddress)
        return -1;
    const BYTE* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
#ifdef _WIN64
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + 0xF8);
#else
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + 0x94);
#endif
    if (!table)
        return -1;
    const size_t kEntries = 0x10000, kEntrySize = 24, kTypeAt = 14;
    long live = 0;
    for (size_t i = 0; i < kEntries; ++i)
        if (table[i * kEntrySize + kTypeAt] != 0)
            ++live;
    return live;
}

}  // namespace testgdi
