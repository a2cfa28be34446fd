#pragma once

#include "../WindowsApi.h"

#include <utility>

namespace vespern::ui {

// Owns one GDI object (font, brush, bitmap) and deletes it when it goes.
template <typename Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle)
        : handle_(handle)
    {
    }
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr))
    {
    }
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    void reset()
    {
        if (handle_ != nullptr)
            ::DeleteObject(std::exchange(handle_, nullptr));
    }

    Handle handle_ = nullptr;
};

} // namespace vespern::ui
