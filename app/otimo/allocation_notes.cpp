// What alocacao-otimo says of the meetings an allocation cannot seat or moves.
#include "app/otimo/allocation_notes.hpp"

#include <algorithm>
#include <bitset>
#include <span>

#include "io/console.hpp"
#include "model/rules/rules.hpp"
#include "model/calendar.hpp"
#include "model/tables.hpp"
#include "report/board/plan_files.hpp"
#include "report/left_out_file.hpp"
#include "report/moved_file.hpp"
#include "search/cost.hpp"
#include "search/optimum.hpp"
#include "search/optimum_model.hpp"

namespace {

// "turma 5 (MTM 101-5)"
void print_class(int32_t section)
{
    const Section& s = sections[section];
    console_print("turma %d (%s %d-%d)", section, s.course_code, s.course_number, s.section_number);
}

// "segunda-feira 07:30 a 09:10", or without the weekday: when a meeting is.
void print_when(const Meeting& meeting, bool with_weekday)
{
    if (with_weekday)
        console_print("%s ", weekday_name(meeting.weekday));
    console_print("%02d:%02d a %02d:%02d", meeting.earliest_start / 60, meeting.earliest_start % 60,
                  meeting.end_time / 60, meeting.end_time % 60);
}

// The meetings at one slot and the columns the rules leave each of them
// over all its rows, for naming where they run short.
struct SlotMeetings {
    std::array<int32_t, MAX_SECTIONS> section;
    std::array<const Meeting*, MAX_SECTIONS> meeting;
    std::array<std::bitset<MAX_ROOM_COLUMNS>, MAX_SECTIONS> open;
    int count;
};
SlotMeetings at_slot;

void collect_slot_meetings(int32_t slot)
{
    at_slot.count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            if (!is_present(meeting) || slot < meeting.first_slot || slot > meeting.last_slot)
                continue;
            int i = at_slot.count++;
            at_slot.section[i] = section;
            at_slot.meeting[i] = &meeting;
            at_slot.open[i].reset();
            for (int room = 0; room <= last_room; ++room)
                at_slot.open[i][room] = room_allowed(section, room, meeting.first_slot, meeting.last_slot);
        }
}

// Meetings whose open columns all lie among those of meeting i, and how
// many: more than those columns is why the rules leave no allocation.
int meetings_within(int i, std::bitset<MAX_SECTIONS>& within)
{
    within.reset();
    for (int j = 0; j < at_slot.count; ++j)
        within[j] = (at_slot.open[j] & ~at_slot.open[i]).none();
    return static_cast<int>(within.count());
}

// "(sv e 34 salas)", "(1 sala)": the columns of a set.
void print_columns(const std::bitset<MAX_ROOM_COLUMNS>& columns)
{
    int rooms = static_cast<int>(columns.count()) - columns[OVERFLOW_COLUMN];
    if (rooms == 0)
        console_print(columns[OVERFLOW_COLUMN] ? "(sv)" : "(nenhuma)");
    else
        console_print("(%s%d %s)", columns[OVERFLOW_COLUMN] ? "sv e " : "", rooms, plural(rooms, "sala", "salas"));
}

// "sv", "03", "117": a column as alocacao.csv writes it.
void print_column(int32_t room)
{
    char column[8];
    format_room_column(column, sizeof column, room);
    console_print("%s", column);
}

}  // namespace

// No allocation was found within the time limit: leaving meetings out of
// the grid, one always exists. Ends the process.
[[noreturn]] void refuse_without_allocation()
{
    fail_with("Nenhuma aloca\xE7\xE3o que cumpra as regras de regras.txt foi encontrada.\n");
}

// Names each slot with more meetings than open columns, with the classes
// that meet there; the optimum then leaves the fewest meetings it can out of
// the grid.
void warn_overfull_slots()
{
    BySlot<int32_t> count = meetings_per_slot();
    for (int row = FIRST_SLOT; row <= slot_count; ++row) {
        if (count[row] <= open_columns(row))
            continue;
        int32_t start = slot_start(row);
        int rooms = open_columns(row) - 1;
        console_print("Aviso: %s, bloco das %02d:%02d: %d reunioes para %d %s (sv e %d %s).\n",
                      weekday_name(slot_weekday(row)), start / 60, start % 60, count[row], open_columns(row),
                      plural(open_columns(row), "coluna", "colunas"), rooms, plural(rooms, "sala", "salas"));
        for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
            for (int m : meeting_numbers()) {
                const Meeting& meeting = sections[section].meetings[m];
                if (!is_present(meeting) || row < meeting.first_slot || row > meeting.last_slot)
                    continue;
                console_print("  ");
                print_class(section);
                console_print(", %d %s, ", sections[section].demand, plural(sections[section].demand, "aluno", "alunos"));
                print_when(meeting, false);
                console_print("\n");
            }
    }
}

