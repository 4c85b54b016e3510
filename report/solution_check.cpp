// Checking a grid report read back against the loaded instance.
#include "report/solution_check.hpp"

#include "io/console.hpp"
#include "model/calendar.hpp"
#include "model/rules/rules.hpp"
#include "report/grid_reader.hpp"
#include "report/left_out_file.hpp"
#include "search/cost.hpp"

bool belongs_to_a_meeting(int32_t section, int row)
{
    if (section > section_count)
        return false;
    for (int m : meeting_numbers()) {
        const Meeting& meeting = sections[section].meetings[m];
        if (is_present(meeting) && row >= meeting.first_slot && row <= meeting.last_slot)
            return true;
    }
    return false;
}

namespace {

GridReport checked;  // the report being checked
constexpr const char* ABSENT = "ausente da grade";

// "turma MTM 121-1", or for a number that names no loaded section, "turma n.o 1001".
void print_class(int32_t section)
{
    if (section < 1 || section > section_count || sections[section].course_code == nullptr) {
        console_print("turma n.\xBA %d", section);
        return;
    }
    const Section& s = sections[section];
    console_print("turma %s %d-%d", s.course_code, s.course_number, s.section_number);
}

// "segunda-feira 07:30": the weekday and start of slot `row`.
void print_slot(int row)
{
    int32_t start = slot_start(row);
    console_print("%s %02d:%02d", weekday_name(slot_weekday(row)), start / 60, start % 60);
}

// The meetings of the instance, and the faults of a grid's cells.
struct MeetingFaults {
    int meetings;
    int faults;
};

// Names every meeting that `grid` does not hold whole in one column, and
// every cell outside the meetings.
MeetingFaults meeting_faults(const char* name, const AllocationGrid& grid, const LeftOutMeetings& left)
{
    MeetingFaults count{};
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const Meeting& meeting = sections[section].meetings[m];
            if (!is_present(meeting))
                continue;
            ++count.meetings;
            if (const char* fault = plan_meeting_fault(grid, section, m, left)) {
                ++count.faults;
                console_print("%s: ", name);
                print_class(section);
                console_print(", %s %02d:%02d: %s.\n", weekday_name(meeting.weekday), meeting.earliest_start / 60,
                              meeting.earliest_start % 60, fault);
            }
        }
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int room = 0; room <= last_room; ++room) {
            int32_t section = grid[row][room];
            if (section != 0 && !belongs_to_a_meeting(section, row)) {
                ++count.faults;
                console_print("%s: ", name);
                print_class(section);
                console_print(room == OVERFLOW_COLUMN ? " em sv, " : " na sala %02d, ", room);
                print_slot(row);
                console_print(", fora das suas reuni\xF5" "es.\n");
            }
        }
    return count;
}

// The hard rules of regras.txt, and how many of them a grid breaks.
struct Breaches {
    int hard;
    int broken;
};

// Names every rule of regras.txt that `grid` breaks, with a cell that breaks it.
Breaches rule_breaches(const char* name, const AllocationGrid& grid, const LeftOutMeetings& left)
{
    Breaches count{};
    for (const Rule& rule : file_rules()) {
        if (!is_hard_rule(rule))
            continue;
        ++count.hard;
        RuleBreach breach = find_breach(grid, rule, &left.marked);
        if (!breach.broken)
            continue;
        ++count.broken;
        bool pin = rule.kind == RuleKind::Pin;
        console_print("%s: regras.txt, linha %d, n\xE3o cumprida: ", name, rule.line);
        print_class(breach.section);
        console_print(" %s sala %d, ", pin ? "fora da" : "na", pin ? rule.room : breach.room);
        print_slot(breach.row);
        console_print(".\n");
    }
    return count;
}

bool check_meetings(const char* name)
{
    auto [meetings, faults] = meeting_faults(name, checked.grid, left_out);
    if (faults == 0 && left_out.count == 0)
        console_print(meetings == 1 ? "%s: a %d reuni\xE3o est\xE1 inteira, numa s\xF3 sala.\n"
                                    : "%s: as %d reuni\xF5" "es est\xE3o inteiras, cada uma em uma s\xF3 sala.\n",
                      name, meetings);
    if (faults == 0 && left_out.count > 0)
        console_print("%s: as %d reuni\xF5" "es na grade est\xE3o inteiras, cada uma em uma s\xF3 sala; "
                      "%d fora da grade, como no \xF3timo.\n",
                      name, meetings - left_out.count, left_out.count);
    return faults == 0;
}

// The rules the grid breaks, and the sections that change rooms when that has a price.
bool check_rules(const char* name)
{
    Breaches breaches = rule_breaches(name, checked.grid, left_out);
    if (breaches.hard == 1 && breaches.broken == 0)
        console_print("%s: cumpre a regra de regras.txt.\n", name);
    if (breaches.hard > 1 && breaches.broken == 0)
        console_print("%s: cumpre as %d regras de regras.txt.\n", name, breaches.hard);
    if (same_room_weight > 0) {
        int32_t moving = sections_changing_rooms(checked.grid);
        console_print("%s: %d %s de sala durante a semana.\n", name, moving,
                      plural(moving, "turma muda", "turmas mudam"));
    }
    return breaches.broken == 0;
}

