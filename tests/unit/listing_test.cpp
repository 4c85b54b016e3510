// The section listing disciplina.txt.
#include "model/listing.hpp"

#include "model/calendar.hpp"
#include "test_support.hpp"

namespace {

const std::string RULE(76, '-');
const std::string HEADER = "\n\n" + RULE + "\n" +
                           "| N. | Disciplina | Turma | Demanda | Horaini | Horafim | Horaini | Horafim |\n" +
                           RULE + "\n";

std::string listing()
{
    std::FILE* stream = std::tmpfile();
    write_section_listing(stream);
    std::rewind(stream);
    std::string text;
    for (int c; (c = std::fgetc(stream)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(stream);
    return text;
}

}  // namespace

class SectionListing : public FreshTables {};

TEST_F(SectionListing, NoSectionsGivesTheHeaderOnly)
{
    EXPECT_EQ(listing(), HEADER);
}

TEST_F(SectionListing, RowShowsCodeNumbersAndSlotsWithTwoDigits)
{
    section_count = 1;
    sections[1] = {course_code(1), 121, 1, 'T', 40, 1, {}};
    sections[1].meetings[1].first_slot = 3;
    sections[1].meetings[1].last_slot = 4;
    sections[1].meetings[2].first_slot = 37;
    sections[1].meetings[2].last_slot = 38;
    EXPECT_EQ(listing(), HEADER +
                             "| 01 |   MTM121   |  01   |   40    |   03    |   04    |   37    |   38    | \n" +
                             RULE + "\n");
}

TEST_F(SectionListing, WideValuesWidenTheirRowAndAbsentMeetingsShowZeros)
{
    section_count = 12;
    for (int i = 1; i <= 12; ++i)
        sections[i] = {course_code(6), 5, 7, 'T', 5, i, {}};
    sections[12].course_number = 12345;
    sections[12].demand = 123;
    sections[12].section_number = -5;
    std::string text = listing();
    EXPECT_NE(text.find("| 01 |   CBI5   |  07   |   05    |   00    |   00    |   00    |   00    | \n"),
              std::string::npos);
    EXPECT_NE(text.find("| 12 |   CBI12345   |  -05   |   123    | "), std::string::npos);
}
