// The board page: the solutions' figures, and the HTML of the page.
// Texts are written here in Latin-1, like every other text of the program,
// and converted to UTF-8 on their way into the page.
#include "report/board/board.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "io/output_file.hpp"
#include "model/calendar.hpp"
#include "model/load_warnings.hpp"
#include "model/rules/rules.hpp"
#include "io/console.hpp"
#include "report/board/markup.hpp"
#include "report/board/plan_pages.hpp"
#include "report/board/rule_section.hpp"
#include "report/left_out_file.hpp"
#include "report/moved_file.hpp"
#include "report/planning_file.hpp"
#include "report/solution_check.hpp"
#include "search/cost.hpp"
#include "search/planning.hpp"

namespace {

constexpr int BOARD_COLUMNS = 10;  // room columns in one table of a weekday board

// What a solution's grid amounts to, recomputed from its cells.
struct SolutionFigures {
    int32_t cost;
    int32_t violations;
    GridFigures students;
    int broken_meetings;
    int stray_cells;  // cells of a section at a slot where it has no meeting
};

// ---------------------------------------------------------------- figures

// Whether some class meets on the weekday: a weekday without any gets no board.
bool weekday_has_meetings(int weekday)
{
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            if (sections[section].meetings[m].weekday == weekday)
                return true;
    return false;
}

int meeting_count()
{
    int count = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            count += is_present(sections[section].meetings[m]);
    return count;
}

// The grid of solution `kind`, which may leave out exactly the meetings its
// list names (otima.txt's fora_da_grade.txt, plano.txt's own).
SolutionFigures figures_of(const AllocationGrid& grid, int kind)
{
    SolutionFigures figures{0, count_capacity_violations(grid), grid_figures(grid), 0, 0};
    grid_cost(grid, figures.cost);
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            const char* fault = !is_present(sections[section].meetings[m])
                                    ? nullptr
                                    : plan_meeting_fault(grid, section, m, solution_left_out(kind));
            figures.broken_meetings += fault != nullptr;
        }
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int room = 0; room <= last_room; ++room)
            figures.stray_cells += grid[row][room] != 0 && !belongs_to_a_meeting(grid[row][room], row);
    return figures;
}

// ---------------------------------------------------------------- writing

