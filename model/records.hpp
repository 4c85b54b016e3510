// The "|"-separated record files, read line by line. A line is either blank
// (only white space) or exactly one record of the file's pattern; anything
// else is refused with a short reason and the line's number.
#pragma once

#include <array>
#include <cstdint>
#include <cstddef>
#include <cstdio>

struct RecordFile {
    std::FILE* stream;
    const char* name;
    int64_t line;       // 1-based number of the line being read
    const char* error;  // why that line was refused
};

inline constexpr int MAX_RECORD_FIELDS = 9;
using RecordFields = std::array<int32_t, MAX_RECORD_FIELDS>;

enum class RecordRead { Record, End, Malformed };

// An optional text field that may end a record ("3|45|Lab. de Redes|"): the
// bytes between the last field and a final "|", blanks and tabs around them
// dropped; `length` counts them all, `bytes` holds as many as fit.
struct RecordText {
    bool present;
    std::size_t length;
    std::array<char, 64> bytes;
};

// Opens an input file for reading, past a UTF-8 byte-order mark at its very
// start. A file that is missing, unreadable or not a regular file ends the
// process with "Arquivo NOME nao pode ser aberto."
std::FILE* open_input_file(const char* name);

// The same for a file that may be missing: null when there is no such name
// (a link to nothing is refused, not taken for a missing file).
std::FILE* open_optional_input_file(const char* name);

// Reads the next record into `fields`, skipping blank lines. In `pattern`,
// 'd' is a whole number (blanks or tabs, an optional sign, digits; 32 bits),
// 'c' the one character that follows, anything else a literal that must
// follow at once. After the record only white space may end the line.
// Malformed: file.error and file.line tell why and where; a read error
// is Malformed too, never an early end of the file.
RecordRead read_record(RecordFile& file, const char* pattern, RecordFields& fields);

// The same, then the optional text field before the line end ("registro mal
// formado" when it has no final "|").
RecordRead read_record(RecordFile& file, const char* pattern, RecordFields& fields, RecordText& text);

// Reads the next line that is not blank, without its line end (a CR before it
// dropped too), into `text` of `size` bytes. Malformed, with file.error, for a
// line that holds a NUL byte (a UTF-16 file), one that does not fit, or a
// read error.
RecordRead read_text_line(RecordFile& file, char* text, std::size_t size);

// Back to the file's first line (past a byte-order mark), to read it again.
void restart_record_file(RecordFile& file);

// Ends the process with "Arquivo NOME, linha N: reason".
[[noreturn]] void reject_line(const RecordFile& file, const char* reason);

// Reads an optional sign and at least one digit, `c` being the first
// character, already read; the character after the number stays unread.
// Returns nullptr, or why the text is not a 32-bit whole number.
const char* scan_whole_number(std::FILE* stream, int c, int32_t& value);
