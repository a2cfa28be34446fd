#include "PointerTokens.h"

namespace vespern {

std::uint32_t PointerTokens::TokenFor(const void* pointer)
{
    if (pointer == nullptr)
        return 0;
    if constexpr (PointersFit)
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
    if (const auto known = tokens_.find(pointer); known != tokens_.end())
        return known->second;
    const std::uint32_t token = next_++;
    tokens_.emplace(pointer, token);
    pointers_.emplace(token, const_cast<void*>(pointer));
    return token;
}

void* PointerTokens::PointerOf(std::uint32_t token) const
{
    if constexpr (PointersFit)
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(token));
    const auto known = pointers_.find(token);
    return known == pointers_.end() ? nullptr : known->second;
}

void PointerTokens::Forget(std::uint32_t token)
{
    if constexpr (PointersFit)
        return;
    const auto known = pointers_.find(token);
    if (known == pointers_.end())
        return;
    tokens_.erase(known->second);
    pointers_.erase(known);
}

} // namespace vespern
