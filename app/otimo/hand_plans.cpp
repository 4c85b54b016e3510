// Reading the hand-made plans: the spreadsheet checked, the kept plan taken in.
#include "app/otimo/hand_plans.hpp"

#include <cstring>
#include <strings.h>

#include "io/console.hpp"
#include "model/tables.hpp"
#include "report/edited_plan_file.hpp"
#include "report/grid_files.hpp"
#include "report/grid_reader.hpp"
#include "report/plan_csv.hpp"
#include "report/solution_check.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"
#include "search/optimum.hpp"

namespace {

// A plan may leave out of the grid no more meetings than the optimum must.
bool leaves_out_no_more_than_the_optimum(const char* name, const OptimumResult& optimum)
{
    if (edited_left_out.count <= optimum.left_out)
        return true;
    console_print_path(name);
    console_print(": o plano deixa %d %s fora da grade; o \xF3timo, %d.\n", edited_left_out.count,
                  plural(edited_left_out.count, "reuni\xE3o", "reuni\xF5" "es"), optimum.left_out);
    return false;
}

}  // namespace

int check_edited_plan(const char* name, double seconds)
{
    int faults = read_plan_csv(name, best_grid, edited_left_out);
    OptimumResult optimum{};
    if (faults == 0) {
        optimum = solve_optimum(candidate_grid, OPTIMUM_STATE_LIMIT, seconds);
        faults += !leaves_out_no_more_than_the_optimum(name, optimum);
    }
    if (faults > 0) {
        console_print("%d %s; plano.txt n\xE3o foi gravado.\n", faults, plural(faults, "falha", "falhas"));
        return 2;
    }
    grid_cost(best_grid, best_cost);
    violation_count = count_capacity_violations(best_grid);
    write_edited_plan_file(edited_left_out);
    console_print("Custo do plano: %d\nInviabilidades: %d\n", best_cost, violation_count);
    if (optimum.feasible)
        print_plan_figures("plano.txt", best_grid, optimum);
    if (edited_left_out.count > 0)
        console_print("plano.txt: %d %s fora da grade, %s no \xF3timo.\n", edited_left_out.count,
                      plural(edited_left_out.count, "reuni\xE3o", "reuni\xF5" "es"),
                      plural(edited_left_out.count, "como", "tantas quanto"));
    console_print("Plano gravado em plano.txt\n");
    return 0;
}

void read_kept_plan(const char* name)
{
    std::size_t length = std::strlen(name);
    bool spreadsheet = length > 4 && strcasecmp(name + length - 4, ".csv") == 0;
    static LeftOutMeetings rows_without_room;
    if (spreadsheet && read_plan_csv(name, candidate_grid, rows_without_room, PlanReading::Kept) > 0)
        fail_with("\n\nArquivo %s: faltam colunas do plano no cabecalho\n", name);
    static GridReport kept;
    switch (spreadsheet ? ReportRead::Read : read_grid_report(name, true, kept, read_edited_plan_trailer)) {
    case ReportRead::Missing:
    case ReportRead::Unreadable:
        fail_with("\n\nArquivo %s nao pode ser aberto.\n", name);
    case ReportRead::Malformed:
        fail_with("\n\nArquivo %s, linha %d: formato inesperado (um relatorio como otima.txt, ou uma planilha .csv)\n",
                  name, kept.bad_line);
    case ReportRead::Read:
        break;
    }
    keep_plan(spreadsheet ? candidate_grid : kept.grid);
    console_print("Plano mantido (");
    console_print_path(name);
    console_print("): %d %s com sala.\n", kept_count, plural(kept_count, "reuni\xE3o", "reuni\xF5" "es"));
}
