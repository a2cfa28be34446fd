#pragma once

// Owns one reference to a COM interface and releases it when it goes. Standard C++ only: the
// Windows backend and the Windows views both hold COM references through it.

#include <utility>

namespace vespern {

template <typename Interface> class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() { reset(); }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    ComPointer(ComPointer&& other) noexcept
        : pointer_(std::exchange(other.pointer_, nullptr))
    {
    }
    ComPointer& operator=(ComPointer&& other) noexcept
    {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }

    // Where a call that hands out a reference puts it; any reference held before is released.
    Interface** out()
    {
        reset();
        return &pointer_;
    }
    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    void reset()
    {
        if (pointer_ != nullptr)
            std::exchange(pointer_, nullptr)->Release();
    }

    Interface* pointer_ = nullptr;
};

} // namespace vespern
