// Reading back the files the programs write (the grid reports and
// planejamento.txt): whole lines of bounded length, and texts and numbers
// exactly as the programs print them, with no sign, leading zero or blank
// they do not print. One reader for every written file, strict in one way,
// and one way to refuse a file: a read that failed is said as such.
#pragma once

#include <cstdint>
#include <cstdio>

inline constexpr int WRITTEN_LINE_LENGTH = 8192;  // a grid line of 1000 columns of 4 digits fits

struct WrittenFile {
    std::FILE* stream;
    int line;  // the number of the line last read
    char text[WRITTEN_LINE_LENGTH];
};

// Reads the next line, which must end with a line end, into `file.text`
// without it; false at the end of the file, on a read error, or for a line
// longer than any the programs write.
bool next_written_line(WrittenFile& file);

// Ends the program on line `line` of the written file `name`, not as the
// program writes it: "Arquivo NAME, linha N: WHAT". When a read of the file
// failed, it says that instead ("Arquivo NAME nao pode ser lido."): a read
// error is never taken for a faulty line.
[[noreturn]] void refuse_written_line(const WrittenFile& file, const char* name, int line, const char* what);

// Closes a written file read to its end; ends the program when a read of it failed.
void close_written_file(WrittenFile& file, const char* name);

// Whether `text` starts with `expected`; if so, moves past it.
bool take_text(const char*& text, const char* expected);

// A number at `text` exactly as "%lld" prints a 64-bit value, moved past;
// false for anything else, a number beyond 64 bits included.
bool take_written_number(const char*& text, int64_t& value);

// The same for a value printed with "%d", which must fit 32 bits.
bool take_written_number(const char*& text, int32_t& value);

// "08:00" exactly (two digits, a colon, two digits, a real time of day) as
// minutes since midnight, moved past.
bool take_clock(const char*& text, int32_t& minutes);
