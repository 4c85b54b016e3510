// alocacao-otimo: the fitted optimal allocation of the instance in the
// working directory, written to otima.txt with what it means for the
// students, and an independent check of the reports that alocacao left there
// (solucaof.txt, solucao.txt) against it. With --planejar, then the optimum
// after each single change of one column's seats, ranked by the students it
// leaves above capacity in planejamento.txt; where to invest and the spare
// seats on the console, and what each room rule of regras.txt costs.
// With --limite SEGUNDOS, the solver stops there, with the best allocation
// found and a bound. With --plano ARQUIVO.csv, instead, a plan edited in a
// spreadsheet (alocacao.csv) is read back, checked and, when sound, written
// to plano.txt with its true cost and its distance to the optimum.
// When some slot holds more meetings than columns, the slots are named with
// their classes, and the plan leaves out of the grid the fewest meetings it
// can (named, and listed in fora_da_grade.txt); planning is not done then.
// Exit status: 0 when done, proven, and every report present passes its
// check; 1 for an unknown option, a file error, an instance whose rules
// leave no allocation or a console that cannot be written; 2 when a report
// fails its check, the optimum is not proven or the edited plan is not
// sound; 3 otherwise when the plan is partial (meetings out of the grid).
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "io/console.hpp"
#include "model/calendar.hpp"
#include "model/instance.hpp"
#include "model/rules.hpp"
#include "model/tables.hpp"
#include "model/weights.hpp"
#include "report/grid_files.hpp"
#include "report/grid_reader.hpp"
#include "report/left_out_file.hpp"
#include "report/moved_file.hpp"
#include "report/plan_csv.hpp"
#include "report/planning_file.hpp"
#include "report/solution_check.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"
#include "search/optimum.hpp"
#include "search/optimum_model.hpp"
#include "search/planning.hpp"

namespace {

// "turma 5 (MTM 101-5)"
void print_class(int32_t section)
{
    const Section& s = sections[section];
    console_print("turma %d (%s %d-%d)", section, s.course_code, s.course_number, s.section_number);
}

// The classes that meet at weekly slot `slot`.
void print_classes_at(int32_t slot)
{
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday != 0 && meeting.first_slot <= slot && slot <= meeting.last_slot) {
                console_print("  ");
                print_class(section);
                console_print("\n");
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

// What the rules of regras.txt left without an allocation is named, or that
// none was found within the time limit; ends the process.
[[noreturn]] void refuse_without_allocation()
{
    if (name_where_rules_leave_no_room())
        fail_with("N\xE3o existe aloca\xE7\xE3o que cumpra as regras de regras.txt.\n");
    fail_with("Nenhuma aloca\xE7\xE3o que cumpra as regras de regras.txt foi encontrada.\n");
}

// Names each slot with more meetings than open columns, with the classes
// that meet there; the optimum then leaves the fewest meetings it can out of
// the grid.
void warn_overfull_slots()
{
    std::array<int32_t, SLOT_COUNT + 1> count = meetings_per_slot();
    for (int row = 1; row <= SLOT_COUNT; ++row) {
        if (count[row] <= open_columns(row))
            continue;
        int32_t start = slot_start(row);
        console_print("Aviso: %s, bloco das %02d:%02d: %d reunioes para %d colunas (sv e %d salas).\n",
                      weekday_name(slot_weekday(row)), start / 60, start % 60, count[row], open_columns(row),
                      open_columns(row) - 1);
        for (int32_t section = 1; section <= section_count; ++section)
            for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
                const Meeting& meeting = sections[section].meetings[m];
                if (meeting.weekday == 0 || row < meeting.first_slot || row > meeting.last_slot)
                    continue;
                console_print("  ");
                print_class(section);
                console_print(", %d alunos, %02d:%02d a %02d:%02d\n", sections[section].demand,
                              meeting.earliest_start / 60, meeting.earliest_start % 60, meeting.end_time / 60,
                              meeting.end_time % 60);
            }
    }
}

// Names each meeting the optimum left out of the grid.
void name_left_out()
{
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m)
            if (left_out[section][m]) {
                const Meeting& meeting = sections[section].meetings[m];
                console_print("Reuniao sem lugar na grade: ");
                print_class(section);
                console_print(", %s %02d:%02d a %02d:%02d.\n", weekday_name(meeting.weekday),
                              meeting.earliest_start / 60, meeting.earliest_start % 60, meeting.end_time / 60,
                              meeting.end_time % 60);
            }
}

