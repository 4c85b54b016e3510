// Reading the solutions and the planning back for the board, refusing what
// cannot be true, and choosing the plan among the solutions.
#include "report/board/board.hpp"

#include <cstdarg>

#include "io/console.hpp"
#include "model/rules/rules.hpp"
#include "report/edited_plan_file.hpp"
#include "report/left_out_file.hpp"
#include "report/moved_file.hpp"
#include "report/solution_check.hpp"
#include "search/cost.hpp"
#include "search/planning.hpp"

std::array<BoardSolution, SOLUTION_KINDS> board_solutions{};
const std::array<SolutionFile, SOLUTION_KINDS> SOLUTION_FILES{{
    {"solucao.txt", false, "Solu\xE7\xE3o inicial", "inicial"},
    {"solucaof.txt", true, "Annealing", "annealing"},
    {"otima.txt", true, "\xD3timo", "otimo"},
    {"plano.txt", true, "Plano editado", "editado"},
}};
BoardPlanning board_planning{};

namespace {

// Section numbers above section_count stand for no loaded section.
int32_t unknown_section(const AllocationGrid& grid)
{
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int32_t cell : grid[row])
            if (cell > section_count)
                return cell;
    return 0;
}

// A report whose declared figure disagrees with its grid priced on today's
// files was most likely written before the files changed.
[[noreturn]] void refuse_stale_report(const char* name, const char* format, ...) __attribute__((format(printf, 2, 3)));
void refuse_stale_report(const char* name, const char* format, ...)
{
    char figures[128];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(figures, sizeof figures, format, arguments);
    va_end(arguments);
    fail_with("\n\nArquivo %s: %s\n" STALE_REPORT_HINT "quadro.html nao foi refeito.\n", name, figures, name);
}

// Whether plano.txt is of the current data: checked against this very
// instance (its digest), its sections loaded, its declared cost and
// violations those of its grid.
bool edited_plan_current(const GridReport& report)
{
    int32_t cost;
    grid_cost(report.grid, cost);
    return edited_plan_of_this_instance() && unknown_section(report.grid) == 0 && cost == report.cost &&
           count_capacity_violations(report.grid) == report.violations;
}

bool modified_before(const timespec& a, const timespec& b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

// Why plano.txt is not the plan, or nullptr when it is.
const char* edited_plan_set_aside(const GridReport& report)
{
    if (!edited_plan_current(report))
        return STALE_EDITED_PLAN;
    const BoardSolution& optimum = board_solutions[OPTIMAL_SOLUTION];
    if (optimum.present && modified_before(report.modified, optimum.report.modified))
        return EDITED_PLAN_BEFORE_OPTIMUM;
    return nullptr;
}

// The one line that says why plano.txt is set aside, and which plan the board shows instead.
void say_edited_plan_set_aside(const char* why)
{
    board_solutions[EDITED_SOLUTION].present = false;
    SolutionKind shown = plan_kind();
    if (shown == SOLUTION_KINDS)
        console_print("%s; o quadro fica sem plano\n", why);
    else
        console_print("%s; o plano publicado e %s\n", why, SOLUTION_FILES[shown].name);
}

void read_board_solution(SolutionKind kind)
{
    const SolutionFile& file = SOLUTION_FILES[kind];
    GridReport& report = board_solutions[kind].report;
    ReportTrailer trailer = kind == EDITED_SOLUTION ? read_edited_plan_trailer : nullptr;
    ReportRead read = read_grid_report(file.name, file.final_report, report, trailer);
    if (read == ReportRead::Unreadable)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", file.name);
    if (read == ReportRead::Malformed)
        fail_with("\n\nArquivo %s, linha %d: formato inesperado\n", file.name, report.bad_line);
    board_solutions[kind].present = read == ReportRead::Read;
    if (read != ReportRead::Read)
        return;
    if (kind == EDITED_SOLUTION) {
        if (const char* why = edited_plan_set_aside(report))
            say_edited_plan_set_aside(why);
        return;
    }
    if (int32_t section = unknown_section(report.grid))
        fail_with("\n\nArquivo %s: turma %02d nao existe em demanda.txt\n", file.name, section);
    int32_t cost;
    grid_cost(report.grid, cost);
    if (cost != report.cost)
        refuse_stale_report(file.name, "custo declarado %d, recalculado a partir da grade %d", report.cost, cost);
    int32_t violations = count_capacity_violations(report.grid);
    if (file.final_report && violations != report.violations)
        refuse_stale_report(file.name, "inviabilidades declaradas %d, recontadas na grade %d", report.violations,
                            violations);
}

// Whether the rule prices read are one per hard rule and preference of
// regras.txt as it is, in its order: all of them, or the first of them when
// the planning was cut short, or none when it did not price the rules.
bool rule_prices_current()
{
    const PlanningBaseline& today = board_planning.today;
    int price = 0;
    for (const Rule& rule : file_rules()) {
        if (price == rule_price_count)
            break;
        if (is_priced_rule(rule) && rule_prices[price++].line != rule.line)
            return false;
    }
    if (price < rule_price_count)
        return false;
    return !today.rules_planned || planning_incomplete(today) || price == rule_prices_to_try();
}

}  // namespace

void read_board_planning()
{
    board_planning = {};
    if (!read_planning_file(board_planning.today))
        return;
    const BoardSolution& optimum = board_solutions[OPTIMAL_SOLUTION];
    bool current = optimum.present && optimum.report.cost == board_planning.today.optimum_cost;
    for (int i = 0; current && i < room_change_count; ++i)
        current = room_changes[i].current_seats == room_capacity[room_changes[i].column];
    current = current && rule_prices_current() && !board_planning.today.outdated;
    board_planning.present = current;
    board_planning.stale = !current;
    if (board_planning.stale)
        console_print("%s\n", STALE_PLANNING);
}

void read_board_solutions()
{
    clear_left_out(left_out);
    for (int kind = 0; kind < SOLUTION_KINDS; ++kind)
        read_board_solution(static_cast<SolutionKind>(kind));
    if (!board_solutions[OPTIMAL_SOLUTION].present)
        return;
    read_left_out_file();
    if (!read_moved_file(board_solutions[OPTIMAL_SOLUTION].report.grid))
        console_print("%s\n", STALE_MOVES);
}

const LeftOutMeetings& solution_left_out(int kind)
{
    static const LeftOutMeetings none{};
    return kind == OPTIMAL_SOLUTION ? left_out : kind == EDITED_SOLUTION ? edited_left_out : none;
}

SolutionKind plan_kind()
{
    for (SolutionKind kind : {EDITED_SOLUTION, OPTIMAL_SOLUTION, ANNEALING_SOLUTION})
        if (board_solutions[kind].present)
            return kind;
    return SOLUTION_KINDS;
}

const AllocationGrid& plan_grid()
{
    return board_solutions[plan_kind()].report.grid;
}

bool plan_uses_room(int room)
{
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        if (plan_grid()[row][room] != 0)
            return true;
    return false;
}

