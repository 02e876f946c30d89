// Byte streams under every codec: an abstract stream, one over a stdio file and one over a
// heap buffer that grows while it is written.
#pragma once

#include <cstdio>
#include <cstddef>

class CByteStream
{
public:
    virtual ~CByteStream() {}
    virtual bool Close() = 0;
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    virtual bool Seek(long offset, int origin) = 0;
    virtual long Tell() = 0;
    virtual long Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual bool Error() = 0;
    virtual bool PutChar(unsigned char c)
    {
        return Write(&c, 1, 1) == 1;
    }
    virtual long GetChar() = 0;
    virtual char* GetString(char* buffer, int n) = 0;
    virtual long Scanf(const char* format, void* argument) = 0;
};

class CFileByteStream : public CByteStream
{
public:
    explicit CFileByteStream(FILE* file = nullptr);
    ~CFileByteStream() override;

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(long offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    bool Error() override;
    bool PutChar(unsigned char c) override;
    long GetChar() override;
    char* GetString(char* buffer, int n) override;
    long Scanf(const char* format, void* argument) override;

private:
    FILE* m_file;
    bool m_closeOnDestroy;
};

class CMemoryByteStream : public CByteStream
{
public:
    CMemoryByteStream(unsigned char* buffer = nullptr, size_t size = 0);
    ~CMemoryByteStream() override;

    bool Open();
    unsigned char* GetBuffer(bool detach = true);
    long Capacity() const { return (long)m_capacity; }

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(long offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    bool Error() override;
    bool PutChar(unsigned char c) override;
    long GetChar() override;
    char* GetString(char* buffer, int n) override;
    long Scanf(const char* format, void* argument) override;

private:
    bool Grow(size_t needed);
    void ZeroGapBeforePosition();

    unsigned char* m_buffer;
    size_t m_size;
    bool m_ownsBuffer;
    size_t m_position;
    size_t m_capacity;
    bool m_eof;
};