void write_head(std::FILE* out)
{
    markup(out, "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n"
                "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                "<title>Quadro de salas</title>\n<style>\n");
    markup(out, "body{font-family:system-ui,sans-serif;margin:1rem;color:#111;background:#fff}\n"
                "table{border-collapse:collapse;margin:.5rem 0}\n"
                "th,td{border:1px solid #888;padding:2px 5px;vertical-align:top;text-align:left}\n"
                "th{background:#eee}\n"
                ".board{table-layout:fixed;width:100%%}\n"
                ".board td{height:1.2em}\n"
                ".board td.meeting{background:#e3eefa}\n"
                ".board td.over{background:#fbdcc4}\n"
                ".over .fit{font-weight:bold;color:#7a2800}\n"
                ".saving{white-space:nowrap}\n.bar{display:inline-block;height:.8em;margin-right:.4em;background:#2f6aa3}\n"
                ".flag{font-weight:bold;color:#7a2800}\n"
                ".avisos{border:2px solid #b36b00;background:#fff4e0;padding:0 .8rem;margin:.5rem 0}\n"
                ".avisos h2{font-size:1.1rem}\n"
                "nav p{margin:.2rem 0}\nnav a{margin-left:.6em}\nnav a:first-child{margin-left:0}\n"
                ".week{table-layout:fixed;width:100%%}.week td.closed{background:#ddd}\n"
                ".week th[scope=row]{white-space:nowrap;width:7em}\n"
                "@media print{@page{size:A4 landscape;margin:8mm}nav,.screen,#mudancas{display:none}"
                "body{font-size:8pt;margin:0}.day,.solution,.room,#salas,#turmas{break-before:page}"
                ".solution>h2+.day,#salas>h2+.room{break-before:avoid}.day,.room{break-inside:avoid}"
                "h2,h3{break-after:avoid}.room{font-size:8pt}td{line-height:1.15;padding:1px 3px}}\n"
                "</style>\n");
    if (rule_count > 0)
        markup(out, "<style>\n.board td.fechada,.week td.fechada{background:#ccc;color:#444;font-size:.8em}\n"
                    "@media screen{.print-only{display:none}}\n.room-rules{margin:.2em 0}\n"
                    ".fixa{font-size:.8em;font-weight:bold;border:1px solid #555;padding:0 2px}\n"
                    ".kept{color:#1d5e20}\n</style>\n");
    markup(out, "</head>\n<body>\n");
}

// The box of the loader's warnings, opened at the first of them.
struct WarningBox {
    std::FILE* out;
    int shown;
};

void box_warning(const char* text, void* context)
{
    auto& box = *static_cast<WarningBox*>(context);
    if (box.shown++ == 0)
        markup(box.out, "<section class=\"avisos\" aria-labelledby=\"avisos-titulo\">\n"
                        "<h2 id=\"avisos-titulo\">Avisos sobre os arquivos de entrada</h2>\n<ul>\n");
    char line[256];
    std::snprintf(line, sizeof line, "%.*s", static_cast<int>(std::strcspn(text, "\n")), text);
    markup(box.out, "<li>");
    write_page_text(box.out, line);
    markup(box.out, "</li>\n");
}

void write_load_warnings(std::FILE* out)
{
    WarningBox box{out, 0};
    list_instance_warnings(box_warning, &box);
    if (box.shown > 0)
        markup(out, "</ul>\n</section>\n");
}

// "Ótimo", or for an optimum not proven, what it is.
const char* solution_title(int kind)
{
    const GridReport& report = board_solutions[kind].report;
    if (kind == OPTIMAL_SOLUTION && !report.proven)
        return "Melhor aloca\xE7\xE3o encontrada, n\xE3o provado";
    return SOLUTION_FILES[kind].title;
}

// When otima.txt is not proven optimal: its cost, the best bound and the gap
// between them, against which every distance to the optimum is then measured.
void write_optimum_not_proven(std::FILE* out)
{
    const BoardSolution& optimum = board_solutions[OPTIMAL_SOLUTION];
    if (!optimum.present || optimum.report.proven)
        return;
    int64_t gap = optimum.report.cost - optimum.report.lower_bound;
    char percent[32];
    format_percent(percent, sizeof percent, gap, optimum.report.cost, 2);
    markup(out, "<p class=\"flag\">&#9888; otima.txt: n\xE3o provado. Melhor custo encontrado %d, limite inferior "
                "%lld, diferen\xE7" "a %lld (%s %%): nenhuma aloca\xE7\xE3o custa menos que o limite inferior, e "
                "as dist\xE2ncias ao \xF3timo s\xE3o medidas a partir dele.</p>\n",
           optimum.report.cost, static_cast<long long>(optimum.report.lower_bound), static_cast<long long>(gap),
           percent);
}

void write_instance(std::FILE* out)
{
    markup(out, "<header>\n<h1>Quadro de salas</h1>\n<p>%d %s, %d %s. Penalidade por aluno acima da "
                "capacidade: %d; por lugar ocioso: %d.</p>\n",
           section_count, plural(section_count, "turma", "turmas"), meeting_count(),
           plural(meeting_count(), "reuni\xE3o", "reuni\xF5" "es"), excess_weight, idle_weight);
    if (plan_kind() == SOLUTION_KINDS)
        markup(out, "<p>Ainda sem plano: nem otima.txt nem solucaof.txt.</p>\n");
    else
        markup(out, "<p>Plano: %s (%s). As p\xE1ginas das salas, a lista de turmas, alocacao.csv e os calend\xE1rios "
                    "s\xE3o deste plano.</p>\n",
               solution_title(plan_kind()), SOLUTION_FILES[plan_kind()].name);
    write_optimum_not_proven(out);
    write_load_warnings(out);
    for (int first = 0; first <= last_room; first += BOARD_COLUMNS) {
        int last = std::min(first + BOARD_COLUMNS - 1, last_room);
        markup(out, "<table class=\"rooms\">\n<caption>Lugares de cada coluna (sv: sem sala)</caption>\n<tr>");
        for (int room = first; room <= last; ++room) {
            markup(out, "<th scope=\"col\">");
            write_room_name(out, room);
            markup(out, "</th>");
        }
        markup(out, "</tr>\n<tr>");
        for (int room = first; room <= last; ++room)
            markup(out, "<td>%d</td>", room_capacity[room]);
        markup(out, "</tr>\n</table>\n");
    }
}

void write_navigation(std::FILE* out)
{
    markup(out, "<nav>\n<p><a href=\"#resumo\">Resumo</a>");
    if (rule_count > 0)
        markup(out, "<a href=\"#regras\">Regras</a>");
    if (board_planning.present || board_planning.stale)
        markup(out, "<a href=\"#investir\">Onde investir</a>");
    if (plan_kind() != SOLUTION_KINDS)
        markup(out, "<a href=\"#salas\">Salas</a><a href=\"#turmas\">Turmas</a>");
    if (board_solutions[ANNEALING_SOLUTION].present && board_solutions[OPTIMAL_SOLUTION].present)
        markup(out, "<a href=\"#mudancas\">Mudan\xE7" "as para o \xF3timo</a>");
    markup(out, "</p>\n");
    for (int kind = 0; kind < SOLUTION_KINDS; ++kind) {
        if (!board_solutions[kind].present)
            continue;
        const SolutionFile& file = SOLUTION_FILES[kind];
        markup(out, "<p><a href=\"#%s\">%s</a>:", file.anchor, file.title);
        for (int weekday = SUNDAY; weekday <= SATURDAY; ++weekday)
            if (weekday_has_meetings(weekday))
                markup(out, " <a href=\"#%s-%d\">%s</a>", file.anchor, weekday, WEEKDAY_TITLES[weekday]);
        markup(out, "</p>\n");
    }
    markup(out, "</nav>\n</header>\n");
}

// The students above capacity beyond the optimum's: "245 alunos a mais".
void write_distance(std::FILE* out, int64_t students_above)
{
    if (!board_solutions[OPTIMAL_SOLUTION].present) {
        markup(out, "<td>&mdash;</td>");
        return;
    }
    int64_t more =
        students_above - figures_of(board_solutions[OPTIMAL_SOLUTION].report.grid, true).students.students_above;
    long long count = std::llabs(more);
    // Beside an optimum not proven, the figure is only against the best allocation found.
    const char* against = board_solutions[OPTIMAL_SOLUTION].report.proven ? "" : " que o melhor encontrado";
    if (count == 0)
        markup(out, "<td>nenhum aluno a mais%s</td>", against);
    else
        markup(out, "<td>%lld %s a %s%s</td>", count, plural(count, "aluno", "alunos"), count == more ? "mais" : "menos",
               against);
}

void write_summary_row(std::FILE* out, int kind)
{
    const BoardSolution& solution = board_solutions[kind];
    SolutionFigures figures = figures_of(solution.report.grid, kind);
    markup(out, "<tr><th scope=\"row\"><a href=\"#%s\">%s</a> (%s)</th><td>%lld</td><td>%d</td><td>%lld</td>"
                "<td>%d</td><td>%d</td><td>%d</td>",
           SOLUTION_FILES[kind].anchor, solution_title(kind), SOLUTION_FILES[kind].name,
           static_cast<long long>(figures.students.students_above), figures.students.meetings_without_room,
           static_cast<long long>(figures.students.occupied_idle_seats), solution.report.cost, figures.cost,
           figures.violations);
    write_distance(out, figures.students.students_above);
    int outside = solution_left_out(kind).count;
    if (figures.broken_meetings == 0 && figures.stray_cells == 0) {
        markup(out, outside > 0 ? "<td>todas inteiras; %d fora da grade</td></tr>\n" : "<td>todas inteiras</td></tr>\n",
               outside);
        return;
    }
    markup(out, "<td class=\"flag\">&#9888;");
    if (figures.broken_meetings > 0)
        markup(out, " %d %s", figures.broken_meetings,
               plural(figures.broken_meetings, "ausente ou dividida", "ausentes ou divididas"));
    if (figures.stray_cells > 0)
        markup(out, "%s %d %s fora das reuni\xF5" "es", figures.broken_meetings > 0 ? ";" : "", figures.stray_cells,
               plural(figures.stray_cells, "c\xE9lula", "c\xE9lulas"));
    markup(out, "</td></tr>\n");
}

// The meetings the plan leaves out of its grid, as its list names them.
void write_left_out(std::FILE* out)
{
    int kind = plan_kind();
    if (kind == SOLUTION_KINDS || solution_left_out(kind).count == 0)
        return;
    const LeftOutMeetings& left = solution_left_out(kind);
    markup(out, "<h3>Fora da grade</h3>\n<p>Hor\xE1rios com mais reuni\xF5" "es que colunas: o plano (%s) deixa "
                "%s %d fora da grade. Mude o hor\xE1rio delas ou crie salas.</p>\n<ul>\n",
           SOLUTION_FILES[kind].name, plural(left.count, "esta", "estas"), left.count);
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            if (left.marked[section][m]) {
                const Section& s = sections[section];
                const Meeting& meeting = s.meetings[m];
                markup(out, "<li>turma %d (%s %d-%d), %d %s, %s ", section, s.course_code, s.course_number,
                       s.section_number, s.demand, plural(s.demand, "aluno", "alunos"), WEEKDAY_TITLES[meeting.weekday]);
                write_clock(out, meeting.earliest_start);
                markup(out, "&ndash;");
                write_clock(out, meeting.end_time);
                markup(out, ": fora da grade</li>\n");
            }
    markup(out, "</ul>\n");
}

// The meetings otima.txt moves from the plan kept by alocacao-otimo --manter.
void write_moved(std::FILE* out)
{
    if (moved_count == 0)
        return;
    markup(out, "<h3>Mudan\xE7" "as em rela\xE7\xE3o ao plano mantido</h3>\n<p>%d %s de sala (mudancas.txt):</p>\n<ul>\n",
           moved_count, plural(moved_count, "reuni\xE3o muda", "reuni\xF5" "es mudam"));
    const AllocationGrid& grid = board_solutions[OPTIMAL_SOLUTION].report.grid;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers()) {
            if (moved_from[section][m] == 0)
                continue;
            const Section& s = sections[section];
            const Meeting& meeting = s.meetings[m];
            markup(out, "<li>turma %d (%s %d-%d), %s ", section, s.course_code, s.course_number, s.section_number,
                   WEEKDAY_TITLES[meeting.weekday]);
            write_clock(out, meeting.earliest_start);
            markup(out, ": ");
            write_room_name(out, moved_from[section][m] - 1);
            markup(out, " &rarr; ");
            int32_t now = first_slot_column(grid, section, m);
            if (now < 0)
                markup(out, "fora da grade");
            else
                write_room_name(out, now);
            markup(out, "</li>\n");
        }
    markup(out, "</ul>\n");
}

