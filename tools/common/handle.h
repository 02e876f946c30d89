// Owner of one Win32 kernel handle (process, thread, pipe end, job, file) for the stand-in tools,
// which depend on no project library.
#pragma once

#include <windows.h>

namespace tooldetail {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_h(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    HANDLE Get() const { return m_h; }
    // For the Win32 calls that return a handle through a pointer; the old one is closed first.
    HANDLE* Receive()
    {
        Reset();
        return &m_h;
    }
    bool IsValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    HANDLE Release()
    {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }
    void Reset(HANDLE h = nullptr)
    {
        if (IsValid())
            CloseHandle(m_h);
        m_h = h;
    }

private:
    HANDLE m_h = nullptr;
};

}  // namespace tooldetail
