// Owner of the kernel handles the playback tool keeps (processes, pipes, events, the job).
#pragma once

#include <windows.h>

namespace drumlin {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(Valid(h) ? h : nullptr) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HANDLE Release()
    {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    void Reset(HANDLE h = nullptr)
    {
        if (h_)
            CloseHandle(h_);
        h_ = Valid(h) ? h : nullptr;
    }

private:
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    HANDLE h_ = nullptr;
};

}  // namespace drumlin