// Whether solucaof.txt was written before solucao.txt: the two are then of different runs.
bool annealing_older_than_initial()
{
    const BoardSolution& initial = board_solutions[INITIAL_SOLUTION];
    const BoardSolution& annealed = board_solutions[ANNEALING_SOLUTION];
    if (!initial.present || !annealed.present)
        return false;
    const timespec &before = annealed.report.modified, &after = initial.report.modified;
    return before.tv_sec != after.tv_sec ? before.tv_sec < after.tv_sec : before.tv_nsec < after.tv_nsec;
}

void write_summary(std::FILE* out)
{
    markup(out, "<section id=\"resumo\">\n<h2>Resumo</h2>\n");
    if (annealing_older_than_initial())
        markup(out, "<p class=\"flag\">&#9888; solucaof.txt e de uma execucao anterior a solucao.txt.</p>\n");
    bool any = false;
    for (const BoardSolution& solution : board_solutions)
        any = any || solution.present;
    if (!any) {
        markup(out, "<p>Nenhuma solu\xE7\xE3o ainda: rode alocacao (op\xE7\xF5" "es 1 e 2) e alocacao-otimo "
                    "neste diret\xF3rio.</p>\n</section>\n");
        return;
    }
    markup(out, "<table>\n<thead><tr><th scope=\"col\">Solu\xE7\xE3o</th>"
                "<th scope=\"col\">Alunos acima da capacidade</th><th scope=\"col\">Reuni\xF5" "es sem sala</th>"
                "<th scope=\"col\">Lugares ociosos em salas ocupadas</th><th scope=\"col\">Custo declarado</th>"
                "<th scope=\"col\">Custo recalculado</th><th scope=\"col\">C\xE9lulas acima da capacidade</th>"
                "<th scope=\"col\">Alunos acima al\xE9m do \xF3timo</th><th scope=\"col\">Reuni\xF5" "es</th>"
                "</tr></thead>\n<tbody>\n");
    for (int kind = 0; kind < SOLUTION_KINDS; ++kind)
        if (board_solutions[kind].present)
            write_summary_row(out, kind);
    markup(out, "</tbody>\n</table>\n");
    write_left_out(out);
    write_moved(out);
    markup(out, "</section>\n");
}

