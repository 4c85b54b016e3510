// The console: every byte the program shows and every character it reads.
// Texts are held in Latin-1; they go out as UTF-8 when the locale's character
// set (LC_ALL, else LC_CTYPE, else LANG) is UTF-8, and as Latin-1 otherwise.
// Output is buffered and flushed before every read of standard input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#define CONSOLE_PRINTF(f, a) __attribute__((format(printf, f, a)))

void console_print(const char* format, ...) CONSOLE_PRINTF(1, 2);

// The word a count takes: `one` after 1, else `many` ("1 aluno", "0 alunos").
inline const char* plural(long long count, const char* one, const char* many)
{
    return count == 1 ? one : many;
}
void console_write(const char* text, std::size_t length);

// A symbol that Latin-1 lacks (such as "\u2192"): its UTF-8 bytes on a UTF-8
// console, `fallback` (Latin-1) on any other.
void console_symbol(const char* utf8, const char* fallback);

// A file system path, whole however long: its bytes as they stand where they
// are valid in the console's character set (a Latin-1 byte that is not valid
// UTF-8 is converted), every control character as "?".
void console_print_path(const char* path);

// A text read from a user's file, such as a spreadsheet's cell, held in
// UTF-8: its characters as the console's character set shows them (those
// Latin-1 lacks as "?" on a Latin-1 console), every control character as "?",
// and past 40 characters, "..." in place of the rest.
void console_print_cell(const char* utf8);

// `value` / `base` as a percentage of `decimals` decimals with a decimal comma,
// as every figure shown to users ("7,37"), without sign; 0 when base is 0.
void format_percent(char* text, std::size_t size, int64_t value, int64_t base, int decimals);

// Output repeated many times (the annealing traces) is assembled from texts
// converted once, in a buffer of the console that reaches standard output in
// large writes: when it nears full, before any other output or read, and at
// console_flush_traces.
struct ConsoleText {
    std::array<char, 128> bytes;
    std::size_t length;
};

// `text` (Latin-1, at most 64 characters) as the console shows it.
ConsoleText console_text(const char* text);
// `text`, then `number` in decimal ("%d") and a line end.
void trace_line(const ConsoleText& text, int32_t number);
void console_flush_traces();

// The separator of 80 hyphens. Piped, it has no line end (the 80-column
// console wraps); on a terminal it ends the line so any width shows it whole.
void console_rule();

// The banner's title lines: placed by cursor control on a terminal, by blanks
// and line ends otherwise.
bool console_is_terminal();
void console_clear_screen();
void console_move_to(int column, int row);

// Flushes standard output, then reads one character (EOF at the end of input).
int console_read_char();
void console_unread_char(int c);

// Opens /dev/null on each of the standard descriptors 0, 1 and 2 that is
// closed, so that no file the program opens takes their numbers. Called
// first thing by every program.
void secure_standard_descriptors();

// The program's exit status: `status`, or 1 when some console output could
// not be written (said on standard error). Flushes standard output first.
int console_exit_status(int status);

// The one way the program fails: prints the message, reads and discards one
// character from standard input (the menu program's pause) and ends the
// process with status 1.
[[noreturn]] void fail_with(const char* format, ...) CONSOLE_PRINTF(1, 2);

// From now on fail_with calls `note` after its message (null: nothing more),
// for what the failure leaves behind, such as which files were rewritten.
void set_failure_note(void (*note)());

// From now on fail_with reads nothing: it prints and ends at once. For the
// programs that are not driven from the menu.
void fail_without_pause();
