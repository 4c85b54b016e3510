// UTF-8 sequences, and Windows-1252 read into UTF-8.
#include "io/encoding.hpp"

#include <array>

int utf8_sequence_length(const unsigned char* text)
{
    unsigned char lead = text[0];
    if (lead < 0x80)
        return 1;
    int length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (int i = 1; i < length; ++i)
        if (text[i] < (i == 1 ? low : 0x80) || text[i] > (i == 1 ? high : 0xBF))
            return 0;
    return length;
}

bool is_valid_utf8(const char* text, std::size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; i < length;) {
        // A sequence cut by the end of the text is not valid; nothing past the end is read.
        unsigned char lead = bytes[i];
        std::size_t needed = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (i + needed > length)
            return false;
        int sequence = utf8_sequence_length(bytes + i);
        if (sequence == 0)
            return false;
        i += static_cast<std::size_t>(sequence);
    }
    return true;
}

namespace {

// Windows-1252's characters for 0x80..0x9F; 0 where it has none (Latin-1's control stays).
constexpr std::array<unsigned, 32> HIGH_CONTROLS{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

unsigned windows1252_character(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && HIGH_CONTROLS[byte - 0x80] != 0)
        return HIGH_CONTROLS[byte - 0x80];
    return byte;
}

int put_utf8(unsigned code, char* out)
{
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    out[0] = static_cast<char>(0xE0 | (code >> 12));
    out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
}

std::size_t text_to_utf8(const char* text, std::size_t length, char* out, std::size_t size)
{
    std::size_t used = 0;
    if (size == 0)
        return 0;
    if (is_valid_utf8(text, length)) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text);
        for (std::size_t i = 0; i < length;) {
            auto sequence = static_cast<std::size_t>(utf8_sequence_length(bytes + i));
            if (used + sequence >= size)
                break;
            for (std::size_t k = 0; k < sequence; ++k)
                out[used++] = text[i + k];
            i += sequence;
        }
    } else {
        char character[4];
        for (std::size_t i = 0; i < length; ++i) {
            auto bytes = static_cast<std::size_t>(
                put_utf8(windows1252_character(static_cast<unsigned char>(text[i])), character));
            if (used + bytes >= size)
                break;
            for (std::size_t k = 0; k < bytes; ++k)
                out[used++] = character[k];
        }
    }
    out[used] = '\0';
    return used;
}
