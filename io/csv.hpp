// Spreadsheets saved as CSV, as spreadsheets save them: ";" or "," between
// fields (a tab too; the header tells which), a UTF-8 byte-order mark or
// none, CRLF, LF or CR-only line ends, and quoted fields that hold the
// separator, doubled quotes and line breaks. Each field is read into UTF-8
// (io/encoding.hpp: UTF-8 as it stands, else Windows-1252), without the
// blanks around it. A file with a NUL byte, such as one saved as "Unicode
// text" (UTF-16), is not read: its text is not in one byte a character.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

inline constexpr int CSV_MAX_FIELDS = 64;
inline constexpr int CSV_FIELD_SIZE = 256;  // a field's UTF-8 bytes and the NUL after them
inline constexpr int CSV_NO_FIELD = -1;     // the field of a heading the header does not have
inline constexpr const char* CSV_NULL_BYTE = "arquivo de texto com byte nulo (UTF-16?)";

using CsvField = std::array<char, CSV_FIELD_SIZE>;

// One record: a row of the spreadsheet, which may take several lines of the
// file when a quoted field holds a line break.
struct CsvRecord {
    std::array<CsvField, CSV_MAX_FIELDS> fields;
    int count;             // the fields read, CSV_MAX_FIELDS at most
    int64_t line;          // the line of the file where the record starts
    bool open_quote;       // the file ended inside a quoted field
    bool too_many_fields;  // it had more than CSV_MAX_FIELDS; the rest are dropped
    bool cut;              // a field, in UTF-8, was longer than CSV_FIELD_SIZE - 1 bytes, and was cut there
};

struct CsvFile {
    std::FILE* stream;
    char separator;  // set by read_csv_header
    int64_t line;    // the lines begun so far
    std::optional<int> ahead;  // a character read ahead of the record
};

enum class CsvRead { Record, End, NullByte, Unreadable };

// Opens `name`, when it is a regular file, for the records; false when it cannot be opened.
bool open_csv(const char* name, CsvFile& file);
// Takes an open stream for the records (a converted spreadsheet).
void open_csv_stream(std::FILE* stream, CsvFile& file);
void close_csv(CsvFile& file);

// The header, the first record: a byte-order mark skipped, and the separator
// chosen, ";" when the header has one outside quotes, else "," when it has
// one, else a tab when it has one, else ";". End for an empty file; NullByte
// for a file with a NUL byte or a UTF-16 byte-order mark; Unreadable when a
// read of the file failed.
CsvRead read_csv_header(CsvFile& file, CsvRecord& header);

// The next record after the header; End when there is none, Unreadable when
// a read of the file failed. A blank line is a record of one empty field
// (csv_blank).
CsvRead read_csv_record(CsvFile& file, CsvRecord& record);

// Whether every field of the record is empty.
bool csv_blank(const CsvRecord& record);

// Writing, as the programs write their spreadsheets for people: UTF-8,
// ";" between fields and CRLF after the last. A field is quoted as RFC 4180
// says, its quotes doubled, when it holds ";", '"' or a line end; one that a
// spreadsheet would take for a formula (it starts with "=", "+", "-", "@",
// a tab or a carriage return and is not a number) starts with "'", which
// spreadsheets read as text. `text` is UTF-8 when `utf8`, else Latin-1 (the
// programs' own texts), converted.
void write_csv_field(std::FILE* out, const char* text, bool last, bool utf8);

// Whether a spreadsheet would take the text for a formula, as above.
bool csv_reads_as_formula(const char* text);
