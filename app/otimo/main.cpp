// alocacao-otimo: the fitted optimal allocation of the instance in the
// working directory, written to otima.txt with what it means for the
// students, and an independent check of the reports that alocacao left there
// (solucaof.txt, solucao.txt) against it. With --planejar, then the optimum
// after each single change of one column's seats, ranked by the students it
// leaves above capacity in planejamento.txt; where to invest and the spare
// seats on the console, and what each room rule of regras.txt costs.
// With --limite SEGUNDOS, the program solves within that time from its
// start (a solver past it is ended), with the best allocation found and a
// bound; planning then does the solves that fit and says when it stopped.
// With --plano ARQUIVO.csv, instead, a plan edited in a spreadsheet
// (alocacao.csv) is read back, checked and, when sound, written to plano.txt
// with its true cost and its distance to the optimum.
// When some slot holds more meetings than columns, the slots are named with
// their classes, and the plan leaves out of the grid the fewest meetings it
// can (named, and listed in fora_da_grade.txt); planning is not done then.
// Exit status: 0 when done, proven, and every report present passes its
// check; 1 for an unknown option, a file error or a console that cannot be
// written; 2 when a report fails its check or the edited plan is not sound;
// 3 otherwise when the plan is partial (meetings out of the grid); 4
// otherwise when the plan is not proven optimal or planning ran out of time.
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "app/otimo/allocation_notes.hpp"
#include "app/otimo/hand_plans.hpp"
#include "io/console.hpp"
#include "io/ending_signals.hpp"
#include "io/output_file.hpp"
#include "model/instance.hpp"
#include "model/rules/rules.hpp"
#include "model/tables.hpp"
#include "model/weights.hpp"
#include "report/grid_files.hpp"
#include "report/left_out_file.hpp"
#include "report/moved_file.hpp"
#include "report/planning_file.hpp"
#include "report/solution_check.hpp"
#include "search/cost.hpp"
#include "search/optimum.hpp"
#include "search/planning.hpp"

namespace {

// Why an optimum was not proven, as the console says it.
const char* unproven_reason(const OptimumResult& result)
{
    if (result.week_too_large)
        return "Semana grande demais para um modelo s\xF3";
    if (result.left_out_apart)
        return "Reuni\xF5" "es fora da grade escolhidas dia a dia, sem o pre\xE7o de mesma_sala";
    return "Limite de tempo atingido";
}

void report_optimum(const OptimumResult& result)
{
    if (result.proven && result.cost != best_cost) {  // with the price of the meetings moved
        console_print("Custo \xF3timo: %lld (a grade %d, mais %d %s de sala a %d)\n",
                      static_cast<long long>(result.cost), best_cost, result.moved,
                      plural(result.moved, "mudan\xE7" "a", "mudan\xE7" "as"), change_weight);
    } else if (result.proven) {
        console_print("Custo \xF3timo: %d\n", best_cost);
    } else {
        char percent[32];
        format_percent(percent, sizeof percent, result.cost - result.lower_bound, result.cost, 2);
        console_print("%s: a otimalidade n\xE3o foi provada (nao provado).\n", unproven_reason(result));
        console_print("Melhor custo encontrado: %lld\nLimite inferior: %lld\nDiferen\xE7" "a: %lld (%s %%)\n",
                      static_cast<long long>(result.cost), static_cast<long long>(result.lower_bound),
                      static_cast<long long>(result.cost - result.lower_bound), percent);
    }
    console_print("Inviabilidades: %d\nAlunos acima da capacidade: %lld\nReuni\xF5" "es sem sala: %d\n", violation_count,
                  static_cast<long long>(result.figures.students_above), result.figures.meetings_without_room);
    name_meetings_without_room(best_grid);
    console_print("Lugares ociosos em salas ocupadas: %lld\n", static_cast<long long>(result.figures.occupied_idle_seats));
    if (same_room_weight > 0)
        console_print("Turmas com mudan\xE7" "as de sala dentro da semana: %d\n", sections_changing_rooms(best_grid));
    console_print("Aloca\xE7\xE3o gravada em otima.txt\n");
    if (left_out.count > 0)
        console_print("Reuni\xF5" "es fora da grade gravadas em %s\n", LEFT_OUT_FILE);
}

constexpr const char* USAGE =
    "Uso: alocacao-otimo [--planejar[=salas|=regras] | --plano ARQUIVO.csv | --manter ARQUIVO] "
    "[--limite SEGUNDOS]\n";

// What --planejar asks: nothing, the changes of seats and the rules, or one of them.
enum class Planning { None, All, Seats, Rules };

// What the arguments ask: one of --planejar (or --planejar=salas,
// --planejar=regras), --plano ARQUIVO.csv and --manter ARQUIVO, and
// --limite SEGUNDOS (a whole number of seconds above 0, blanks around it
// allowed), each at most once, in any order; anything else ends the process
// with the usage line.
struct Request {
    Planning planning;
    double seconds;         // 0: no limit
    const char* plan_file;  // the spreadsheet plan to read back; null for none
    const char* kept_file;  // the published plan to keep; null for none
};

Planning planning_asked(const char* argument)
{
    if (std::strcmp(argument, "--planejar") == 0)
        return Planning::All;
    if (std::strcmp(argument, "--planejar=salas") == 0)
        return Planning::Seats;
    if (std::strcmp(argument, "--planejar=regras") == 0)
        return Planning::Rules;
    return Planning::None;
}

// Blanks after a number count as those before it, which strtol takes.
bool only_blanks(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    return *text == '\0';
}

Request read_arguments(int argc, char** argv)
{
    Request request{Planning::None, 0.0, nullptr, nullptr};
    for (int i = 1; i < argc; ++i) {
        bool mode_free =
            request.planning == Planning::None && request.plan_file == nullptr && request.kept_file == nullptr;
        bool file_follows = i + 1 < argc && argv[i + 1][0] != '\0';
        if (planning_asked(argv[i]) != Planning::None && mode_free) {
            request.planning = planning_asked(argv[i]);
            continue;
        }
        if (std::strcmp(argv[i], "--plano") == 0 && file_follows && mode_free) {
            request.plan_file = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--manter") == 0 && file_follows && mode_free) {
            request.kept_file = argv[++i];
            continue;
        }
        char* end = nullptr;  // past the number: set whenever one was read, which a limit above 0 needs
        long seconds = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
        if (std::strcmp(argv[i], "--limite") == 0 && request.seconds == 0.0 && seconds > 0 && seconds <= 1000000 &&
            only_blanks(end)) {
            request.seconds = static_cast<double>(seconds);
            ++i;
            continue;
        }
        fail_with("%s", USAGE);
    }
    return request;
}

// Each step takes what is left of the limit of `seconds` since `started`;
// the changes of seats, the rules or both, as `what` asks. Returns whether
// planning evaluated every change it set out to.
bool plan_room_changes(const OptimumResult& optimum, Planning what, double seconds,
                       std::chrono::steady_clock::time_point started)
{
    if (!planned_costs_exact())
        fail_with("\n\nArquivo peso.par: com estes pesos o planejamento passaria de 64 bits\n");
    bool seats = what != Planning::Rules, rules_too = what != Planning::Seats;
    PlanningBaseline today{optimum.cost, optimum_students_above(optimum), optimum.proven, seats, rules_too};
    start_planning_progress((seats ? room_changes_to_try() : 0) + (rules_too ? rule_prices_to_try() : 0), true);
    if (seats) {
        evaluate_room_changes(OPTIMUM_STATE_LIMIT, today.students_above, seconds_left(seconds, started));
        choose_spare_set(OPTIMUM_STATE_LIMIT, today.optimum_cost, today.students_above,
                         seconds_left(seconds, started));
    }
    if (rules_too)
        price_rules(OPTIMUM_STATE_LIMIT, today.optimum_cost, today.students_above, best_grid,
                    seconds_left(seconds, started));
    today.evaluated = planning_progress.evaluated;
    today.planned = planning_progress.planned;
    write_planning_file(today);
    print_planning(today);
    if (planning_cut_short)
        console_print("Planejamento incompleto: o limite de tempo acabou antes de todas as solu\xE7\xF5" "es.\n");
    return !planning_incomplete(today);
}

}  // namespace

