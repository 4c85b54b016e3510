// Records of a CSV file read character by character, so that a record may be
// of any length and take any number of lines; each field is kept up to its
// size.
#include "io/csv.hpp"

#include <climits>
#include <cstring>
#include <string_view>

#include "io/encoding.hpp"
#include "io/input_file.hpp"

namespace {

constexpr int NUL_FOUND = INT_MIN;  // no character, nor EOF
constexpr int HEADER_SIZE = 16384;  // the header's bytes looked at for its separator

// Where the characters of a record come from: the header's bytes read ahead
// to choose the separator, while there are some, then the stream.
struct Source {
    CsvFile& file;
    const char* text;
    std::size_t used;
    std::size_t length;
};

// The next character of the file; EOF at its end, NUL_FOUND at a NUL byte.
int next_char(Source& source)
{
    int c;
    if (source.file.ahead) {
        c = *source.file.ahead;
        source.file.ahead.reset();
    } else if (source.used < source.length) {
        c = static_cast<unsigned char>(source.text[source.used++]);
    } else {
        c = std::fgetc(source.file.stream);
    }
    return c == 0 ? NUL_FOUND : c;
}

// A line end: CR LF, LF or CR alone. After a CR, the LF that may follow is its.
void end_line(Source& source, int c)
{
    ++source.file.line;
    if (c == '\r') {
        int after = next_char(source);
        if (after != '\n')
            source.file.ahead = after;
    }
}

bool is_blank(int c, char separator)
{
    return c == ' ' || (c == '\t' && separator != '\t');
}

// One field's raw bytes, then in UTF-8.
struct RawField {
    std::array<char, CSV_FIELD_SIZE> bytes;
    std::size_t length;
    std::size_t kept;  // without the blanks after it
    bool cut;
};

void keep(RawField& raw, int c, bool quoted_byte, char separator)
{
    if (raw.length + 1 >= raw.bytes.size()) {
        raw.cut = raw.cut || !is_blank(c, separator);
        return;
    }
    raw.bytes[raw.length++] = static_cast<char>(c);
    if (quoted_byte || !is_blank(c, separator))
        raw.kept = raw.length;
}

void store(CsvRecord& record, RawField& raw)
{
    if (record.count == CSV_MAX_FIELDS) {
        record.too_many_fields = true;
        return;
    }
    CsvField& field = record.fields[record.count++];
    text_to_utf8(raw.bytes.data(), raw.kept, field.data(), field.size());
    record.cut = record.cut || raw.cut || utf8_size(raw.bytes.data(), raw.kept) >= field.size();
}

// Reads one record from `source`; the characters up to an unquoted line end.
CsvRead read_record(Source& source, CsvRecord& record)
{
    char separator = source.file.separator;
    record.count = 0;
    record.line = source.file.line + 1;
    record.open_quote = record.too_many_fields = record.cut = false;
    int c = next_char(source);
    if (c == EOF)  // the end of the file, or a read that failed
        return std::ferror(source.file.stream) ? CsvRead::Unreadable : CsvRead::End;
    RawField raw{{}, 0, 0, false};
    bool quoted = false, started = false;  // inside quotes; the field has had a character
    for (;; c = next_char(source)) {
        if (c == NUL_FOUND)
            return CsvRead::NullByte;
        if (c == EOF) {
            record.open_quote = quoted;
            break;
        }
        if (quoted) {
            if (c == '"') {
                int after = next_char(source);
                if (after == '"') {
                    keep(raw, '"', true, separator);
                    continue;
                }
                quoted = false;
                source.file.ahead = after;
                continue;
            }
            if (c == '\r' || c == '\n') {
                end_line(source, c);
                c = '\n';
            }
            keep(raw, c, true, separator);
            continue;
        }
        if (c == '\r' || c == '\n') {
            end_line(source, c);
            break;
        }
        if (c == separator) {
            store(record, raw);
            raw = {{}, 0, 0, false};
            started = false;
            continue;
        }
        if (c == '"' && !started) {
            quoted = started = true;
            raw.length = raw.kept = 0;  // the blanks before the quote are not the field's
            continue;
        }
        if (!started && is_blank(c, separator))
            continue;
        started = true;
        keep(raw, c, false, separator);
    }
    if (std::ferror(source.file.stream))  // a record cut short by a read that failed
        return CsvRead::Unreadable;
    store(record, raw);
    return CsvRead::Record;
}

// The separator of the header's text: ";", ",", a tab, in that order, the
// first found outside quotes.
char choose_separator(const char* text, std::size_t length)
{
    bool quoted = false, comma = false, tab = false;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && text[i] == ';')
            return ';';
        comma = comma || (!quoted && text[i] == ',');
        tab = tab || (!quoted && text[i] == '\t');
    }
    return comma ? ',' : tab ? '\t' : ';';
}

}  // namespace

