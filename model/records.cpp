// The line-by-line record reader shared by the three instance files.
#include "model/records.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>

#include "io/console.hpp"
#include "io/input_file.hpp"

namespace {

constexpr const char* INCOMPLETE = "registro incompleto";
constexpr unsigned char BYTE_ORDER_MARK[] = {0xEF, 0xBB, 0xBF};

bool is_blank(int c)
{
    return c == ' ' || c == '\t';
}

bool is_line_space(int c)
{
    return is_blank(c) || c == '\r' || c == '\v' || c == '\f';
}

const char* missing_literal(char literal)
{
    switch (literal) {
    case '|': return "falta o separador '|'";
    case ':': return "falta o ':' entre hora e minuto";
    default: return "separador esperado";
    }
}

// Skips the white space that opens a line; true when the line has nothing else.
// `c` ends as the first character that is not white space.
bool line_is_blank(std::FILE* stream, int& c, bool& only_blanks)
{
    only_blanks = true;
    while (is_line_space(c = std::getc(stream)))
        only_blanks = only_blanks && is_blank(c);
    return c == '\n' || c == EOF;
}

// Why the character `c` cannot stand where the pattern, at `kind`, wants a
// separator: a ";" where "|" belongs (a file saved with another separator);
// a letter right after a number (a typo such as "4O" or "07:5O"), as the
// number of that field; else the separator missing.
const char* wrong_literal(const char* pattern, const char* kind, int c)
{
    if (*kind == '|' && c == ';')
        return "';' no lugar do separador '|'";
    bool after_number = kind > pattern && kind[-1] == 'd';
    if (after_number && std::isalpha(c)) {
        bool in_a_time = *kind == ':' || (kind - pattern >= 2 && kind[-2] == ':');
        return in_a_time ? "hora esperada no formato HH:MM" : "numero esperado";
    }
    return missing_literal(*kind);
}

const char* read_field(std::FILE* stream, const char* pattern, const char* kind_at, int32_t& value)
{
    char kind = *kind_at;
    int c = std::getc(stream);
    if (kind == 'd') {
        while (is_blank(c))
            c = std::getc(stream);
        if (c == '\n' || c == EOF)
            return INCOMPLETE;
        const char* fault = scan_whole_number(stream, c, value);
        bool in_a_time = kind_at[1] == ':' || (kind_at > pattern && kind_at[-1] == ':');
        return fault != nullptr && in_a_time && std::isalpha(c) ? "hora esperada no formato HH:MM" : fault;
    }
    if (c == '\n' || c == EOF)
        return INCOMPLETE;
    if (kind == 'c') {
        value = static_cast<unsigned char>(c);
        return nullptr;
    }
    return c == kind ? nullptr : wrong_literal(pattern, kind_at, c);
}

const char* read_line_end(std::FILE* stream)
{
    int c;
    while (is_line_space(c = std::getc(stream))) {
    }
    return c == '\n' || c == EOF ? nullptr : "texto depois do fim do registro";
}

}  // namespace

const char* scan_whole_number(std::FILE* stream, int c, int32_t& value)
{
    bool negative = c == '-';
    if (c == '-' || c == '+')
        c = std::getc(stream);
    if (!std::isdigit(c)) {
        std::ungetc(c, stream);
        return "numero esperado";
    }
    // Past 32 bits the magnitude stops growing, but never falls back into
    // range: the largest unsigned 32-bit number is past both ends of int32_t.
    constexpr int64_t BEYOND_32_BITS = UINT32_MAX;
    int64_t magnitude = 0;
    for (; std::isdigit(c); c = std::getc(stream))
        magnitude = std::min(magnitude * 10 + (c - '0'), BEYOND_32_BITS);
    std::ungetc(c, stream);
    int64_t signed_value = negative ? -magnitude : magnitude;
    if (signed_value < INT32_MIN || signed_value > INT32_MAX)
        return "numero fora do intervalo de 32 bits";
    value = static_cast<int32_t>(signed_value);
    return nullptr;
}

