// alocacao-otimo: the fitted optimal allocation of the instance in the
// working directory, written to otima.txt with what it means for the
// students, and an independent check of the reports that alocacao left there
// (solucaof.txt, solucao.txt) against it. With --planejar, then the optimum
// after each single change of one column's seats, ranked by the students it
// leaves above capacity in planejamento.txt; where to invest and the spare
// seats on the console.
// Exit status: 0 when done and every report present passes its check; 1 for
// an unknown option, a file error, an instance without a feasible allocation
// or a console that cannot be written; 2 when a report fails its check.
#include <cstring>

#include "io/console.hpp"
#include "model/instance.hpp"
#include "model/tables.hpp"
#include "model/weights.hpp"
#include "report/grid_files.hpp"
#include "report/planning_file.hpp"
#include "report/solution_check.hpp"
#include "search/cost.hpp"
#include "search/optimum.hpp"
#include "search/planning.hpp"

namespace {

// Names the slots with more meetings than columns and ends the process.
[[noreturn]] void refuse_overfull_slots()
{
    std::array<int32_t, SLOT_COUNT + 1> count = meetings_per_slot();
    for (int row = 1; row <= SLOT_COUNT; ++row)
        if (count[row] > last_room + 1)
            console_print("Hor\xE1rio %d: %d reuni\xF5" "es para %d colunas.\n", row, count[row], last_room + 1);
    fail_with("N\xE3o existe aloca\xE7\xE3o: h\xE1 mais reuni\xF5" "es que colunas nos hor\xE1rios acima.\n");
}

void report_optimum(const OptimumResult& result)
{
    if (result.proven)
        console_print("Custo \xF3timo: %d\n", best_cost);
    else
        console_print("Busca interrompida ap\xF3s %lld estados: a otimalidade n\xE3o foi provada.\n"
                      "Melhor custo encontrado: %d\nLimite inferior: %lld\n",
                      static_cast<long long>(result.states), best_cost,
                      static_cast<long long>(result.lower_bound));
    console_print("Inviabilidades: %d\nAlunos acima da capacidade: %lld\nReuni\xF5" "es sem sala: %d\n"
                  "Lugares ociosos em salas ocupadas: %lld\nAloca\xE7\xE3o gravada em otima.txt\n",
                  violation_count, static_cast<long long>(result.figures.students_above),
                  result.figures.meetings_without_room, static_cast<long long>(result.figures.occupied_idle_seats));
}

// Whether the arguments ask for the planning; anything else than
// --planejar alone ends the process with the usage line.
bool planning_asked(int argc, char** argv)
{
    if (argc == 1)
        return false;
    if (argc == 2 && std::strcmp(argv[1], "--planejar") == 0)
        return true;
    fail_with("Uso: alocacao-otimo [--planejar]\n");
}

void plan_room_changes(const OptimumResult& optimum)
{
    if (!planned_costs_exact())
        fail_with("\n\nArquivo peso.par: com estes pesos o planejamento passaria de 64 bits\n");
    PlanningBaseline today{optimum.cost, least_students_above(optimum)};
    evaluate_room_changes(OPTIMUM_STATE_LIMIT, today.students_above);
    write_planning_file(today);
    print_planning(today);
}

}  // namespace

int main(int argc, char** argv)
{
    secure_standard_descriptors();
    fail_without_pause();
    bool planning = planning_asked(argc, argv);
    read_instance();
    load_weights();
    OptimumResult result = solve_optimum(best_grid);
    if (!result.feasible)
        refuse_overfull_slots();
    best_cost = static_cast<int32_t>(result.cost);
    violation_count = count_capacity_violations(best_grid);
    write_optimum_file();
    report_optimum(result);
    bool final_ok = check_report_file("solucaof.txt", true, result);
    bool initial_ok = check_report_file("solucao.txt", false, result);
    if (planning)
        plan_room_changes(result);
    return console_exit_status(final_ok && initial_ok ? 0 : 2);
}