void write_change_name(std::FILE* out, const RoomChange& change)
{
    if (change.column > last_room)
        markup(out, "uma sala a mais (sala %02d) com %d %s", change.column, change.proposed_seats,
               plural(change.proposed_seats, "lugar", "lugares"));
    else
    {
        write_room_name(out, change.column);
        markup(out, ": %d &rarr; %d %s", change.current_seats, change.proposed_seats,
               plural(change.proposed_seats, "lugar", "lugares"));
    }
}

// One change that seats students, with a bar for how many against the most any change seats.
void write_investment(std::FILE* out, const RoomChange& change, int64_t most_relieved)
{
    int64_t relieved = -change.variation;
    markup(out, "<tr><th scope=\"row\">");
    write_change_name(out, change);
    markup(out, "</th><td class=\"saving\"><span class=\"bar\" style=\"width:%.1fem\">&nbsp;</span>%lld</td>"
                "<td>%lld</td><td>%lld%s</td></tr>\n",
           12.0 * static_cast<double>(relieved) / static_cast<double>(most_relieved),
           static_cast<long long>(relieved), static_cast<long long>(change.students_above),
           static_cast<long long>(change.cost), change.proven ? "" : " (n\xE3o provado)");
}

void write_spare_seats(std::FILE* out)
{
    const PlanningBaseline& today = board_planning.today;
    if (!today.seats_planned || (spare_seat_count == 0 && planning_incomplete(today)))
        return;  // nothing said of seats not tried
    markup(out, "<h3>Lugares que sobram (todas juntas, sem piorar o otimo)</h3>\n");
    if (spare_seat_count == 0) {
        markup(out, "<p>Nenhuma sala pode ficar com menos lugares sem mais alunos acima.</p>\n");
        return;
    }
    markup(out, "<ul>\n");
    for (const SpareSeats& spare : spare_set()) {
        markup(out, "<li>");
        write_room_name(out, spare.column);
        markup(out, " pode ficar com %d %s (hoje %d)</li>\n", spare.proposed_seats,
               plural(spare.proposed_seats, "lugar", "lugares"), spare.current_seats);
    }
    markup(out, "</ul>\n");
}

