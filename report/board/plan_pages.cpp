// The room pages and the class list of the plan.
#include "report/board/plan_pages.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "model/calendar.hpp"
#include "model/listing.hpp"
#include "report/board/board.hpp"
#include "report/board/markup.hpp"
#include "report/left_out_file.hpp"
#include "report/moved_file.hpp"
#include "report/solution_check.hpp"
#include "search/alternatives.hpp"

namespace {

// The day's block `block` (1, 2, ...) in one room, on one weekday's column.
void write_week_cell(std::FILE* out, int room, int32_t weekday, int block)
{
    DaySlots day = week_days[weekday];
    int row = day.first + block - 1;
    if (row > day.last) {
        markup(out, "<td class=\"closed\"></td>");
        return;
    }
    int32_t section = plan_grid()[row][room];
    if (section != 0 && row > day.first && plan_grid()[row - 1][room] == section)
        return;  // within the cell of the rows above
    if (section == 0) {
        write_empty_cell(out, row, room);
        return;
    }
    int rows = 1;
    while (row + rows <= day.last && plan_grid()[row + rows][room] == section)
        ++rows;
    markup(out, "<td rowspan=\"%d\" class=\"meeting%s\">", rows,
           sections[section].demand > room_capacity[room] ? " over" : "");
    write_section_name(out, section);
    write_pin_mark(out, section);
    markup(out, "<br>");
    write_students_and_fit(out, section, room);
    markup(out, "</td>");
}

void write_room_page(std::FILE* out, int room)
{
    if (room == OVERFLOW_COLUMN)
        markup(out, "<section class=\"room\" id=\"sala-sv\">\n<h3 id=\"sala-sv-titulo\">Sem sala (sv) &middot; %d "
                    "lugares</h3>\n<table class=\"week\" aria-labelledby=\"sala-sv-titulo\">\n",
               room_capacity[room]);
    else
    {
        markup(out, "<section class=\"room\" id=\"sala-%02d\">\n<h3 id=\"sala-%02d-titulo\">", room, room);
        write_room_label(out, room);
        markup(out, "%s %02d &middot; %d lugares</h3>\n<table class=\"week\" aria-labelledby=\"sala-%02d-titulo\">\n",
               room_names[room][0] != '\0' ? "sala" : "Sala", room, room_capacity[room], room);
    }
    markup(out, "<thead><tr><th scope=\"col\">Hor\xE1rio</th>");
    for (int32_t weekday = MONDAY; weekday <= SATURDAY; ++weekday)
        markup(out, "<th scope=\"col\">%s</th>", WEEKDAY_TITLES[weekday]);
    markup(out, "</tr></thead>\n<tbody>\n");
    DaySlots monday = week_days[MONDAY];  // every weekday has some of Monday's blocks
    for (int block = 1; block <= monday.last - monday.first + 1; ++block) {
        markup(out, "<tr><th scope=\"row\">");
        write_clock(out, slot_start(monday.first + block - 1));
        markup(out, "&ndash;");
        write_clock(out, slot_end(monday.first + block - 1));
        markup(out, "</th>");
        for (int32_t weekday = MONDAY; weekday <= SATURDAY; ++weekday)
            write_week_cell(out, room, weekday, block);
        markup(out, "</tr>\n");
    }
    markup(out, "</tbody>\n</table>\n</section>\n");
}

// Sections in the order of the class list: course code, course number, section.
bool listed_before(int32_t a, int32_t b)
{
    const Section &x = sections[a], &y = sections[b];
    if (int order = std::strcmp(x.course_code, y.course_code))
        return order < 0;
    if (x.course_number != y.course_number)
        return x.course_number < y.course_number;
    return x.section_number != y.section_number ? x.section_number < y.section_number : a < b;
}

AllocationGrid alternatives_grid;  // the plan, changed while each alternative is tried

// "Outras salas: sala 05 (custo +12, alunos acima +0); troca com MTM 121-2, sala 03 (...)"
void write_alternatives(std::FILE* out, int32_t section, int m)
{
    Alternatives best;
    int count = find_alternatives(alternatives_grid, section, m, best);
    for (int i = 0; i < count; ++i) {
        markup(out, i == 0 ? "<br><small>Outras salas: " : "; ");
        if (best[i].swapped != 0) {
            markup(out, "troca com ");
            write_section_name(out, best[i].swapped);
            markup(out, ", ");
        }
        write_room_name(out, best[i].room);
        markup(out, " (custo %+lld, alunos acima %+lld)", static_cast<long long>(best[i].cost_change),
               static_cast<long long>(best[i].students_change));
    }
    if (count > 0)
        markup(out, "</small>");
}

void write_meeting_entry(std::FILE* out, int32_t section, int m)
{
    const Meeting& meeting = sections[section].meetings[m];
    markup(out, "<td>");
    if (meeting.weekday == 0 && m == FIRST_MEETING)
        markup(out, "sem hor\xE1rio");
    if (meeting.weekday != 0) {
        markup(out, "%s ", WEEKDAY_TITLES[meeting.weekday]);
        write_clock(out, meeting.earliest_start);
        markup(out, "&ndash;");
        write_clock(out, meeting.end_time);
        int room = meeting_column(plan_grid(), section, meeting);
        if (room < 0) {
            bool outside = left_out[section][m] && plan_kind() == OPTIMAL_SOLUTION;
            markup(out, outside ? ", fora da grade" : ", fora do plano");
        } else {
            markup(out, ", ");
            write_room_name(out, room);
            markup(out, " (%d lugares)", room_capacity[room]);
            if (moved_from[section][m] != 0 && plan_kind() == OPTIMAL_SOLUTION) {
                markup(out, " <span class=\"flag\">mudou de sala; antes ");
                write_room_name(out, moved_from[section][m] - 1);
                markup(out, "</span>");
            }
            write_alternatives(out, section, m);
        }
    }
    markup(out, "</td>");
}

}  // namespace