void report_optimum(const OptimumResult& result)
{
    if (result.proven && result.cost != best_cost) {  // with the price of the meetings moved
        console_print("Custo \xF3timo: %lld (a grade %d, mais %d mudan\xE7" "as de sala a %d)\n",
                      static_cast<long long>(result.cost), best_cost, result.moved, change_weight);
    } else if (result.proven) {
        console_print("Custo \xF3timo: %d\n", best_cost);
    } else {
        char percent[32];
        format_percent(percent, sizeof percent, result.cost - result.lower_bound, result.cost, 2);
        console_print("Limite de tempo atingido: a otimalidade n\xE3o foi provada (nao provado).\n"
                      "Melhor custo encontrado: %lld\nLimite inferior: %lld\nDiferen\xE7" "a: %lld (%s %%)\n",
                      static_cast<long long>(result.cost), static_cast<long long>(result.lower_bound),
                      static_cast<long long>(result.cost - result.lower_bound), percent);
    }
    console_print("Inviabilidades: %d\nAlunos acima da capacidade: %lld\nReuni\xF5" "es sem sala: %d\n"
                  "Lugares ociosos em salas ocupadas: %lld\n",
                  violation_count, static_cast<long long>(result.figures.students_above),
                  result.figures.meetings_without_room, static_cast<long long>(result.figures.occupied_idle_seats));
    if (same_room_weight > 0)
        console_print("Turmas que mudam de sala: %d\n", sections_changing_rooms(best_grid));
    console_print("Aloca\xE7\xE3o gravada em otima.txt\n");
    if (left_out_count > 0)
        console_print("Reuni\xF5" "es fora da grade gravadas em %s\n", LEFT_OUT_FILE);
}

constexpr const char* USAGE =
    "Uso: alocacao-otimo [--planejar | --plano ARQUIVO.csv | --manter ARQUIVO] [--limite SEGUNDOS]\n";

// What the arguments ask: one of --planejar, --plano ARQUIVO.csv and
// --manter ARQUIVO, and --limite SEGUNDOS (a whole number of seconds above
// 0, blanks around it allowed), each at most once, in any order; anything
// else ends the process with the usage line.
struct Request {
    bool planning;
    double seconds;         // 0: no limit
    const char* plan_file;  // the spreadsheet plan to read back; null for none
    const char* kept_file;  // the published plan to keep; null for none
};

