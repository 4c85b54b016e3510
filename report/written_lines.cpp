// The strict reader of written files.
#include "report/written_lines.hpp"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "io/console.hpp"

bool next_written_line(WrittenFile& file)
{
    ++file.line;
    if (std::fgets(file.text, WRITTEN_LINE_LENGTH, file.stream) == nullptr)
        return false;
    char* end = std::strchr(file.text, '\n');
    if (end == nullptr)
        return false;
    *end = '\0';
    return true;
}

void refuse_written_line(const WrittenFile& file, const char* name, int line, const char* what)
{
    if (std::ferror(file.stream))
        fail_with("\n\nArquivo %s nao pode ser lido.\n", name);
    fail_with("\n\nArquivo %s, linha %d: %s\n", name, line, what);
}

void close_written_file(WrittenFile& file, const char* name)
{
    bool unreadable = std::ferror(file.stream) != 0;
    std::fclose(file.stream);
    if (unreadable)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", name);
}

bool take_text(const char*& text, const char* expected)
{
    std::size_t length = std::strlen(expected);
    if (std::strncmp(text, expected, length) != 0)
        return false;
    text += length;
    return true;
}

bool take_written_number(const char*& text, int64_t& value)
{
    const char* start = text;
    if (*text == '-')
        ++text;
    while (std::isdigit(static_cast<unsigned char>(*text)))
        ++text;
    // Past 64 bits strtoll gives its limit, which is written back otherwise
    // than the text stands, as is a leading zero: the comparison below
    // refuses both, and any run longer than "-9223372036854775808".
    long long number = std::strtoll(start, nullptr, 10);
    char written[32];
    int length = std::snprintf(written, sizeof written, "%lld", number);
    value = number;
    return length == text - start && std::strncmp(written, start, static_cast<std::size_t>(length)) == 0;
}

bool take_written_number(const char*& text, int32_t& value)
{
    int64_t number;
    if (!take_written_number(text, number) || number < INT32_MIN || number > INT32_MAX)
        return false;
    value = static_cast<int32_t>(number);
    return true;
}

bool take_clock(const char*& text, int32_t& minutes)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!digit(text[0]) || !digit(text[1]) || text[2] != ':' || !digit(text[3]) || !digit(text[4]))
        return false;
    int32_t hours = (text[0] - '0') * 10 + (text[1] - '0'), rest = (text[3] - '0') * 10 + (text[4] - '0');
    text += 5;
    minutes = hours * 60 + rest;
    return hours <= 23 && rest <= 59;
}
