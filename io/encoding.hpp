// Text as people save it: UTF-8 (what editors and spreadsheets write today)
// or Windows-1252 (what Notepad calls "ANSI", and Latin-1 with its printable
// characters in 0x80..0x9F). Every text read from a user's file is held in
// UTF-8 once read: valid UTF-8 as it stands, any other text byte by byte as
// Windows-1252.
#pragma once

#include <cstddef>

// The length of the valid UTF-8 sequence at `text` (1 to 4), or 0 when none starts there.
int utf8_sequence_length(const unsigned char* text);

// Whether the `length` bytes at `text` are valid UTF-8.
bool is_valid_utf8(const char* text, std::size_t length);

// The `length` bytes at `text` in UTF-8, into `out` (`size` bytes, ended by
// a NUL): as they stand when they are valid UTF-8, else each byte as
// Windows-1252 reads it (the five bytes it leaves undefined as Latin-1 reads
// them). Never cuts a character in two; returns the bytes written.
std::size_t text_to_utf8(const char* text, std::size_t length, char* out, std::size_t size);

// The bytes text_to_utf8 writes of all `length` bytes at `text`, the NUL left out.
std::size_t utf8_size(const char* text, std::size_t length);

// The Unicode character that Windows-1252 gives `byte`.
unsigned windows1252_character(unsigned char byte);

// Appends character `code` (below U+10000) in UTF-8 at `out`; returns its bytes.
int put_utf8(unsigned code, char* out);

// A text in UTF-8 on one line of a Latin-1 file: each character as Latin-1
// writes it, "?" for one it lacks and for every control character (a line
// break inside a spreadsheet's cell among them). Into `out` (`size` bytes,
// ended by a NUL); returns the bytes written.
std::size_t text_to_latin1_line(const char* utf8, char* out, std::size_t size);

// A text in UTF-8 as words are compared without case or accents: letters in
// lower case without their accents ("Início" and "INICIO" are "inicio"; "ª"
// and "º" are "a" and "o"), digits as they stand, and every run of other
// characters (blanks, punctuation, "-", symbols) one blank, none at either
// end: "Cod. Disc." is "cod disc", "2ª-feira" is "2a feira". Into `out`
// (`size` bytes, ended by a NUL); returns the bytes written.
std::size_t fold_text(const char* utf8, char* out, std::size_t size);
