// The line grammar shared by the three record files.
#include "model/records.hpp"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "io/console.hpp"
#include "io/csv.hpp"
#include "io/encoding.hpp"
#include "io/input_file.hpp"
#include "test_support.hpp"

namespace {

struct Parsed {
    RecordRead read;
    int64_t line;
    std::string error;
    RecordFields fields;
};

// Reads the records of `text`, all of them or only the first; returns the last read.
Parsed parse(const std::string& text, const char* pattern, bool all)
{
    std::FILE* stream = text_stream(text);
    RecordFile file{stream, "x.txt", 0, nullptr};
    Parsed parsed{};
    do
        parsed.read = read_record(file, pattern, parsed.fields);
    while (all && parsed.read == RecordRead::Record);
    std::fclose(stream);
    parsed.line = file.line;
    parsed.error = parsed.read == RecordRead::Malformed ? file.error : "";
    return parsed;
}

Parsed parse_all(const std::string& text, const char* pattern = "d|d|")
{
    return parse(text, pattern, true);
}

Parsed parse_first(const std::string& text, const char* pattern = "d|d|")
{
    return parse(text, pattern, false);
}

}  // namespace

TEST(RecordLines, NumbersMayHaveBlanksSignsAndLeadingZeros)
{
    Parsed parsed = parse_first(" \t-07|+0045|\n");
    ASSERT_EQ(parsed.read, RecordRead::Record);
    EXPECT_EQ(parsed.fields[0], -7);
    EXPECT_EQ(parsed.fields[1], 45);
}

TEST(RecordLines, TrailingWhiteSpaceAndCarriageReturnAreAccepted)
{
    EXPECT_EQ(parse_all("1|2|\r\n3|4| \t\r\n").read, RecordRead::End);
}

TEST(RecordLines, BlankLinesAreSkippedButCounted)
{
    Parsed parsed = parse_all("1|2|\n\n   \n\r\n3|x|\n");
    EXPECT_EQ(parsed.read, RecordRead::Malformed);
    EXPECT_EQ(parsed.line, 5);
}

TEST(RecordLines, EveryMalformedLineIsRefusedWithItsReason)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"1|\n", "registro incompleto"},
        {"1|2", "registro incompleto"},
        {"a|2|\n", "numero esperado"},
        {"-|2|\n", "numero esperado"},
        {"1 |2|\n", "falta o separador '|'"},
        {"1;2|\n", "';' no lugar do separador '|'"},
        {"4O|2|\n", "numero esperado"},
        {"1|2x|\n", "numero esperado"},
        {"1|x|\n", "numero esperado"},
        {"1|2|3\n", "texto depois do fim do registro"},
        {"1|2||\n", "texto depois do fim do registro"},
        {"2147483648|1|\n", "numero fora do intervalo de 32 bits"},
        {"1|-2147483649|\n", "numero fora do intervalo de 32 bits"},
        {"99999999999999999999999|1|\n", "numero fora do intervalo de 32 bits"},
        {"21474836470|1|\n", "numero fora do intervalo de 32 bits"},
        {"1|-21474836480|\n", "numero fora do intervalo de 32 bits"},
        {"\r1|2|\n", "caractere inesperado no inicio da linha"},
        {"\r  1|2|\n", "caractere inesperado no inicio da linha"},
        {"\f \t1|2|\n", "caractere inesperado no inicio da linha"},
        {" \v1|2|\n", "caractere inesperado no inicio da linha"},
    };
    for (const Case& c : cases) {
        Parsed parsed = parse_all(c.text);
        EXPECT_EQ(parsed.read, RecordRead::Malformed) << c.text;
        EXPECT_EQ(parsed.error, c.error) << c.text;
        EXPECT_EQ(parsed.line, 1) << c.text;
    }
    // In a time, a letter for a digit names the time's form.
    const Case times[] = {{"1|2|T|4|07:5O|09:10|\n", "hora esperada no formato HH:MM"},
                          {"1|2|T|4|7h30|09:10|\n", "hora esperada no formato HH:MM"},
                          {"1|2|T|4|07:50|O9:10|\n", "hora esperada no formato HH:MM"},
                          {"1|2|T|4|07:50|09:O0|\n", "hora esperada no formato HH:MM"},
                          {"1|2|T|x|07:50|09:10|\n", "numero esperado"},
                          {"1|2|T|4|07:50|-:10|\n", "numero esperado"},
                          {"1|2|T|4O|07:50|09:10|\n", "numero esperado"},
                          {"1|2|T|4|07 50|09:10|\n", "falta o ':' entre hora e minuto"}};
    for (const Case& c : times) {
        Parsed parsed = parse_all(c.text, "d|d|c|d|d:d|d:d|");
        EXPECT_EQ(parsed.error, c.error) << c.text;
    }
}

