#pragma once

// The program's 8-bit texts are in the system code page, which is UTF-8 on Linux; the few
// operations that take wide text (a link file's path) get UTF-16. A byte that is not UTF-8 (a
// file name in an older code page) travels as the lone surrogate U+DC80 to U+DCFF and comes back
// as that same byte, so a path names the same file after the round trip.

#include <cstdint>
#include <string>
#include <string_view>

namespace vespern {

// The UTF-8 bytes of one code point, a surrogate included (as WTF-8 has them).
inline void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// surrogates: the three bytes of a surrogate code point stand for that unit (text that came
// from UTF-16 with a unit alone), instead of for three bytes.
inline std::u16string Utf16FromCodePage(std::string_view text, bool surrogates = false)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
        std::uint32_t code = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
        bool valid = length > 1 && lead < 0xF5 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3Fu);
        }
        const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (!valid || code < smallest || code > 0x10FFFF || (!surrogates && code >= 0xD800 && code <= 0xDFFF)) {
            out += static_cast<char16_t>(lead < 0x80 ? lead : 0xDC00 + lead);
            ++i;
            continue;
        }
        i += length;
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

inline std::string CodePageFromUtf16(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00u);
        if (code >= 0xDC80 && code <= 0xDCFF)
            out += static_cast<char>(code - 0xDC00);
        else
            AppendUtf8(out, code);
    }
    return out;
}

} // namespace vespern
