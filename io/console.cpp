// Console output with the Latin-1 to UTF-8 conversion, input, and the failure exit.
#include "io/console.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "io/encoding.hpp"

namespace {

constexpr int RULE_WIDTH = 80;
constexpr std::size_t FORMAT_BUFFER = 1024;

bool failure_pauses = true;  // whether fail_with reads a character before ending
void (*failure_note)() = nullptr;  // what fail_with adds to its message

// "UTF-8", "utf8", "UTF8@euro": the codeset part of a locale name.
bool names_utf8(const char* locale)
{
    const char* dot = std::strchr(locale, '.');
    if (dot == nullptr)
        return false;
    char folded[8];
    std::size_t length = 0;
    for (const char* c = dot + 1; *c != '\0' && *c != '@'; ++c) {
        if (*c == '-')
            continue;
        if (length == sizeof folded - 1)
            return false;
        folded[length++] = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    }
    folded[length] = '\0';
    return std::strcmp(folded, "utf8") == 0;
}

bool locale_is_utf8()
{
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return names_utf8(value);
    }
    return false;
}

bool writes_utf8()
{
    static const bool utf8 = locale_is_utf8();
    return utf8;
}

// Latin-1 text as the console wants it, into `out`, which has room for
// twice `length` bytes; returns the number of bytes written.
std::size_t encode_for_console(const char* text, std::size_t length, char* out)
{
    if (!writes_utf8()) {
        std::memcpy(out, text, length);
        return length;
    }
    std::size_t used = 0;
    for (std::size_t i = 0; i < length; ++i)  // a Latin-1 byte is its character's code
        used += static_cast<std::size_t>(put_utf8(static_cast<unsigned char>(text[i]), out + used));
    return used;
}

void console_vprint(const char* format, std::va_list arguments)
{
    std::array<char, FORMAT_BUFFER> text;
    int length = std::vsnprintf(text.data(), text.size(), format, arguments);
    if (length < 0)
        return;
    console_write(text.data(), std::min(static_cast<std::size_t>(length), text.size() - 1));
}

}  // namespace

void console_write(const char* text, std::size_t length)
{
    console_flush_traces();
    if (!writes_utf8()) {
        std::fwrite(text, 1, length, stdout);
        return;
    }
    std::array<char, 2 * FORMAT_BUFFER> encoded;
    for (std::size_t done = 0; done < length; done += FORMAT_BUFFER) {
        std::size_t piece = std::min(FORMAT_BUFFER, length - done);
        std::fwrite(encoded.data(), 1, encode_for_console(text + done, piece, encoded.data()), stdout);
    }
}

namespace {

bool is_control(unsigned char byte)
{
    return byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F);
}

}  // namespace

void console_print_path(const char* path)
{
    console_flush_traces();
    const auto* text = reinterpret_cast<const unsigned char*>(path);
    while (*text != '\0') {
        int length = writes_utf8() ? utf8_sequence_length(text) : 1;
        // U+0080..U+009F, the C1 controls, are C2 80..C2 9F in UTF-8.
        bool control = length <= 1 ? is_control(*text) : length == 2 && text[0] == 0xC2 && text[1] <= 0x9F;
        if (control)
            std::fputc('?', stdout);
        else if (length == 0)
            console_write(reinterpret_cast<const char*>(text), 1);  // a Latin-1 byte, converted
        else
            std::fwrite(text, 1, static_cast<std::size_t>(length), stdout);
        text += length == 0 ? 1 : length;
    }
}

void console_print_cell(const char* utf8)
{
    constexpr int CELL_WIDTH = 40;  // characters shown; a longer cell ends in "..."
    console_flush_traces();
    const auto* text = reinterpret_cast<const unsigned char*>(utf8);
    for (int shown = 0; *text != '\0'; ++shown) {
        if (shown == CELL_WIDTH) {
            console_write("...", 3);
            return;
        }
        int length = utf8_sequence_length(text);
        unsigned code = length == 1 ? text[0] : length == 2 ? (text[0] & 0x1Fu) << 6 | (text[1] & 0x3Fu) : 0x100;
        if (length == 0 || (code < 0x100 && is_control(static_cast<unsigned char>(code))))
            std::fputc('?', stdout);
        else if (writes_utf8())
            std::fwrite(text, 1, static_cast<std::size_t>(length), stdout);
        else
            std::fputc(code < 0x100 ? static_cast<int>(code) : '?', stdout);  // Latin-1 has no more
        text += length == 0 ? 1 : length;
    }
}

void format_percent(char* text, std::size_t size, int64_t value, int64_t base, int decimals)
{
    double percent = base == 0 ? 0.0 : 100.0 * static_cast<double>(value) / static_cast<double>(base);
    std::snprintf(text, size, "%.*f", decimals, percent < 0 ? -percent : percent);
    if (char* point = std::strchr(text, '.'))
        *point = ',';
}

void console_symbol(const char* utf8, const char* fallback)
{
    console_flush_traces();
    if (writes_utf8())
        std::fputs(utf8, stdout);
    else
        console_write(fallback, std::strlen(fallback));
}

ConsoleText console_text(const char* text)
{
    ConsoleText prepared{};
    std::size_t length = std::min(std::strlen(text), prepared.bytes.size() / 2);
    prepared.length = encode_for_console(text, length, prepared.bytes.data());
    return prepared;
}

void console_print(const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    console_vprint(format, arguments);
    va_end(arguments);
}

void console_rule()
{
    static constexpr char hyphens[] =
        "--------------------------------------------------------------------------------";
    static_assert(sizeof hyphens - 1 == RULE_WIDTH);
    console_write(hyphens, RULE_WIDTH);
    if (console_is_terminal())
        console_write("\n", 1);
}

bool console_is_terminal()
{
    static const bool terminal = isatty(STDOUT_FILENO) == 1;
    return terminal;
}

void console_clear_screen()
{
    console_print("\x1b[2J\x1b[H");
}

void console_move_to(int column, int row)
{
    console_print("\x1b[%d;%dH", row, column);
}

int console_read_char()
{
    console_flush_traces();
    std::fflush(stdout);
    return std::getchar();
}

void console_unread_char(int c)
{
    if (c != EOF)
        std::ungetc(c, stdin);
}

void secure_standard_descriptors()
{
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor)
        if (fcntl(descriptor, F_GETFD) == -1 && open("/dev/null", O_RDWR) != descriptor)
            std::abort();  // open takes the lowest free number, which is this one
}

int console_exit_status(int status)
{
    console_flush_traces();
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return status;
    std::fputs("Erro ao escrever na saida padrao.\n", stderr);
    return 1;
}

void fail_with(const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    console_vprint(format, arguments);
    va_end(arguments);
    if (void (*note)() = failure_note) {
        failure_note = nullptr;  // a failure within the note ends without it
        note();
    }
    if (failure_pauses)
        console_read_char();
    else
        std::fflush(stdout);
    std::exit(1);
}

void set_failure_note(void (*note)())
{
    failure_note = note;
}

void fail_without_pause()
{
    failure_pauses = false;
}
