// Rows of the section listing, in section order, each followed by a rule.
#include "model/listing.hpp"

#include "model/tables.hpp"

namespace {

// The rule under a row: 76 hyphens for two meetings, 20 more for each further one.
constexpr int RULE_WIDTH = 36;
constexpr int MEETING_WIDTH = 20;

void write_rule(std::FILE* out, int meetings)
{
    for (int i = 0; i < RULE_WIDTH + MEETING_WIDTH * meetings; ++i)
        std::fputc('-', out);
    std::fputc('\n', out);
}

void write_section_row(std::FILE* out, int32_t index, int meetings)
{
    const Section& section = sections[index];
    std::fprintf(out, "| %2.2d |   %s%d   |  %2.2d   |   %2.2d    | ", index, section.course_code,
                 section.course_number, section.section_number, section.demand);
    for (int m = FIRST_MEETING; m < FIRST_MEETING + meetings; ++m)
        std::fprintf(out, "  %2.2d    |   %2.2d    | ", section.meetings[m].first_slot,
                     section.meetings[m].last_slot);
    std::fputc('\n', out);
    write_rule(out, meetings);
}

}  // namespace

void write_section_listing(std::FILE* out)
{
    int meetings = listed_meetings();
    std::fputs("\n\n", out);
    write_rule(out, meetings);
    std::fputs("| N. | Disciplina | Turma | Demanda |", out);
    for (int m = 0; m < meetings; ++m)
        std::fputs(" Horaini | Horafim |", out);
    std::fputc('\n', out);
    write_rule(out, meetings);
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index)
        write_section_row(out, index, meetings);
}

int listed_meetings()
{
    int most = 2;
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index)
        while (most < MAX_MEETINGS && is_present(sections[index].meetings[most + 1]))
            ++most;
    return most;
}