// The first change of each column that seats students above capacity today,
// with a bar for how many, then the seats that can go.
void write_investments(std::FILE* out)
{
    if (board_planning.stale)
        markup(out, "<section id=\"investir\">\n<h2>Onde investir</h2>\n<p>%s.</p>\n</section>\n", STALE_PLANNING);
    if (!board_planning.present)
        return;
    std::array<int, BEST_CHANGES_SHOWN> chosen;
    int count = choose_investments(chosen);
    int64_t most_relieved = 0;
    for (int i = 0; i < count; ++i)
        most_relieved = std::max(most_relieved, -room_changes[chosen[i]].variation);
    const PlanningBaseline& today = board_planning.today;
    markup(out, "<section id=\"investir\">\n<h2>Onde investir</h2>\n");
    if (planning_incomplete(today)) {
        char incomplete[96];
        format_incomplete_planning(incomplete, sizeof incomplete, today);
        markup(out, "<p class=\"flag\">%s</p>\n", incomplete);
    }
    markup(out, "<p>No %s de hoje, %lld %s acima da capacidade (%s %lld). ",
           today.optimum_proven ? "\xF3timo" : "melhor plano encontrado", static_cast<long long>(today.students_above),
           plural(today.students_above, "aluno", "alunos"),
           today.optimum_proven ? "custo \xF3timo" : "melhor custo encontrado, n\xE3o provado",
           static_cast<long long>(today.optimum_cost));
    if (!today.seats_planned)
        markup(out, "As mudan\xE7" "as de lugares n\xE3o foram avaliadas (alocacao-otimo --planejar=regras).</p>\n");
    else if (count == 0 && planning_incomplete(today))
        markup(out, "Nenhuma das %d %s de uma coluna %s at\xE9 aqui os diminui.</p>\n", room_change_count,
               plural(room_change_count, "mudan\xE7" "a", "mudan\xE7" "as"),
               plural(room_change_count, "avaliada", "avaliadas"));
    else if (count == 0)
        markup(out, "Nenhuma das %d %s de uma coluna %s por alocacao-otimo --planejar (planejamento.txt) os "
                    "diminui.</p>\n",
               room_change_count, plural(room_change_count, "mudan\xE7" "a", "mudan\xE7" "as"),
               plural(room_change_count, "avaliada", "avaliadas"));
    else
        markup(out, "A mudan\xE7" "a de cada coluna que mais os diminui, entre %d avaliadas por alocacao-otimo "
                    "--planejar (planejamento.txt):</p>\n<table>\n<thead><tr><th scope=\"col\">Mudan\xE7" "a</th>"
                    "<th scope=\"col\">Alunos acima a menos</th><th scope=\"col\">Alunos acima com ela</th>"
                    "<th scope=\"col\">Custo \xF3timo</th></tr></thead>\n<tbody>\n",
               room_change_count);
    for (int i = 0; i < count; ++i)
        write_investment(out, room_changes[chosen[i]], most_relieved);
    if (count > 0)
        markup(out, "</tbody>\n</table>\n");
    write_spare_seats(out);
    markup(out, "</section>\n");
}

