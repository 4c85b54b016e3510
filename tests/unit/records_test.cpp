// The line grammar shared by the three record files.
#include "model/records.hpp"

#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "io/console.hpp"
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
        {"1;2|\n", "falta o separador '|'"},
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
}

TEST(RecordLines, ThirtyTwoBitLimitsAreNumbers)
{
    Parsed parsed = parse_first("2147483647|-2147483648|\n");
    ASSERT_EQ(parsed.read, RecordRead::Record);
    EXPECT_EQ(parsed.fields[0], INT32_MAX);
    EXPECT_EQ(parsed.fields[1], INT32_MIN);
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
    for (const auto& c : cases) {
        write_file("capacidade.txt", c.text);
        std::FILE* stream = open_input_file("capacidade.txt");
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