TEST(RecordLines, ThirtyTwoBitLimitsAreNumbers)
{
    Parsed parsed = parse_first("2147483647|-2147483648|\n");
    ASSERT_EQ(parsed.read, RecordRead::Record);
    EXPECT_EQ(parsed.fields[0], INT32_MAX);
    EXPECT_EQ(parsed.fields[1], INT32_MIN);
}

// Text as files hold it: UTF-8 sequences at their limits, Windows-1252 read
// into UTF-8, and UTF-8 written on a Latin-1 line.
TEST(Encoding, SequencesAtTheirLimitsAndTextBetweenTheThreeCharacterSets)
{
    const std::pair<const char*, int> sequences[] = {
        {"A", 1},          {"\x7F", 1},          {"\xC2\x80", 2},          {"\xDF\xBF", 2},
        {"\xC1\xBF", 0}, {"\xC2\x7F", 0},     {"\xC2\xC0", 0},          {"\xE0\xA0\x80", 3},
        {"\xE0\x9F\xBF", 0}, {"\xED\x9F\xBF", 3}, {"\xED\xA0\x80", 0}, {"\xEF\xBF\xBF", 3},
        {"\xE2\x82\x7F", 0}, {"\xF0\x90\x80\x80", 4}, {"\xF0\x8F\xBF\xBF", 0},
        {"\xF4\x8F\xBF\xBF", 4}, {"\xF4\x90\x80\x80", 0}, {"\xF5\x80\x80\x80", 0}, {"\x80", 0}};
    for (const auto& [text, length] : sequences)
        EXPECT_EQ(utf8_sequence_length(reinterpret_cast<const unsigned char*>(text)), length) << text;
    EXPECT_TRUE(is_valid_utf8("caf\xC3\xA9", 5));
    EXPECT_FALSE(is_valid_utf8("caf\xC3\xA9", 4));  // cut by the end
    EXPECT_FALSE(is_valid_utf8("\xE2\x80\x94", 2));  // a dash cut by the end: its last byte is not looked at
    EXPECT_FALSE(is_valid_utf8("\xF0\x9F\x98\x80", 3));
    EXPECT_FALSE(is_valid_utf8("caf\xE9", 4));
    const std::pair<unsigned, const char*> characters[] = {
        {0x7F, "\x7F"}, {0x80, "\xC2\x80"}, {0xE9, "\xC3\xA9"}, {0x7FF, "\xDF\xBF"}, {0x800, "\xE0\xA0\x80"},
        {0x20AC, "\xE2\x82\xAC"}};
    for (const auto& [code, bytes] : characters) {
        char out[4] = {};
        int length = put_utf8(code, out);
        EXPECT_EQ(std::string(out, static_cast<std::size_t>(length)), bytes) << code;
    }
    const std::pair<std::string, std::string> to_utf8[] = {
        {"caf\xC3\xA9", "caf\xC3\xA9"},          // UTF-8 as it stands
        {"caf\xE9 \x97 \x80", "caf\xC3\xA9 \xE2\x80\x94 \xE2\x82\xAC"},  // Windows-1252: "—" and "€"
        // The five bytes Windows-1252 leaves undefined stay Latin-1's; 0x9F is its "Ÿ".
        {"\x81\x8D\x8F\x90\x9D\x9F", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\xC5\xB8"}};
    for (const auto& [text, utf8] : to_utf8) {
        char out[32];
        EXPECT_EQ(text_to_utf8(text.data(), text.size(), out, sizeof out), utf8.size()) << text;
        EXPECT_EQ(std::string(out), utf8) << text;
    }
    char cut[4];  // room for "ab" and the NUL, not for the two bytes of "é"
    EXPECT_EQ(text_to_utf8("ab\xE9", 3, cut, sizeof cut), 2u);
    EXPECT_STREQ(cut, "ab");
    EXPECT_EQ(text_to_utf8("ab", 2, cut, 1), 0u);  // room for the NUL alone
    EXPECT_STREQ(cut, "");
    cut[0] = 'x';
    EXPECT_EQ(text_to_utf8("ab", 2, cut, 0), 0u);  // and none: nothing written
    EXPECT_EQ(cut[0], 'x');
    const std::pair<const char*, const char*> to_latin1[] = {
        {"In\xC3\xAD" "cio", "In\xED" "cio"}, {"a\nb\x1B" "c\x7F", "a?b?c?"}, {"\xC2\x80\xC2\x9F\xC2\xA0", "??\xA0"},
        {"\xE2\x80\x94", "?"}, {"\xC3\xBF\xC4\x80", "\xFF?"}};
    for (const auto& [utf8, latin1] : to_latin1) {
        char out[32];
        EXPECT_EQ(text_to_latin1_line(utf8, out, sizeof out), std::strlen(latin1)) << utf8;
        EXPECT_STREQ(out, latin1) << utf8;
    }
    EXPECT_EQ(text_to_latin1_line("In\xC3\xAD" "cio", cut, sizeof cut), 3u);  // a byte each, to the buffer's end
    EXPECT_STREQ(cut, "In\xED");
    EXPECT_EQ(text_to_latin1_line("ab", cut, 1), 0u);  // room for the NUL alone
    EXPECT_STREQ(cut, "");
    cut[0] = 'x';
    EXPECT_EQ(text_to_latin1_line("ab", cut, 0), 0u);  // and none: nothing written
    EXPECT_EQ(cut[0], 'x');
    // A cell on the console: each byte that starts no character is one "?", and the next is read.
    start_console_capture();
    console_print_cell("a\xFF" "b\xE2\x80" "c");
    EXPECT_EQ(console_capture(), "a?b??c");
}

// A text after the fields longer than its buffer is cut within it, its length still whole past trailing blanks.
TEST(RecordLines, LongTextIsCutWithinItsBuffer)
{
    struct {
        RecordText text;
        char after;  // the byte past the text's buffer
    } held{};
    held.after = 'x';
    std::FILE* stream = std::tmpfile();
    std::fputs(("1|2|" + std::string(70, 'a') + " \t|\n").c_str(), stream);
    std::rewind(stream);
    RecordFile file{stream, "capacidade.txt", 0, nullptr};
    RecordFields fields{};
    EXPECT_EQ(read_record(file, "d|d|", fields, held.text), RecordRead::Record);
    EXPECT_TRUE(held.text.present);
    EXPECT_EQ(held.text.length, 70u);
    EXPECT_EQ(std::string(held.text.bytes.data()), std::string(held.text.bytes.size() - 1, 'a'));
    EXPECT_EQ(held.after, 'x');
    std::fclose(stream);
}

TEST(RecordLines, ClockFieldsNeedTheirColon)
{
    const char* pattern = "d|d:d|";
    EXPECT_EQ(parse_first("2|07:30|\n", pattern).read, RecordRead::Record);
    EXPECT_EQ(parse_first("2|07:30|\n", pattern).fields[2], 30);
    EXPECT_EQ(parse_first("2|0730|\n", pattern).error, "falta o ':' entre hora e minuto");
    EXPECT_EQ(parse_first("2|07: 30|\n", pattern).read, RecordRead::Record);
}

TEST(RecordLines, MarkIsTheOneCharacterAfterItsSeparator)
{
    EXPECT_EQ(parse_first("1|X|\n", "d|c|").fields[1], 'X');
    EXPECT_EQ(parse_first("1|\xE7|\n", "d|c|").fields[1], 0xE7);
    EXPECT_EQ(parse_first("1|\n", "d|c|").error, "registro incompleto");
    EXPECT_EQ(parse_first("1|XY|\n", "d|c|").error, "falta o separador '|'");
}

TEST(RecordLines, ReadErrorIsMalformedNeverAnEndOfFile)
{
    std::FILE* unreadable = std::fopen("/dev/null", "w");
    RecordFile file{unreadable, "x.txt", 0, nullptr};
    RecordFields fields;
    EXPECT_EQ(read_record(file, "d|d|", fields), RecordRead::Malformed);
    EXPECT_STREQ(file.error, "erro de leitura");
    std::fclose(unreadable);
}

TEST(RecordLines, LineNumbersGoOnPastThirtyTwoBits)
{
    std::FILE* stream = text_stream("\nx\n");
    RecordFile file{stream, "x.txt", INT32_MAX, nullptr};
    RecordFields fields;
    EXPECT_EQ(read_record(file, "d|d|", fields), RecordRead::Malformed);
    EXPECT_EQ(file.line, int64_t{INT32_MAX} + 2);
    std::fclose(stream);
}

class InputFiles : public InScratchDirectory {};

TEST_F(InputFiles, ByteOrderMarkAtTheVeryStartIsSkipped)
{
    const struct {
        const char* text;
        RecordRead read;
    } cases[] = {{"\xEF\xBB\xBF" "1|2|\n", RecordRead::Record},
                 {"1|2|\n", RecordRead::Record},
                 {"\xEF\xBB" "1|2|\n", RecordRead::Malformed},
                 {"\n\xEF\xBB\xBF" "1|2|\n", RecordRead::Malformed}};
    for (const auto& c : cases)
        for (auto open : {open_input_file, open_optional_input_file}) {  // semana.txt is read without a rewind
            write_file("capacidade.txt", c.text);
            std::FILE* stream = open("capacidade.txt");
            RecordFile file{stream, "capacidade.txt", 0, nullptr};
            RecordFields fields{};
            EXPECT_EQ(read_record(file, "d|d|", fields), c.read) << c.text;
            EXPECT_EQ(fields[1], c.read == RecordRead::Record ? 2 : 0) << c.text;
            std::fclose(stream);
        }
}

TEST_F(InputFiles, OnlyRegularFilesAreOpenedAndAFifoNeverBlocks)
{
    write_file("regular.txt", "1|2|\n");
    std::FILE* regular = open_regular_file("regular.txt");
    ASSERT_NE(regular, nullptr);
    EXPECT_EQ(std::fgetc(regular), '1');
    std::fclose(regular);
    std::filesystem::create_directory("directory.txt");
    ASSERT_EQ(mkfifo("fifo.txt", 0600), 0);
    for (const char* name : {"directory.txt", "fifo.txt", "missing.txt", "/dev/null"})
        EXPECT_EQ(open_regular_file(name), nullptr) << name;
    EXPECT_EQ(open_regular_file("missing.txt"), nullptr);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(InputFiles, ClosedStandardDescriptorsAreHeldSoNoFileTakesTheirNumbers)
{
    write_file("regular.txt", "1|2|\n");
    pid_t child = fork();
    if (child == 0) {
        close(STDIN_FILENO);
        close(STDOUT_FILENO);
        close(STDERR_FILENO);
        secure_standard_descriptors();
        std::FILE* input = open_regular_file("regular.txt");
        _exit(input != nullptr && fileno(input) > STDERR_FILENO ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(RecordLines, EmptyStreamHasNoRecords)
{
    EXPECT_EQ(parse_first("").read, RecordRead::End);
    EXPECT_EQ(parse_first("\n\n \t").read, RecordRead::End);
}

namespace {

// Every record of a CSV text as "field|field|...", one a line (blank when no
// field has text), then the separator and how the reading ended.
std::string csv_records(const std::string& text)
{
    write_file("planilha.csv", text);
    CsvFile file;
    if (!open_csv("planilha.csv", file))
        return "not opened";
    static CsvRecord record;
    std::string said;
    CsvRead read = read_csv_header(file, record);
    for (; read == CsvRead::Record; read = read_csv_record(file, record)) {
        said += std::to_string(record.line) + ":";
        for (int i = 0; i < record.count; ++i)
            said += std::string(record.fields[i].data()) + "|";
        said += record.open_quote ? " (aspas abertas)" : "";
        said += csv_blank(record) ? " (em branco)" : "";
        said += record.cut ? " (cortado)\n" : "\n";
    }
    said += std::string("separador ") + (file.separator == '\t' ? "tab" : std::string(1, file.separator));
    said += read == CsvRead::End ? "" : read == CsvRead::NullByte ? ", byte nulo" : ", erro";
    close_csv(file);
    return said;
}

}  // namespace

TEST_F(InputFiles, SpreadsheetsAreReadAsTheyAreSavedAndUtf16IsNamed)
{
    auto repeated = [](const std::string& text, int times) {
        std::string all;
        for (int i = 0; i < times; ++i)
            all += text;
        return all;
    };
    const struct {
        std::string text;
        std::string records;
    } cases[] = {
        {"dia;sala\r\n2;03\r\n", "1:dia|sala|\n2:2|03|\nseparador ;"},
        {"\xEF\xBB\xBF" "dia,sala\n2,03", "1:dia|sala|\n2:2|03|\nseparador ,"},            // no final line end
        {"dia;sala\r2;03\r\r4;05\r", "1:dia|sala|\n2:2|03|\n3:| (em branco)\n4:4|05|\nseparador ;"},  // Macintosh: CR alone
        {"dia;nota;sala\n2;\"linha 1\r\nlinha 2\";03\n4;;05\n",                          // a line break in quotes
         "1:dia|nota|sala|\n2:2|linha 1\nlinha 2|03|\n4:4||05|\nseparador ;"},
        {"a,\"b;c\"\n \"x\"\"y\" , \" z ,\" ,w \n", "1:a|b;c|\n2:x\"y| z ,|w|\nseparador ,"},
        {"dia;sala\n2\xAA;Laborat\xF3rio \x97 3\n", "1:dia|sala|\n2:2\xC2\xAA|Laborat\xC3\xB3rio \xE2\x80\x94 3|\nseparador ;"},
        {"dia;sala\n2;\"03\n", "1:dia|sala|\n2:2|03\n| (aspas abertas)\nseparador ;"},
        {"dia\tsala\n2\t03\n", "1:dia|sala|\n2:2|03|\nseparador tab"},
        {"dia;sala\n2;\n;03\n;\n", "1:dia|sala|\n2:2||\n3:|03|\n4:|| (em branco)\nseparador ;"},
        {std::string("d\0i\0a\0;\0", 8), "separador ;, byte nulo"},                        // UTF-16 without a mark
        {"\xFF\xFE" "d", "separador ;, byte nulo"},
        {"\xFE\xFF", "separador ;, byte nulo"},  // the mark alone
        {std::string("dia;sala\n2;0\0" "3\n", 14), "1:dia|sala|\nseparador ;, byte nulo"},
        {"", "separador ;"},
        // A field is cut past 255 bytes of UTF-8, however few bytes it had in Latin-1.
        {"a\n" + std::string(255, 'x') + "\n", "1:a|\n2:" + std::string(255, 'x') + "|\nseparador ;"},
        {"a\n" + std::string(256, 'x') + "\n", "1:a|\n2:" + std::string(255, 'x') + "| (cortado)\nseparador ;"},
        {"a\n" + std::string(127, '\xE9') + "\n", "1:a|\n2:" + repeated("\xC3\xA9", 127) + "|\nseparador ;"},
        {"a\n" + std::string(128, '\xE9') + "\n", "1:a|\n2:" + repeated("\xC3\xA9", 127) + "| (cortado)\nseparador ;"},
        {"a\n" + std::string(127, '\xE9') + "x\n", "1:a|\n2:" + repeated("\xC3\xA9", 127) + "x|\nseparador ;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csv_records(c.text), c.records) << c.text;
}
