// The board's HTML: the program's Latin-1 texts written in UTF-8, its own
// markup as it stands and every other text escaped, and the names and
// figures that each part of the board shows.
#include "report/board/markup.hpp"

#include <cstdarg>

#include "io/console.hpp"
#include "model/rules/rules.hpp"
#include "model/tables.hpp"

const std::array<const char*, SATURDAY + 1> WEEKDAY_TITLES{
    "", "Domingo", "Segunda-feira", "Ter\xE7" "a-feira", "Quarta-feira", "Quinta-feira", "Sexta-feira", "S\xE1" "bado"};

namespace {

// Text (Latin-1, converted to UTF-8, or already UTF-8), escaped for HTML
// text and attributes when `escape`.
enum class Encoding { Latin1, Utf8 };
void put_text(std::FILE* out, const char* text, bool escape, Encoding encoding = Encoding::Latin1)
{
    for (const char* c = text; *c != '\0'; ++c) {
        auto byte = static_cast<unsigned char>(*c);
        const char* entity = nullptr;
        if (escape)
            entity = byte == '<' ? "&lt;" : byte == '>' ? "&gt;" : byte == '&' ? "&amp;"
                   : byte == '"' ? "&quot;" : byte == '\'' ? "&#39;" : nullptr;
        if (entity != nullptr)
            std::fputs(entity, out);
        else if (byte < 0x80 || encoding == Encoding::Utf8)
            std::fputc(byte, out);
        else {
            std::fputc(0xC0 | (byte >> 6), out);
            std::fputc(0x80 | (byte & 0x3F), out);
        }
    }
}

}  // namespace

void markup(std::FILE* out, const char* format, ...)
{
    char text[2048];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    put_text(out, text, false);
}

// "MTM 121-2": course code, course number and section ("Turma").
void write_section_name(std::FILE* out, int32_t section)
{
    char name[48];
    std::snprintf(name, sizeof name, "%s %d-%d", sections[section].course_code, sections[section].course_number,
                  sections[section].section_number);
    write_page_text(out, name);
}

void write_clock(std::FILE* out, int32_t minutes)
{
    markup(out, "%02d:%02d", minutes / 60, minutes % 60);
}

void write_room_name(std::FILE* out, int room)
{
    if (room == OVERFLOW_COLUMN) {
        markup(out, "sv");
        return;
    }
    write_room_label(out, room);
    markup(out, "sala %02d", room);
}

void write_room_label(std::FILE* out, int room)
{
    if (room_names[room][0] == '\0')
        return;
    put_text(out, room_names[room].data(), true, Encoding::Utf8);
    markup(out, " &middot; ");
}

void write_page_text(std::FILE* out, const char* text)
{
    put_text(out, text, true);
}

void write_students_and_fit(std::FILE* out, int32_t section, int room)
{
    int64_t demand = sections[section].demand, capacity = room_capacity[room];
    markup(out, "%lld %s<br><span class=\"fit\">", static_cast<long long>(demand), plural(demand, "aluno", "alunos"));
    if (demand > capacity)
        markup(out, "&#9888; %lld %s acima da capacidade", static_cast<long long>(demand - capacity),
               plural(demand - capacity, "aluno", "alunos"));
    else
        markup(out, "%lld %s", static_cast<long long>(capacity - demand),
               plural(capacity - demand, "lugar livre", "lugares livres"));
    markup(out, "</span>");
}

void write_empty_cell(std::FILE* out, int row, int room)
{
    if (closed_cells[row][room])
        markup(out, "<td class=\"fechada\">fechada</td>");
    else
        markup(out, "<td></td>");
}

void write_pin_mark(std::FILE* out, int32_t section)
{
    if (pinned_room[section] != 0)
        markup(out, " <span class=\"fixa\">fixa</span>");
}