int main(int argc, char** argv)
{
    auto started = std::chrono::steady_clock::now();
    secure_standard_descriptors();
    fail_without_pause();
    watch_ending_signals();  // Ctrl-C ends even a long solve, and leaves no file half written
    set_interruption_notice("\nInterrompido: nenhum arquivo ficou pela metade; os que faltava gravar ficam "
                            "como estavam.\n");
    Request request = read_arguments(argc, argv);
    read_instance();
    load_weights();
    if (request.plan_file != nullptr)
        return console_exit_status(check_edited_plan(request.plan_file, seconds_left(request.seconds, started)));
    if (request.kept_file != nullptr)
        read_kept_plan(request.kept_file);
    warn_overfull_slots();
    OptimumResult result = solve_optimum(best_grid, OPTIMUM_STATE_LIMIT, seconds_left(request.seconds, started));
    if (!result.feasible)
        refuse_without_allocation();
    warn_rule_tight_weekdays(result.rule_tight_weekdays);
    mark_left_out(best_grid);
    name_left_out();
    grid_cost(best_grid, best_cost);
    violation_count = count_capacity_violations(best_grid);
    mark_moved(best_grid);
    begin_output_set();  // the plan and its lists, replaced together or not at all
    write_optimum_file(result.proven, result.lower_bound);
    write_left_out_file();
    write_moved_file(best_grid, request.kept_file != nullptr);
    commit_output_set();
    report_optimum(result);
    if (request.kept_file != nullptr)
        name_moved_meetings();
    bool final_ok = check_report_file("solucaof.txt", true, result);
    bool initial_ok = check_report_file("solucao.txt", false, result);
    bool planned = true;
    if (request.planning != Planning::None && left_out.count > 0)
        console_print("Planejamento n\xE3o feito: ele compara planos com todas as reuni\xF5" "es na grade.\n");
    else if (request.planning != Planning::None)
        planned = plan_room_changes(result, request.planning, request.seconds, started);
    if (!final_ok || !initial_ok)
        return console_exit_status(2);
    if (left_out.count > 0)
        return console_exit_status(3);
    return console_exit_status(result.proven && planned ? 0 : 4);
}