// Where the rules leave a weekday no allocation of every meeting: at the
// slot where the open columns run out, the meetings that share fewer
// columns than they are (those whose columns all lie among one meeting's),
// or, failing such a group, every meeting there and the columns open to any.
void warn_rule_tight_weekdays(uint32_t weekdays)
{
    static std::bitset<MAX_SECTIONS> within, named;
    for (int32_t weekday = SUNDAY; weekday <= SATURDAY; ++weekday) {
        int32_t slot = weekdays >> weekday & 1U ? slot_where_columns_run_out(weekday) : 0;
        if (slot == 0)
            continue;
        collect_slot_meetings(slot);
        std::bitset<MAX_ROOM_COLUMNS> columns;
        named.set();
        for (const auto& open : std::span(at_slot.open).first(static_cast<std::size_t>(at_slot.count)))
            columns |= open;
        for (int i = 0; i < at_slot.count; ++i)
            if (meetings_within(i, within) > static_cast<int>(at_slot.open[i].count())) {
                named = within;
                columns = at_slot.open[i];
                break;
            }
        int32_t start = slot_start(slot);
        int count = static_cast<int>(std::min<std::size_t>(named.count(), at_slot.count));
        int open = static_cast<int>(columns.count());
        console_print("Aviso: %s, bloco das %02d:%02d: %d %s para %d %s pelas regras de regras.txt ",
                      weekday_name(weekday), start / 60, start % 60, count, plural(count, "reuniao", "reunioes"), open,
                      plural(open, "coluna aberta", "colunas abertas"));
        print_columns(columns);
        console_print(".\n");
        for (int i = 0; i < at_slot.count; ++i)
            if (named[i]) {
                console_print("  ");
                print_class(at_slot.section[i]);
                int32_t demand = sections[at_slot.section[i]].demand;
                console_print(", %d %s, ", demand, plural(demand, "aluno", "alunos"));
                print_when(*at_slot.meeting[i], false);
                console_print("\n");
            }
    }
}

// Names each meeting the optimum left out of the grid.
void name_left_out()
{
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            if (left_out.marked[section][m]) {
                const Meeting& meeting = sections[section].meetings[m];
                console_print("Reuniao sem lugar na grade: ");
                print_class(section);
                console_print(", ");
                print_when(meeting, true);
                console_print(".\n");
            }
}

// The meetings of `grid` in sv, one line each, the first MEETINGS_NAMED of them.
void name_meetings_without_room(const AllocationGrid& grid)
{
    constexpr int MEETINGS_NAMED = 20;
    int count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            if (!is_present(meeting) || first_slot_column(grid, section, m) != OVERFLOW_COLUMN)
                continue;
            if (++count > MEETINGS_NAMED)
                continue;
            console_print("  ");
            print_class(section);
            console_print(", ");
            print_when(meeting, true);
            console_print("\n");
        }
    if (count > MEETINGS_NAMED)
        console_print("  e mais %d\n", count - MEETINGS_NAMED);
}

// The kept meetings that the optimum puts in another room, one line each.
void name_moved_meetings()
{
    console_print("Reuni\xF5" "es movidas em rela\xE7\xE3o ao plano mantido: %d\n", moved_count);
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            if (moved_from[section][m] == 0)
                continue;
            const Meeting& meeting = sections[section].meetings[m];
            console_print("  ");
            print_class(section);
            console_print(", ");
            print_when(meeting, true);
            console_print(": sala ");
            print_column(moved_from[section][m] - 1);
            console_print(" -> sala ");
            int32_t now = first_slot_column(best_grid, section, m);
            if (now == NO_COLUMN)
                console_print("nenhuma (fora da grade)");
            else
                print_column(now);
            console_print("\n");
        }
}

