// UTF-8 sequences, Windows-1252 read into UTF-8, and words folded for comparing.
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

std::size_t utf8_size(const char* text, std::size_t length)
{
    if (is_valid_utf8(text, length))
        return length;
    char character[4];
    std::size_t size = 0;
    for (std::size_t i = 0; i < length; ++i)
        size += static_cast<std::size_t>(put_utf8(windows1252_character(static_cast<unsigned char>(text[i])), character));
    return size;
}

namespace {

// The letter of Latin-1's 0xC0..0xFF without its accent, in lower case; 0
// for the signs among them (x and /, which are not letters).
constexpr char LATIN1_LETTERS[] = "aaaaaaaceeeeiiiidnooooo\0ouuuuyts"
                                  "aaaaaaaceeeeiiiidnooooo\0ouuuuyty";

// The code point at `text` and its bytes in `length`; a byte that starts no
// valid sequence is taken alone, as Windows-1252.
unsigned next_code(const unsigned char* text, int& length)
{
    length = utf8_sequence_length(text);
    if (length == 0) {
        length = 1;
        return windows1252_character(text[0]);
    }
    if (length == 1)
        return text[0];
    unsigned code = text[0] & (0xFF >> (length + 1));
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (text[i] & 0x3F);
    return code;
}

// The folded letter or digit of a character, or 0 for anything else.
char folded_character(unsigned code)
{
    if ((code >= 'a' && code <= 'z') || (code >= '0' && code <= '9'))
        return static_cast<char>(code);
    if (code >= 'A' && code <= 'Z')
        return static_cast<char>(code - 'A' + 'a');
    if (code == 0xAA)
        return 'a';
    if (code == 0xBA)
        return 'o';
    if (code >= 0xC0 && code <= 0xFF)
        return LATIN1_LETTERS[code - 0xC0];
    return 0;
}

}  // namespace

std::size_t fold_text(const char* utf8, char* out, std::size_t size)
{
    std::size_t used = 0;
    bool blank_pending = false;
    const auto* text = reinterpret_cast<const unsigned char*>(utf8);
    for (int length{}; *text != '\0' && used + 2 < size; text += length) {
        char folded = folded_character(next_code(text, length));
        if (folded == 0) {
            blank_pending = used > 0;
            continue;
        }
        if (blank_pending)
            out[used++] = ' ';
        blank_pending = false;
        out[used++] = folded;
    }
    if (size > 0)
        out[used] = '\0';
    return used;
}

std::size_t text_to_latin1_line(const char* utf8, char* out, std::size_t size)
{
    std::size_t used = 0;
    const auto* text = reinterpret_cast<const unsigned char*>(utf8);
    for (int length{}; *text != '\0' && used + 1 < size; text += length) {
        unsigned code = next_code(text, length);
        bool control = code < 0x20 || (code >= 0x7F && code < 0xA0);
        out[used++] = static_cast<char>(control || code > 0xFF ? '?' : code);
    }
    if (size > 0)
        out[used] = '\0';
    return used;
}
