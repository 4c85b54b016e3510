// alocacao-otimo: the fitted optimal allocation of the instance in the
// working directory, written to otima.txt with what it means for the
// students, and an independent check of the reports that alocacao left there
// (solucaof.txt, solucao.txt) against it. With --planejar, then the optimum
// after each single change of one column's seats, ranked by the students it
// leaves above capacity in planejamento.txt; where to invest and the spare
// seats on the console, and what each room rule of regras.txt costs.
// With --limite SEGUNDOS, the solver stops there, with the best allocation
// found and a bound.
// Exit status: 0 when done, proven, and every report present passes its
// check; 1 for an unknown option, a file error, an instance without a
// feasible allocation or a console that cannot be written; 2 when a report
// fails its check or the optimum is not proven.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "io/console.hpp"
#include "model/calendar.hpp"
#include "model/instance.hpp"
#include "model/rules.hpp"
#include "model/tables.hpp"
#include "model/weights.hpp"
#include "report/grid_files.hpp"
#include "report/planning_file.hpp"
#include "report/solution_check.hpp"
#include "search/cost.hpp"
#include "search/optimum.hpp"
#include "search/optimum_model.hpp"
#include "search/planning.hpp"

namespace {

// The classes that meet at weekly slot `slot`.
void print_classes_at(int32_t slot)
{
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday != 0 && meeting.first_slot <= slot && slot <= meeting.last_slot) {
                const Section& s = sections[section];
                console_print("  turma %d (%s %d-%d)\n", section, s.course_code, s.course_number, s.section_number);
            }
        }
}

// Names, for each weekday the rules leave without an allocation, the block
// where the columns they leave open run out and the classes there; false
// when every weekday has one.
bool name_where_rules_leave_no_room()
{
    bool named = false;
    for (int32_t weekday = MONDAY; weekday <= SATURDAY; ++weekday)
        if (int32_t slot = slot_where_columns_run_out(weekday)) {
            int32_t start = slot_start(slot);
            console_print("%s, bloco das %02d:%02d: as colunas que regras.txt deixa abertas acabam; "
                          "turmas nesse bloco:\n",
                          weekday_name(weekday), start / 60, start % 60);
            print_classes_at(slot);
            named = true;
        }
    return named;
}

// Names the slots with more meetings than open columns and ends the
// process; without such a slot, the rules of regras.txt left no allocation,
// and where the columns run out is named (or none was found within the
// time limit).
[[noreturn]] void refuse_without_allocation()
{
    std::array<int32_t, SLOT_COUNT + 1> count = meetings_per_slot();
    bool overfull = false;
    for (int row = 1; row <= SLOT_COUNT; ++row)
        if (count[row] > open_columns(row)) {
            console_print("Hor\xE1rio %d: %d reuni\xF5" "es para %d colunas.\n", row, count[row], open_columns(row));
            overfull = true;
        }
    if (overfull)
        fail_with("N\xE3o existe aloca\xE7\xE3o: h\xE1 mais reuni\xF5" "es que colunas nos hor\xE1rios acima.\n");
    if (name_where_rules_leave_no_room())
        fail_with("N\xE3o existe aloca\xE7\xE3o que cumpra as regras de regras.txt.\n");
    fail_with("Nenhuma aloca\xE7\xE3o que cumpra as regras de regras.txt foi encontrada.\n");
}

void report_optimum(const OptimumResult& result)
{
    if (result.proven) {
        console_print("Custo \xF3timo: %d\n", best_cost);
    } else {
        char percent[32];
        format_percent(percent, sizeof percent, result.cost - result.lower_bound, result.cost, 2);
        console_print("Limite de tempo atingido: a otimalidade n\xE3o foi provada (nao provado).\n"
                      "Melhor custo encontrado: %d\nLimite inferior: %lld\nDiferen\xE7" "a: %lld (%s %%)\n",
                      best_cost, static_cast<long long>(result.lower_bound),
                      static_cast<long long>(result.cost - result.lower_bound), percent);
    }
    console_print("Inviabilidades: %d\nAlunos acima da capacidade: %lld\nReuni\xF5" "es sem sala: %d\n"
                  "Lugares ociosos em salas ocupadas: %lld\n",
                  violation_count, static_cast<long long>(result.figures.students_above),
                  result.figures.meetings_without_room, static_cast<long long>(result.figures.occupied_idle_seats));
    if (same_room_weight > 0)
        console_print("Turmas que mudam de sala: %d\n", sections_changing_rooms(best_grid));
    console_print("Aloca\xE7\xE3o gravada em otima.txt\n");
}

// What the arguments ask: --planejar, and --limite SEGUNDOS (a whole number
// of seconds above 0, blanks around it allowed), each at most once, in any order; anything else ends
// the process with the usage line.
struct Request {
    bool planning;
    double seconds;  // 0: no limit
};

Request read_arguments(int argc, char** argv)
{
    Request request{false, 0.0};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--planejar") == 0 && !request.planning) {
            request.planning = true;
            continue;
        }
        char* end = nullptr;
        long seconds = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
        while (end != nullptr && end != argv[i + 1] && std::isspace(static_cast<unsigned char>(*end)))
            ++end;  // blanks after the number, as strtol takes those before it
        if (std::strcmp(argv[i], "--limite") == 0 && request.seconds == 0.0 && end != argv[i + 1] && *end == '\0' &&
            seconds > 0 && seconds <= 1000000) {
            request.seconds = static_cast<double>(seconds);
            ++i;
            continue;
        }
        fail_with("Uso: alocacao-otimo [--planejar] [--limite SEGUNDOS]\n");
    }
    return request;
}

void plan_room_changes(const OptimumResult& optimum, double seconds)
{
    if (!planned_costs_exact())
        fail_with("\n\nArquivo peso.par: com estes pesos o planejamento passaria de 64 bits\n");
    PlanningBaseline today{optimum.cost, optimum_students_above(optimum)};
    evaluate_room_changes(OPTIMUM_STATE_LIMIT, today.students_above, seconds);
    choose_spare_set(OPTIMUM_STATE_LIMIT, today.optimum_cost, today.students_above, seconds);
    price_rules(OPTIMUM_STATE_LIMIT, today.optimum_cost, today.students_above, seconds);
    write_planning_file(today);
    print_planning(today);
}

}  // namespace

int main(int argc, char** argv)
{
    secure_standard_descriptors();
    fail_without_pause();
    Request request = read_arguments(argc, argv);
    read_instance();
    load_weights();
    OptimumResult result = solve_optimum(best_grid, OPTIMUM_STATE_LIMIT, request.seconds);
    if (!result.feasible)
        refuse_without_allocation();
    best_cost = static_cast<int32_t>(result.cost);
    violation_count = count_capacity_violations(best_grid);
    write_optimum_file();
    report_optimum(result);
    bool final_ok = check_report_file("solucaof.txt", true, result);
    bool initial_ok = check_report_file("solucao.txt", false, result);
    if (request.planning)
        plan_room_changes(result, request.seconds);
    return console_exit_status(final_ok && initial_ok && result.proven ? 0 : 2);
}