// What moving a meeting from one room to the other saves in cost.
int64_t change_saving(int32_t section, const Meeting& meeting, int from, int to)
{
    int length = meeting.last_slot - meeting.first_slot + 1;
    return meeting_price(section, length, from) - meeting_price(section, length, to);
}

void write_change(std::FILE* out, int32_t section, const Meeting& meeting, int from, int to)
{
    int length = meeting.last_slot - meeting.first_slot + 1;
    markup(out, "<tr><td>%s</td><td>", WEEKDAY_TITLES[meeting.weekday]);
    write_clock(out, meeting.earliest_start);
    markup(out, ", %d %s</td><th scope=\"row\">", length, plural(length, "bloco", "blocos"));
    write_section_name(out, section);
    markup(out, " (%d %s)</th><td>", sections[section].demand, plural(sections[section].demand, "aluno", "alunos"));
    write_room_name(out, from);
    markup(out, " (%d %s)</td><td>", room_capacity[from], plural(room_capacity[from], "lugar", "lugares"));
    write_room_name(out, to);
    markup(out, " (%d %s)</td><td>%lld</td></tr>\n", room_capacity[to], plural(room_capacity[to], "lugar", "lugares"),
           static_cast<long long>(change_saving(section, meeting, from, to)));
}

// The meetings that the optimum puts in another room than the annealing, in
// order of their first slot, those that change the cost or those that do not:
// written to `out` unless it is null; returns how many.
int list_changes(std::FILE* out, bool saving)
{
    const AllocationGrid& annealed = board_solutions[ANNEALING_SOLUTION].report.grid;
    const AllocationGrid& optimal = board_solutions[OPTIMAL_SOLUTION].report.grid;
    int changes = 0;
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
            for (int m : meeting_numbers()) {
                const Meeting& meeting = sections[section].meetings[m];
                if (!is_present(meeting) || meeting.first_slot != row)
                    continue;
                int from = meeting_column(annealed, section, meeting), to = meeting_column(optimal, section, meeting);
                if (from == NO_COLUMN || to == NO_COLUMN || from == to || (change_saving(section, meeting, from, to) != 0) != saving)
                    continue;
                if (out != nullptr)
                    write_change(out, section, meeting, from, to);
                ++changes;
            }
    return changes;
}