void write_room_pages(std::FILE* out)
{
    if (plan_kind() == SOLUTION_KINDS)
        return;
    markup(out, "<section id=\"salas\">\n<h2>Salas (%s)</h2>\n", SOLUTION_FILES[plan_kind()].name);
    for (int room = 1; room <= last_room; ++room)
        if (plan_uses_room(room))
            write_room_page(out, room);
    if (plan_uses_room(OVERFLOW_COLUMN))
        write_room_page(out, OVERFLOW_COLUMN);
    markup(out, "</section>\n");
}

void write_class_list(std::FILE* out)
{
    if (plan_kind() == SOLUTION_KINDS || section_count == 0)
        return;
    std::array<int32_t, MAX_SECTIONS> order;
    for (int32_t i = 0; i < section_count; ++i)
        order[i] = i + 1;
    std::sort(order.begin(), order.begin() + section_count, listed_before);
    alternatives_grid = plan_grid();
    int meetings = listed_meetings();
    markup(out, "<section id=\"turmas\">\n<h2>Turmas (%s)</h2>\n<table>\n<thead><tr><th scope=\"col\">Turma</th>"
                "<th scope=\"col\">Alunos</th>", SOLUTION_FILES[plan_kind()].name);
    for (int m = FIRST_MEETING; m < FIRST_MEETING + meetings; ++m)
        markup(out, "<th scope=\"col\">Reuni\xE3o %d</th>", m);
    markup(out, "</tr></thead>\n<tbody>\n");
    for (int32_t i = 0; i < section_count; ++i) {
        int32_t section = order[i];
        markup(out, "<tr><th scope=\"row\">");
        write_section_name(out, section);
        markup(out, "</th><td>%d</td>", sections[section].demand);
        for (int m = FIRST_MEETING; m < FIRST_MEETING + meetings; ++m)
            write_meeting_entry(out, section, m);
        markup(out, "</tr>\n");
    }
    markup(out, "</tbody>\n</table>\n</section>\n");
}
