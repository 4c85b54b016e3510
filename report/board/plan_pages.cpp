// The room pages and the class list of the plan.
#include "report/board/plan_pages.hpp"

#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>
#include <utility>

#include "io/console.hpp"
#include "model/calendar.hpp"
#include "model/listing.hpp"
#include "report/board/board.hpp"
#include "report/board/markup.hpp"
#include "report/board/rule_section.hpp"
#include "report/left_out_file.hpp"
#include "report/moved_file.hpp"
#include "report/solution_check.hpp"
#include "search/alternatives.hpp"
#include "search/cost.hpp"

namespace {

// A room's week: a row for each of the week's distinct block intervals, in
// order, and a column for each weekday with blocks; a weekday without a block
// at a row shows it closed. A meeting is one cell over the rows from its
// first block to its last.
struct WeekRows {
    std::array<WeekSlot, MAX_SLOTS> rows;  // their start and end; weekday unused
    int count;
    BySlot<int> row_of;  // the row of each slot
};
WeekRows week_rows;

void collect_week_rows()
{
    auto interval = [](const WeekSlot& row) { return std::pair(row.start, row.end); };
    auto rows = week_rows.rows.begin();
    week_rows.count = 0;
    for (int32_t slot = FIRST_SLOT; slot <= slot_count; ++slot) {
        WeekSlot row{0, slot_start(slot), slot_end(slot)};
        if (std::ranges::find(rows, rows + week_rows.count, interval(row), interval) == rows + week_rows.count)
            week_rows.rows[week_rows.count++] = row;
    }
    std::ranges::sort(rows, rows + week_rows.count, {}, interval);
    for (int32_t slot = FIRST_SLOT; slot <= slot_count; ++slot)
        week_rows.row_of[slot] = static_cast<int>(
            std::ranges::lower_bound(rows, rows + week_rows.count, std::pair(slot_start(slot), slot_end(slot)), {},
                                     interval) -
            rows);
}

// The weekday's slot at a row of the room's week; NO_SLOT when it has none.
int32_t slot_at_row(int32_t weekday, int row)
{
    for (int32_t slot = week_days[weekday].first; slot <= week_days[weekday].last; ++slot)
        if (week_rows.row_of[slot] == row)
            return slot;
    return NO_SLOT;
}

// One weekday's cell of a row in one room; nothing where a meeting's cell
// above still covers the row (`uncovered_from`: by weekday, the first row
// no cell above covers).
void write_week_cell(std::FILE* out, int room, int32_t weekday, int row, std::array<int, SATURDAY + 1>& uncovered_from)
{
    if (row < uncovered_from[weekday])
        return;
    int32_t slot = slot_at_row(weekday, row);
    if (slot == NO_SLOT) {
        markup(out, "<td class=\"closed\"></td>");
        return;
    }
    DaySlots day = week_days[weekday];
    int32_t section = plan_grid()[slot][room];
    if (section == 0) {
        write_empty_cell(out, slot, room);
        return;
    }
    int32_t last = slot;
    while (last < day.last && plan_grid()[last + 1][room] == section)
        ++last;
    uncovered_from[weekday] = week_rows.row_of[last] + 1;
    markup(out, "<td rowspan=\"%d\" class=\"meeting%s\">", week_rows.row_of[last] - row + 1,
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
    for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday)
        if (!is_day_off(weekday))
            markup(out, "<th scope=\"col\">%s</th>", WEEKDAY_TITLES[weekday]);
    markup(out, "</tr></thead>\n<tbody>\n");
    std::array<int, SATURDAY + 1> uncovered_from{};
    for (int row = 0; row < week_rows.count; ++row) {
        markup(out, "<tr><th scope=\"row\">");
        write_clock(out, week_rows.rows[row].start);
        markup(out, "&ndash;");
        write_clock(out, week_rows.rows[row].end);
        markup(out, "</th>");
        for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday)
            if (!is_day_off(weekday))
                write_week_cell(out, room, weekday, row, uncovered_from);
        markup(out, "</tr>\n");
    }
    markup(out, "</tbody>\n</table>\n");
    write_room_rules(out, room);
    markup(out, "</section>\n");
}

// Where a section stands in the class list: course code, course number, section, then its line.
auto list_place(int32_t section)
{
    const Section& s = sections[section];
    return std::tuple(std::string_view(s.course_code), s.course_number, s.section_number, section);
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
    if (!is_present(meeting) && m == FIRST_MEETING)
        markup(out, "sem hor\xE1rio");
    if (is_present(meeting)) {
        markup(out, "%s ", WEEKDAY_TITLES[meeting.weekday]);
        write_clock(out, meeting.earliest_start);
        markup(out, "&ndash;");
        write_clock(out, meeting.end_time);
        int room = meeting_column(plan_grid(), section, meeting);
        if (room == NO_COLUMN) {
            bool outside = solution_left_out(plan_kind()).marked[section][m];
            markup(out, outside ? ", fora da grade" : ", fora do plano");
        } else {
            markup(out, ", ");
            write_room_name(out, room);
            markup(out, " (%d %s)", room_capacity[room], plural(room_capacity[room], "lugar", "lugares"));
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
    collect_week_rows();
    for (int room = FIRST_ROOM; room <= last_room; ++room)
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
    std::ranges::sort(order.begin(), order.begin() + section_count, {}, list_place);
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
        write_section_rules(out, section);
        markup(out, "</th><td>%d</td>", sections[section].demand);
        // "Reunião 1" is the first of the week: horario.txt may list a Friday before a Tuesday.
        std::array<int, MAX_MEETINGS> by_weekday;
        for (int k = 0; k < MAX_MEETINGS; ++k)
            by_weekday[k] = FIRST_MEETING + k;
        std::ranges::stable_sort(by_weekday, {}, [&](int m) {  // by weekday, the meetings it lacks last
            int32_t weekday = sections[section].meetings[m].weekday;
            return std::pair(weekday == 0, weekday);
        });
        for (int k = 0; k < meetings; ++k)
            write_meeting_entry(out, section, by_weekday[k]);
        markup(out, "</tr>\n");
    }
    markup(out, "</tbody>\n</table>\n</section>\n");
}
