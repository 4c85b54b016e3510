// Rows of the section listing, in section order, each followed by a rule.
#include "model/listing.hpp"

#include "model/tables.hpp"

namespace {

constexpr const char* RULE =
    "----------------------------------------------------------------------------\n";

void write_section_row(std::FILE* out, int32_t index)
{
    const Section& section = sections[index];
    std::fprintf(out, "| %2.2d |   %s%d   |  %2.2d   |   %2.2d    | ", index, section.course_code,
                 section.course_number, section.section_number, section.demand);
    for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m)
        std::fprintf(out, "  %2.2d    |   %2.2d    | ", section.meetings[m].first_slot,
                     section.meetings[m].last_slot);
    std::fprintf(out, "\n%s", RULE);
}

}  // namespace

void write_section_listing(std::FILE* out)
{
    std::fprintf(out, "\n\n%s", RULE);
    std::fprintf(out,
                 "| N. | Disciplina | Turma | Demanda | Horaini | Horafim | Horaini | Horafim |\n");
    std::fprintf(out, "%s", RULE);
    for (int32_t index = 1; index <= section_count; ++index)
        write_section_row(out, index);
}
