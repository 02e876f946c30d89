// File and memory byte streams.
#include "image/ByteStream.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

CFileByteStream::CFileByteStream(FILE* file)
    : m_file(file), m_closeOnDestroy(file == nullptr)
{
}

CFileByteStream::~CFileByteStream()
{
    Close();
}

bool CFileByteStream::Close()
{
    bool ok = true;
    if (m_file && m_closeOnDestroy)
        ok = fclose(m_file) == 0;
    // A caller's file stays open: it is the caller's to close.
    m_file = nullptr;
    return ok;
}

size_t CFileByteStream::Read(void* buffer, size_t size, size_t count)
{
    return m_file ? fread(buffer, size, count, m_file) : 0;
}

size_t CFileByteStream::Write(const void* buffer, size_t size, size_t count)
{
    return m_file ? fwrite(buffer, size, count, m_file) : 0;
}

bool CFileByteStream::Seek(long offset, int origin)
{
    return m_file && fseek(m_file, offset, origin) == 0;
}

long CFileByteStream::Tell()
{
    return m_file ? ftell(m_file) : -1;
}

long CFileByteStream::Size()
{
    if (!m_file)
        return -1;
    long position = ftell(m_file);
    fseek(m_file, 0, SEEK_END);
    long size = ftell(m_file);
    fseek(m_file, position, SEEK_SET);
    return size;
}

bool CFileByteStream::Flush()
{
    return m_file && fflush(m_file) == 0;
}

bool CFileByteStream::Eof()
{
    return m_file ? feof(m_file) != 0 : true;
}

bool CFileByteStream::Error()
{
    return m_file ? ferror(m_file) != 0 : true;
}

bool CFileByteStream::PutChar(unsigned char c)
{
    return m_file && fputc(c, m_file) == c;
}

long CFileByteStream::GetChar()
{
    return m_file ? fgetc(m_file) : -1;
}

char* CFileByteStream::GetString(char* buffer, int n)
{
    return m_file ? fgets(buffer, n, m_file) : nullptr;
}

long CFileByteStream::Scanf(const char* format, void* argument)
{
    return m_file ? fscanf(m_file, format, argument) : -1;
}

CMemoryByteStream::CMemoryByteStream(unsigned char* buffer, size_t size)
    : m_buffer(buffer), m_size(buffer ? size : 0), m_ownsBuffer(buffer == nullptr), m_position(0),
      m_capacity(buffer ? size : 0), m_eof(false)
{
}

CMemoryByteStream::~CMemoryByteStream()
{
    Close();
}

bool CMemoryByteStream::Open()
{
    if (m_buffer)
        return false;
    m_position = m_size = m_capacity = 0;
    m_buffer = (unsigned char*)malloc(1);
    m_ownsBuffer = true;
    return m_buffer != nullptr;
}

unsigned char* CMemoryByteStream::GetBuffer(bool detach)
{
    if (detach)
        m_ownsBuffer = false;
    return m_buffer;
}

bool CMemoryByteStream::Close()
{
    if (m_buffer && m_ownsBuffer)
        free(m_buffer);
    m_buffer = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_position = 0;
    return true;
}

bool CMemoryByteStream::Grow(size_t needed)
{
    if (m_capacity >= needed)
        return m_buffer != nullptr;
    // A caller's buffer is never reallocated: it may be a resource or a block the caller frees.
    if (m_buffer && !m_ownsBuffer)
        return false;
    uint64_t capacity = ((uint64_t)needed / 65536) * 65536 + 65536;
    if (capacity > (uint64_t)LONG_MAX)
        return false;
    unsigned char* grown = (unsigned char*)realloc(m_buffer, (size_t)capacity);
    if (!grown)
        return false;
    m_buffer = grown;
    m_capacity = (size_t)capacity;
    m_ownsBuffer = true;
    return true;
}

void CMemoryByteStream::ZeroGapBeforePosition()
{
    // Bytes between the old end and a position seeked beyond it hold no data yet.
    if (m_position > m_size)
        memset(m_buffer + m_size, 0, m_position - m_size);
}

size_t CMemoryByteStream::Read(void* buffer, size_t size, size_t count)
{
    if (!buffer || !m_buffer)
        return 0;
    if (m_position >= m_size)
    {
        m_eof = true;
        return 0;
    }
    uint64_t wanted = (uint64_t)size * count;
    if (wanted == 0)
        return 0;
    uint64_t left = m_size - m_position;
    if (wanted > left)
    {
        m_eof = true;
        wanted = left;
    }
    memcpy(buffer, m_buffer + m_position, (size_t)wanted);
    m_position += (size_t)wanted;
    return (size_t)(wanted / size);
}

size_t CMemoryByteStream::Write(const void* buffer, size_t size, size_t count)
{
    m_eof = false;
    if (!m_buffer || !buffer)
        return 0;
    uint64_t n = (uint64_t)size * count;
    if (n == 0)
        return 0;
    uint64_t end = m_position + n;
    if (end > (uint64_t)LONG_MAX || !Grow((size_t)end))
        return 0;
    ZeroGapBeforePosition();
    memcpy(m_buffer + m_position, buffer, (size_t)n);
    m_position = (size_t)end;
    if (m_position > m_size)
        m_size = m_position;
    return count;
}

bool CMemoryByteStream::Seek(long offset, int origin)
{
    m_eof = false;
    if (!m_buffer)
        return false;
    int64_t position;
    switch (origin)
    {
    case SEEK_SET: position = offset; break;
    case SEEK_CUR: position = (int64_t)m_position + offset; break;
    case SEEK_END: position = (int64_t)m_size + offset; break;
    default: return false;
    }
    if (position < 0)
        position = 0;
    if (position > LONG_MAX)
        position = LONG_MAX;
    m_position = (size_t)position;
    return true;
}

long CMemoryByteStream::Tell()
{
    return m_buffer ? (long)m_position : -1;
}

long CMemoryByteStream::Size()
{
    return m_buffer ? (long)m_size : -1;
}

bool CMemoryByteStream::Flush()
{
    return m_buffer != nullptr;
}

bool CMemoryByteStream::Eof()
{
    return m_buffer ? m_eof : true;
}

bool CMemoryByteStream::Error()
{
    return m_buffer ? m_position > m_size : true;
}

bool CMemoryByteStream::PutChar(unsigned char c)
{
    m_eof = false;
    if (!m_buffer)
        return false;
    if (m_position >= m_capacity && !Grow(m_position + 1))
        return false;
    ZeroGapBeforePosition();
    m_buffer[m_position++] = c;
    if (m_position > m_size)
        m_size = m_position;
    return true;
}

long CMemoryByteStream::GetChar()
{
    if (m_buffer && m_position < m_size)
        return m_buffer[m_position++];
    m_eof = true;
    return -1;
}

char* CMemoryByteStream::GetString(char* buffer, int n)
{
    if (!buffer || n <= 0)
        return nullptr;
    int stored = 0;
    while (stored < n - 1)
    {
        long c = GetChar();
        if (c == -1)
            return nullptr;
        buffer[stored++] = (char)c;
        if (c == '\n')
            break;
    }
    buffer[stored] = 0;
    return buffer;
}

long CMemoryByteStream::Scanf(const char*, void*)
{
    return 0;
}
