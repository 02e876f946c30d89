// Byte sinks: a Win32 file and a growable memory buffer.
#include "toolkit/ByteSinks.h"

#include <cstdlib>
#include <cstring>

CString LongPathForm(LPCWSTR path)
{
    CString p(path);
    // MAX_PATH counts the terminator, so 260 characters are already too many for the plain form.
    if (p.GetLength() < MAX_PATH || p.Left(4) == L"\\\\?\\")
        return p;
    // The prefixed form takes no relative parts and no forward slashes.
    DWORD need = ::GetFullPathNameW(path, 0, NULL, NULL);
    if (need > 0) {
        CString full;
        DWORD got = ::GetFullPathNameW(path, need, full.GetBuffer((int)need), NULL);
        full.ReleaseBuffer(got < need ? (int)got : -1);
        if (got > 0 && got < need)
            p = full;
    }
    if (p.Left(2) == L"\\\\")
        return L"\\\\?\\UNC\\" + p.Mid(2);
    return L"\\\\?\\" + p;
}

// CWin32File -----------------------------------------------------------------------------------

CWin32File::~CWin32File()
{
    Close();
}

int CWin32File::Open(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes)
{
    Close();
    if (!path || !*path)
        return -1;
    CString name = LongPathForm(path);
    m_hFile = ::CreateFileW(name, access, share, NULL, disposition, attributes, NULL);
    return IsOpen() ? 0 : -1;
}

int CWin32File::Close()
{
    if (!IsOpen())
        return 0;
    BOOL ok = ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    return ok ? 0 : -1;
}

__int64 CWin32File::GetSize()
{
    LARGE_INTEGER size;
    if (!IsOpen() || !::GetFileSizeEx(m_hFile, &size))
        return -1;
    return size.QuadPart;
}

int CWin32File::SetEndOfFile(__int64 offset)
{
    if (SeekTo(offset, FILE_BEGIN) != offset)
        return -1;
    return ::SetEndOfFile(m_hFile) ? 0 : -1;
}

__int64 CWin32File::Seek()
{
    return SeekTo(0, FILE_CURRENT);
}

__int64 CWin32File::SeekTo(__int64 offset, int origin)
{
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!IsOpen() || !::SetFilePointerEx(m_hFile, distance, &position, (DWORD)origin))
        return -1;
    return position.QuadPart;
}

int CWin32File::Read(void* buffer, DWORD count, DWORD* read)
{
    DWORD got = 0;
    if (read)
        *read = 0;
    if (!IsOpen() || !::ReadFile(m_hFile, buffer, count, &got, NULL))
        return -1;
    if (read)
        *read = got;
    return got == 0 && count > 0 ? 1 : 0;
}

int CWin32File::Write(const void* buffer, DWORD count, DWORD* written)
{
    DWORD put = 0;
    BOOL ok = IsOpen() && ::WriteFile(m_hFile, buffer, count, &put, NULL);
    if (written)
        *written = put;
    return ok ? 0 : -1;
}

int CWin32File::WriteAt(__int64 offset, const void* buffer, DWORD count, DWORD* written)
{
    OVERLAPPED at = {};
    at.Offset = (DWORD)(offset & 0xFFFFFFFF);
    at.OffsetHigh = (DWORD)((unsigned __int64)offset >> 32);
    DWORD put = 0;
    BOOL ok = IsOpen() && offset >= 0 && ::WriteFile(m_hFile, buffer, count, &put, &at);
    if (written)
        *written = put;
    return ok ? 0 : -1;
}

int CWin32File::Flush()
{
    return IsOpen() && ::FlushFileBuffers(m_hFile) ? 0 : -1;
}

// CMemoryStream --------------------------------------------------------------------------------

CMemoryStream::CMemoryStream(int growStep) : m_nGrowStep(growStep > 0 ? (size_t)growStep : 1024) {}

CMemoryStream::~CMemoryStream()
{
    free(m_pBuffer);
}

int CMemoryStream::Close()
{
    free(m_pBuffer);
    m_pBuffer = nullptr;
    m_nCapacity = 0;
    m_nSize = m_nPosition = 0;
    return 0;
}

bool CMemoryStream::Grow(__int64 needed)
{
    if (needed <= (__int64)m_nCapacity)
        return true;
    const unsigned __int64 limit = (unsigned __int64)(SIZE_MAX / 2);
    // At least doubled: a long body written block by block is then copied a few times in all
    // rather than once per block. Whole steps still, and only what fits when doubling would not.
    auto wholeSteps = [&](unsigned __int64 bytes) {
        return m_nCapacity + (bytes - m_nCapacity + m_nGrowStep - 1) / m_nGrowStep * m_nGrowStep;
    };
    unsigned __int64 capacity = wholeSteps((unsigned __int64)needed);
    const unsigned __int64 doubled = wholeSteps(2 * (unsigned __int64)m_nCapacity);
    if (doubled > capacity && doubled <= limit)
        capacity = doubled;
    if (capacity > limit)
        return false;
    BYTE* grown = (BYTE*)realloc(m_pBuffer, (size_t)capacity);
    if (!grown)
        return false;
    memset(grown + m_nCapacity, 0, (size_t)capacity - m_nCapacity);
    m_pBuffer = grown;
    m_nCapacity = (size_t)capacity;
    return true;
}

int CMemoryStream::SetEndOfFile(__int64 offset)
{
    if (offset < 0 || !Grow(offset))
        return -1;
    // Bytes past the new end read as zero when the stream is extended again.
    if (offset < m_nSize)
        memset(m_pBuffer + offset, 0, (size_t)(m_nSize - offset));
    m_nSize = offset;
    return 0;
}

__int64 CMemoryStream::SeekTo(__int64 offset, int origin)
{
    __int64 base;
    switch (origin) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: base = m_nPosition; break;
    case FILE_END: base = m_nSize; break;
    default: return -1;
    }
    __int64 to = base + offset;
    if (to < 0)
        return -1;
    m_nPosition = to;
    return to;
}

int CMemoryStream::Read(void* buffer, DWORD count, DWORD* read)
{
    if (read)
        *read = 0;
    if (m_nPosition >= m_nSize)
        return count > 0 ? 1 : 0;
    __int64 available = m_nSize - m_nPosition;
    DWORD n = available < (__int64)count ? (DWORD)available : count;
    memcpy(buffer, m_pBuffer + m_nPosition, n);
    m_nPosition += n;
    if (read)
        *read = n;
    return 0;
}

int CMemoryStream::Write(const void* buffer, DWORD count, DWORD* written)
{
    if (WriteAt(m_nPosition, buffer, count, written) != 0)
        return -1;
    m_nPosition += count;
    return 0;
}

int CMemoryStream::WriteAt(__int64 offset, const void* buffer, DWORD count, DWORD* written)
{
    if (written)
        *written = 0;
    if (offset < 0 || !Grow(offset + count))
        return -1;
    if (count)
        memcpy(m_pBuffer + offset, buffer, count);
    if (offset + count > m_nSize)
        m_nSize = offset + count;
    if (written)
        *written = count;
    return 0;
}