Request read_arguments(int argc, char** argv)
{
    Request request{false, 0.0, nullptr, nullptr};
    for (int i = 1; i < argc; ++i) {
        bool mode_free = !request.planning && request.plan_file == nullptr && request.kept_file == nullptr;
        bool file_follows = i + 1 < argc && argv[i + 1][0] != '\0';
        if (std::strcmp(argv[i], "--planejar") == 0 && mode_free) {
            request.planning = true;
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
        fail_with("%s", USAGE);
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

// The published plan to keep, from a grid report (otima.txt, plano.txt) or
// from a spreadsheet (a name ending in .csv); a file that cannot be used
// ends the process with status 1.
void read_kept_plan(const char* name)
{
    std::size_t length = std::strlen(name);
    bool spreadsheet = length > 4 && strcasecmp(name + length - 4, ".csv") == 0;
    if (spreadsheet && read_plan_csv(name, candidate_grid, PlanReading::Kept) > 0)
        fail_with("\n\nArquivo %s: faltam colunas do plano no cabecalho\n", name);
    static GridReport kept;
    switch (spreadsheet ? ReportRead::Read : read_grid_report(name, true, kept)) {
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
    console_print("): %d reuni\xF5" "es com sala.\n", kept_count);
}

// "sv", "03", "117": a column as alocacao.csv writes it.
void print_column(int32_t room)
{
    if (room == OVERFLOW_COLUMN)
        console_print("sv");
    else
        console_print("%0*d", last_room >= 100 ? 3 : 2, room);
}

// The kept meetings that the optimum puts in another room, one line each.
void name_moved_meetings()
{
    console_print("Reunioes que mudam de sala em relacao ao plano mantido: %d\n", moved_count);
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
            if (moved_from[section][m] == 0)
                continue;
            const Meeting& meeting = sections[section].meetings[m];
            console_print("  ");
            print_class(section);
            console_print(", %s %02d:%02d a %02d:%02d: sala ", weekday_name(meeting.weekday),
                          meeting.earliest_start / 60, meeting.earliest_start % 60, meeting.end_time / 60,
                          meeting.end_time % 60);
            print_column(moved_from[section][m] - 1);
            console_print(" -> sala ");
            int32_t now = first_slot_column(best_grid, section, m);
            if (now < 0)
                console_print("nenhuma (fora da grade)");
            else
                print_column(now);
            console_print("\n");
        }
}

// The plan of a spreadsheet, read back and checked; when sound, written to
// plano.txt with its figures and its distance to the optimum. Returns the
// exit status: 0, or 2 when it is not sound (nothing written).
int check_edited_plan(const char* name, double seconds)
{
    int faults = read_plan_csv(name, best_grid);
    if (faults > 0) {
        console_print("%d %s; plano.txt n\xE3o foi gravado.\n", faults, faults == 1 ? "falha" : "falhas");
        return 2;
    }
    grid_cost(best_grid, best_cost);
    violation_count = count_capacity_violations(best_grid);
    OptimumResult optimum = solve_optimum(candidate_grid, OPTIMUM_STATE_LIMIT, seconds);
    write_edited_plan_file();
    console_print("Custo do plano: %d\nInviabilidades: %d\n", best_cost, violation_count);
    if (optimum.feasible)
        print_plan_figures("plano.txt", best_grid, optimum);
    console_print("Plano gravado em plano.txt\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    secure_standard_descriptors();
    fail_without_pause();
    Request request = read_arguments(argc, argv);
    read_instance();
    load_weights();
    if (request.plan_file != nullptr)
        return console_exit_status(check_edited_plan(request.plan_file, request.seconds));
    if (request.kept_file != nullptr)
        read_kept_plan(request.kept_file);
    warn_overfull_slots();
    OptimumResult result = solve_optimum(best_grid, OPTIMUM_STATE_LIMIT, request.seconds);
    if (!result.feasible)
        refuse_without_allocation();
    mark_left_out(best_grid);
    name_left_out();
    grid_cost(best_grid, best_cost);
    violation_count = count_capacity_violations(best_grid);
    write_optimum_file();
    write_left_out_file();
    mark_moved(best_grid);
    write_moved_file(best_grid, request.kept_file != nullptr);
    report_optimum(result);
    if (request.kept_file != nullptr)
        name_moved_meetings();
    bool final_ok = check_report_file("solucaof.txt", true, result);
    bool initial_ok = check_report_file("solucao.txt", false, result);
    if (request.planning && left_out_count > 0)
        console_print("Planejamento n\xE3o feito: ele compara planos com todas as reuni\xF5" "es na grade.\n");
    else if (request.planning)
        plan_room_changes(result, request.seconds);
    if (!final_ok || !initial_ok || !result.proven)
        return console_exit_status(2);
    return console_exit_status(left_out_count > 0 ? 3 : 0);
}
