#pragma once

// The 32-bit numbers the core holds for pointers the system hands out (modules, entries, interface
// pointers, item identifier lists). In the i386 build a pointer is its own number; a 64-bit build
// (Wine on a machine without 32-bit support) gives each pointer a number of its own.

#include <cstdint>
#include <unordered_map>

namespace vespern {

class PointerTokens {
public:
    static constexpr bool PointersFit = sizeof(void*) == sizeof(std::uint32_t);

    // 0 for a null pointer; the same number for the same pointer.
    std::uint32_t TokenFor(const void* pointer);
    // nullptr for 0 or a number never handed out.
    void* PointerOf(std::uint32_t token) const;
    // The number is not used again for that pointer (a released object, a freed list).
    void Forget(std::uint32_t token);

private:
    std::unordered_map<std::uint32_t, void*> pointers_;
    std::unordered_map<const void*, std::uint32_t> tokens_;
    std::uint32_t next_ = 0x10000;
};

} // namespace vespern