void write_changes(std::FILE* out)
{
    if (!board_solutions[ANNEALING_SOLUTION].present || !board_solutions[OPTIMAL_SOLUTION].present)
        return;
    markup(out, "<section id=\"mudancas\">\n<h2>Mudan\xE7" "as do annealing para o \xF3timo</h2>\n");
    int changes = list_changes(nullptr, true), neutral = list_changes(nullptr, false);
    if (changes > 0) {
        markup(out, "<table>\n<thead><tr><th scope=\"col\">Dia</th><th scope=\"col\">In\xED" "cio</th>"
                    "<th scope=\"col\">Turma</th><th scope=\"col\">No annealing</th><th scope=\"col\">No \xF3timo</th>"
                    "<th scope=\"col\">Economia no custo</th></tr></thead>\n<tbody>\n");
        list_changes(out, true);
        markup(out, "</tbody>\n</table>\n");
    }
    markup(out, "<p>%d %s de sala com economia no custo; a economia de cada mudan\xE7" "a conta os alunos acima da "
                "capacidade e os lugares ociosos das duas salas. %d %s de sala sem mudar o custo.</p>\n</section>\n",
           changes, plural(changes, "reuni\xE3o muda", "reuni\xF5" "es mudam"), neutral,
           plural(neutral, "reuni\xE3o muda", "reuni\xF5" "es mudam"));
}

void write_meeting_cell(std::FILE* out, int32_t section, int rows, int room)
{
    markup(out, "<td rowspan=\"%d\" class=\"meeting%s\">", rows,
           sections[section].demand > room_capacity[room] ? " over" : "");
    write_section_name(out, section);
    markup(out, " <small>(%02d)</small>", section);
    write_pin_mark(out, section);
    markup(out, "<br>");
    write_students_and_fit(out, section, room);
    markup(out, "</td>");
}

// Columns first..last of a weekday board.
struct ColumnRange {
    int first;
    int last;
};

void write_board_header(std::FILE* out, ColumnRange columns)
{
    markup(out, "<thead><tr><th scope=\"col\">Hor\xE1rio</th>");
    for (int room = columns.first; room <= columns.last; ++room) {
        markup(out, "<th scope=\"col\">");
        write_room_name(out, room);
        markup(out, "<br><small>%d lugares</small>", room_capacity[room]);
        char names[512];
        describe_room_features(names, sizeof names, room);
        if (names[0] != '\0')
            markup(out, "<br><small>%s</small>", names);
        markup(out, "</th>");
    }
    markup(out, "</tr></thead>\n");
}