bool open_csv(const char* name, CsvFile& file)
{
    file = {open_regular_file(name), ';', 0, {}};
    return file.stream != nullptr;
}

void open_csv_stream(std::FILE* stream, CsvFile& file)
{
    file = {stream, ';', 0, {}};
}

void close_csv(CsvFile& file)
{
    std::fclose(file.stream);
    file.stream = nullptr;
}

CsvRead read_csv_header(CsvFile& file, CsvRecord& header)
{
    static std::array<char, HEADER_SIZE> text;
    std::size_t length = 0;
    bool quoted = false;
    for (int c; length < text.size() && (c = std::fgetc(file.stream)) != EOF;) {
        text[length++] = static_cast<char>(c);
        quoted = c == '"' ? !quoted : quoted;
        if (!quoted && (c == '\n' || c == '\r'))
            break;
    }
    if (std::ferror(file.stream))
        return CsvRead::Unreadable;
    std::string_view read(text.data(), length);
    if (read.starts_with("\xFF\xFE") || read.starts_with("\xFE\xFF"))
        return CsvRead::NullByte;  // UTF-16's byte-order mark
    constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";
    if (read.starts_with(UTF8_MARK))
        read.remove_prefix(UTF8_MARK.size());
    file.separator = choose_separator(read.data(), read.size());
    Source source{file, read.data(), 0, read.size()};
    return read_record(source, header);
}

CsvRead read_csv_record(CsvFile& file, CsvRecord& record)
{
    Source source{file, nullptr, {}, {}};  // nothing of the header read ahead
    return read_record(source, record);
}

bool csv_blank(const CsvRecord& record)
{
    for (int i = 0; i < record.count; ++i)
        if (record.fields[i][0] != '\0')
            return false;
    return true;
}

bool csv_reads_as_formula(const char* text)
{
    if (*text == '\0' || std::strchr("=+-@\t\r", *text) == nullptr)
        return false;
    const char* digits = text + 1;
    std::size_t whole = std::strspn(digits, "0123456789");
    if (whole > 0 && (digits[whole] == ',' || digits[whole] == '.'))
        whole += 1 + std::strspn(digits + whole + 1, "0123456789");
    return whole == 0 || digits[whole] != '\0';
}

void write_csv_field(std::FILE* out, const char* text, bool last, bool utf8)
{
    bool quote = std::strpbrk(text, ";\"\r\n") != nullptr;
    if (quote)
        std::fputc('"', out);
    if (csv_reads_as_formula(text))
        std::fputc('\'', out);
    char character[4];
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"')
            std::fputc('"', out);
        auto byte = static_cast<unsigned char>(*c);
        if (utf8 || byte < 0x80)
            std::fputc(byte, out);
        else
            std::fwrite(character, 1, static_cast<std::size_t>(put_utf8(byte, character)), out);
    }
    if (quote)
        std::fputc('"', out);
    std::fputs(last ? "\r\n" : ";", out);
}