namespace {

// Skips the mark when the file starts with it, else leaves the file at its start.
void skip_byte_order_mark(std::FILE* stream)
{
    unsigned char start[sizeof BYTE_ORDER_MARK];
    if (std::fread(start, 1, sizeof start, stream) != sizeof start ||
        std::memcmp(start, BYTE_ORDER_MARK, sizeof start) != 0)
        std::rewind(stream);
}

// After the record's fields: nothing but white space, or a text and its "|".
const char* read_optional_text(std::FILE* stream, RecordText& text)
{
    int c;
    while (is_blank(c = std::getc(stream))) {
    }
    text = {false, 0, {}};
    if (c == '\n' || c == EOF || is_line_space(c)) {
        std::ungetc(c, stream);
        return nullptr;
    }
    text.present = true;
    std::size_t read = 0;
    for (; c != '|'; c = std::getc(stream)) {
        if (c == '\n' || c == EOF)
            return "registro mal formado";
        if (read + 1 < text.bytes.size())
            text.bytes[read] = static_cast<char>(c);
        ++read;
        if (!is_blank(c))
            text.length = read;  // trailing blanks and tabs are dropped
    }
    text.bytes[std::min(text.length, text.bytes.size() - 1)] = '\0';
    return nullptr;
}

RecordRead read_record_text(RecordFile& file, const char* pattern, RecordFields& fields, RecordText* text)
{
    int c;
    bool only_blanks;
    for (;;) {
        ++file.line;
        if (!line_is_blank(file.stream, c, only_blanks))
            break;
        if (c == EOF)
            return RecordRead::End;
    }
    if (!only_blanks) {
        file.error = "caractere inesperado no inicio da linha";
        return RecordRead::Malformed;
    }
    std::ungetc(c, file.stream);
    int field = 0;
    for (const char* kind = pattern; *kind != '\0'; ++kind) {
        int32_t value{};
        file.error = read_field(file.stream, pattern, kind, value);
        if (file.error != nullptr)
            return RecordRead::Malformed;
        if (*kind == 'd' || *kind == 'c')
            fields[field++] = value;
    }
    if (text != nullptr && (file.error = read_optional_text(file.stream, *text)) != nullptr)
        return RecordRead::Malformed;
    file.error = read_line_end(file.stream);
    if (file.error != nullptr && text != nullptr && text->present)
        file.error = "registro mal formado";
    return file.error == nullptr ? RecordRead::Record : RecordRead::Malformed;
}

RecordRead checked_read(RecordFile& file, const char* pattern, RecordFields& fields, RecordText* text)
{
    RecordRead read = read_record_text(file, pattern, fields, text);
    if (read != RecordRead::Record && std::ferror(file.stream)) {
        file.error = "erro de leitura";
        return RecordRead::Malformed;
    }
    return read;
}

}  // namespace

std::FILE* open_input_file(const char* name)
{
    std::FILE* stream = open_regular_file(name);
    if (stream == nullptr)
        fail_with("\n\nArquivo %s nao pode ser aberto.\n", name);
    skip_byte_order_mark(stream);
    return stream;
}

std::FILE* open_optional_input_file(const char* name)
{
    std::FILE* stream = open_regular_file(name);
    struct stat link;
    if (stream == nullptr && errno == ENOENT && lstat(name, &link) != 0)
        return nullptr;  // nothing by that name; a dangling link is something, and is refused
    if (stream == nullptr)
        fail_with("\n\nArquivo %s nao pode ser aberto.\n", name);
    skip_byte_order_mark(stream);
    return stream;
}

RecordRead read_record(RecordFile& file, const char* pattern, RecordFields& fields)
{
    return checked_read(file, pattern, fields, nullptr);
}

RecordRead read_record(RecordFile& file, const char* pattern, RecordFields& fields, RecordText& text)
{
    return checked_read(file, pattern, fields, &text);
}

void restart_record_file(RecordFile& file)
{
    std::clearerr(file.stream);
    std::rewind(file.stream);
    skip_byte_order_mark(file.stream);
    file.line = 0;
}

RecordRead read_text_line(RecordFile& file, char* text, std::size_t size)
{
    for (;;) {
        ++file.line;
        std::size_t length = 0;
        bool fits = true, blank = true, null_byte = false;
        int c;
        while ((c = std::getc(file.stream)) != EOF && c != '\n') {
            null_byte = null_byte || c == '\0';
            fits = fits && !null_byte && length + 1 < size;
            if (fits)
                text[length++] = static_cast<char>(c);
            blank = blank && is_line_space(c);
        }
        if (std::ferror(file.stream)) {
            file.error = "erro de leitura";
            return RecordRead::Malformed;
        }
        if (length > 0 && text[length - 1] == '\r')
            --length;
        text[length] = '\0';
        if (null_byte) {  // most often a file saved as UTF-16, where every other byte is 0
            file.error = "arquivo de texto com byte nulo (UTF-16?)";
            return RecordRead::Malformed;
        }
        if (!fits) {
            file.error = "linha longa demais";
            return RecordRead::Malformed;
        }
        if (!blank)
            return RecordRead::Record;
        if (c == EOF)
            return RecordRead::End;
    }
}

void reject_line(const RecordFile& file, const char* reason)
{
    fail_with("\n\nArquivo %s, linha %lld: %s\n", file.name, static_cast<long long>(file.line), reason);
}
