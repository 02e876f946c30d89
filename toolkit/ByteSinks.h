// The byte sinks a download writes into: an abstract stream, a Win32 file and a growable memory
// buffer. Positions and sizes are 64-bit; failures answer -1.
#pragma once

#include "framework/String.h"

#include <windows.h>

class CStream {
public:
    virtual ~CStream() {}
    virtual int Close() = 0;
    // Bytes in the stream, or -1.
    virtual __int64 GetSize() = 0;
    // Cuts (or extends) the stream at the offset.
    virtual int SetEndOfFile(__int64 offset) = 0;
    // The current position, or -1.
    virtual __int64 Seek() = 0;
    // Moves to the offset from the origin (FILE_BEGIN 0, FILE_CURRENT 1, FILE_END 2); the new
    // position, or -1.
    virtual __int64 SeekTo(__int64 offset, int origin) = 0;
    // 0 with data, 1 at the end, -1 on failure.
    virtual int Read(void* buffer, DWORD count, DWORD* read) = 0;
    virtual int Write(const void* buffer, DWORD count, DWORD* written) = 0;
    // Writes at an absolute offset.
    virtual int WriteAt(__int64 offset, const void* buffer, DWORD count, DWORD* written) = 0;
    virtual int Flush() = 0;
};

class CWin32File : public CStream {
public:
    CWin32File() {}
    ~CWin32File() override;
    CWin32File(const CWin32File&) = delete;
    CWin32File& operator=(const CWin32File&) = delete;

    // CreateFileW with the caller's access, share mode, disposition and attributes; a path longer
    // than MAX_PATH is opened through its "\\?\" form. 0 or -1.
    int Open(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes);
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return m_hFile; }

    int Close() override;
    __int64 GetSize() override;
    int SetEndOfFile(__int64 offset) override;
    __int64 Seek() override;
    __int64 SeekTo(__int64 offset, int origin) override;
    int Read(void* buffer, DWORD count, DWORD* read) override;
    int Write(const void* buffer, DWORD count, DWORD* written) override;
    int WriteAt(__int64 offset, const void* buffer, DWORD count, DWORD* written) override;
    int Flush() override;

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};

// Grows by whole steps, at least doubling, and zero-fills the new space; the size is the highest
// byte written.
class CMemoryStream : public CStream {
public:
    explicit CMemoryStream(int growStep = 1024);
    ~CMemoryStream() override;
    CMemoryStream(const CMemoryStream&) = delete;
    CMemoryStream& operator=(const CMemoryStream&) = delete;

    // The bytes written so far (GetSize() of them); null before the first write.
    const BYTE* GetBuffer() const { return m_pBuffer; }
    size_t GetCapacity() const { return m_nCapacity; }

    int Close() override;
    __int64 GetSize() override { return m_nSize; }
    int SetEndOfFile(__int64 offset) override;
    __int64 Seek() override { return m_nPosition; }
    __int64 SeekTo(__int64 offset, int origin) override;
    int Read(void* buffer, DWORD count, DWORD* read) override;
    int Write(const void* buffer, DWORD count, DWORD* written) override;
    int WriteAt(__int64 offset, const void* buffer, DWORD count, DWORD* written) override;
    int Flush() override { return 0; }

private:
    // Makes room for 'needed' bytes; false when that cannot be had.
    bool Grow(__int64 needed);

    size_t m_nGrowStep;
    size_t m_nCapacity = 0;
    __int64 m_nSize = 0;
    __int64 m_nPosition = 0;
    BYTE* m_pBuffer = nullptr;
};

// The path CreateFileW needs for 'path': paths longer than MAX_PATH get the "\\?\" prefix
// ("\\?\UNC\" for a network path); others are returned as they are.
CString LongPathForm(LPCWSTR path);