bool check_declared(const char* name, const char* what, int32_t declared, int32_t recomputed)
{
    bool agrees = declared == recomputed;
    console_print("%s: %s declarado %d, recalculado a partir da grade %d: %s.\n", name, what, declared, recomputed,
                  agrees ? "confere" : "N\xC3O confere");
    return agrees;
}

// "80 alunos acima da capacidade a mais", "1 aluno ... a menos", "nenhum aluno ... a mais".
void print_students_difference(int64_t difference)
{
    long long count = difference < 0 ? -difference : difference;
    if (count == 0)
        console_print("nenhum aluno acima da capacidade a mais");
    else
        console_print("%lld %s acima da capacidade a %s", count, plural(count, "aluno", "alunos"),
                      difference < 0 ? "menos" : "mais");
}

void print_figures(const char* name, const GridFigures& figures)
{
    console_print("%s: %lld %s acima da capacidade, %d %s sem sala, %lld %s ociosos em salas ocupadas.\n", name,
                  static_cast<long long>(figures.students_above), plural(figures.students_above, "aluno", "alunos"),
                  figures.meetings_without_room, plural(figures.meetings_without_room, "reuni\xE3o", "reuni\xF5" "es"),
                  static_cast<long long>(figures.occupied_idle_seats),
                  plural(figures.occupied_idle_seats, "lugar", "lugares"));
}

void print_gap(const char* name, int32_t cost, const GridFigures& figures, const OptimumResult& optimum)
{
    int64_t above = cost - optimum.cost;
    int64_t students = figures.students_above - optimum.figures.students_above;
    if (optimum.proven) {
        char percent[32];
        format_percent(percent, sizeof percent, above, optimum.cost, 2);
        console_print("%s: %lld acima do \xF3timo (%s%s %%); ", name, static_cast<long long>(above), above < 0 ? "-" : "",
                      percent);
        print_students_difference(students);
        console_print(" que o \xF3timo.\n");
    } else {
        console_print("%s: %lld acima da melhor aloca\xE7\xE3o encontrada, %lld acima do limite inferior; ", name,
                      static_cast<long long>(above), static_cast<long long>(cost - optimum.lower_bound));
        print_students_difference(students);
        console_print(" que a melhor aloca\xE7\xE3o encontrada.\n");
    }
}

}  // namespace

void print_plan_figures(const char* name, const AllocationGrid& grid, const OptimumResult& optimum)
{
    int32_t cost;
    grid_cost(grid, cost);
    GridFigures figures = grid_figures(grid);
    print_figures(name, figures);
    print_gap(name, cost, figures, optimum);
}

int list_plan_faults(const char* name, const AllocationGrid& grid, const LeftOutMeetings& left)
{
    int faults = meeting_faults(name, grid, left).faults;  // named first, then the rules
    return faults + rule_breaches(name, grid, left).broken;
}

const char* plan_meeting_fault(const AllocationGrid& grid, int32_t section, int m, const LeftOutMeetings& left)
{
    const char* fault = meeting_fault(grid, section, sections[section].meetings[m]);
    if (!left.marked[section][m])
        return fault;
    return fault == ABSENT ? nullptr : "na grade, mas o plano a deixa fora da grade";
}

const char* meeting_fault(const AllocationGrid& grid, int32_t section, const Meeting& meeting)
{
    int cells = 0;
    for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
        for (int32_t cell : grid[row])
            cells += cell == section;
    int length = meeting.last_slot - meeting.first_slot + 1;
    bool whole = meeting_column(grid, section, meeting) != NO_COLUMN;
    if (cells == 0)
        return ABSENT;
    if (whole && cells == length)
        return nullptr;
    return whole ? "repetida em mais de uma sala" : "dividida entre salas ou incompleta";
}

bool check_report_file(const char* name, bool final_report, const OptimumResult& optimum)
{
    switch (read_grid_report(name, final_report, checked)) {
    case ReportRead::Missing:
        return true;
    case ReportRead::Unreadable:
        console_print("%s: o arquivo n\xE3o pode ser lido; n\xE3o foi verificado.\n", name);
        return false;
    case ReportRead::Malformed:
        console_print("%s, linha %d: formato inesperado; o arquivo n\xE3o foi verificado.\n", name,
                      checked.bad_line);
        return false;
    case ReportRead::Read:
        break;
    }
    int32_t cost;
    grid_cost(checked.grid, cost);
    bool ok = check_declared(name, "custo", checked.cost, cost);
    if (final_report)
        ok = check_declared(name, "n\xFAmero de inviabilidades", checked.violations,
                            count_capacity_violations(checked.grid)) && ok;
    if (!ok)
        console_print(STALE_REPORT_HINT, name);
    ok = check_meetings(name) && ok;
    ok = check_rules(name) && ok;
    print_plan_figures(name, checked.grid, optimum);
    return ok;
}