// One weekday of a solution, for some of its columns: a row per block, each
// meeting one cell over its rows. Its first table has the weekday's id.
void write_day_table(std::FILE* out, int kind, int weekday, ColumnRange columns)
{
    const SolutionFile& file = SOLUTION_FILES[kind];
    const AllocationGrid& grid = board_solutions[kind].report.grid;
    DaySlots day = week_days[weekday];
    char id[32];
    if (columns.first == 0)
        std::snprintf(id, sizeof id, "%s-%d", file.anchor, weekday);
    else
        std::snprintf(id, sizeof id, "%s-%d-%d", file.anchor, weekday, columns.first);
    markup(out, "<section class=\"day\" id=\"%s\">\n<h3 id=\"%s-titulo\">%s &middot; %s", id, id,
           WEEKDAY_TITLES[weekday], file.title);
    if (columns.first != 0 || columns.last != last_room)
        markup(out, " &middot; colunas %d a %d", columns.first, columns.last);
    markup(out, "</h3>\n<table class=\"board\" aria-labelledby=\"%s-titulo\">\n", id);
    write_board_header(out, columns);
    markup(out, "<tbody>\n");
    for (int row : slots_of(day)) {
        markup(out, "<tr><th scope=\"row\">");
        write_clock(out, slot_start(row));
        markup(out, "&ndash;");
        write_clock(out, slot_end(row));
        markup(out, "</th>");
        for (int room = columns.first; room <= columns.last; ++room) {
            int32_t section = grid[row][room];
            if (section != 0 && row > day.first && grid[row - 1][room] == section)
                continue;  // within the cell of the rows above
            int rows = 1;
            while (section != 0 && row + rows <= day.last && grid[row + rows][room] == section)
                ++rows;
            if (section == 0)
                write_empty_cell(out, row, room);
            else
                write_meeting_cell(out, section, rows, room);
        }
        markup(out, "</tr>\n");
    }
    markup(out, "</tbody>\n</table>\n</section>\n");
}

// A weekday in the fewest tables of at most BOARD_COLUMNS columns, of sizes
// that differ by one at most (41 columns: 9, 8, 8, 8, 8), each printed on a
// page of its own.
void write_day_board(std::FILE* out, int kind, int weekday)
{
    int columns = last_room + 1, tables = (columns + BOARD_COLUMNS - 1) / BOARD_COLUMNS;
    for (int table = 0, first = 0; table < tables; ++table) {
        int size = columns / tables + (table < columns % tables ? 1 : 0);
        write_day_table(out, kind, weekday, {first, first + size - 1});
        first += size;
    }
}

void write_solution(std::FILE* out, int kind)
{
    const SolutionFile& file = SOLUTION_FILES[kind];
    markup(out, "<section class=\"solution%s\" id=\"%s\">\n<h2>%s (%s)</h2>\n", kind == plan_kind() ? "" : " screen",
           file.anchor, file.title, file.name);
    for (int weekday = SUNDAY; weekday <= SATURDAY; ++weekday)
        if (weekday_has_meetings(weekday))
            write_day_board(out, kind, weekday);
    markup(out, "</section>\n");
}

}  // namespace

void write_board_page()
{
    std::FILE* out = begin_output_file("quadro.html", "\n\nArquivo quadro.html nao pode ser criado.\n");
    write_head(out);
    write_instance(out);
    write_navigation(out);
    markup(out, "<main>\n");
    write_summary(out);
    write_rules_section(out);
    write_investments(out);
    if (plan_kind() != SOLUTION_KINDS)
        write_solution(out, plan_kind());  // the plan first, then the others on screen
    for (int kind = 0; kind < SOLUTION_KINDS; ++kind)
        if (board_solutions[kind].present && kind != plan_kind())
            write_solution(out, kind);
    write_room_pages(out);
    write_class_list(out);
    write_changes(out);
    markup(out, "</main>\n</body>\n</html>\n");
    finish_output_file();
}
