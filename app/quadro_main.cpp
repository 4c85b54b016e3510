// alocacao-quadro: the weekly room board of the instance in the working
// directory and of whichever reports alocacao and alocacao-otimo left there
// (solucao.txt, solucaof.txt, otima.txt, planejamento.txt), written to
// quadro.html; the plan (plano.txt, else otima.txt, else solucaof.txt) also
// to alocacao.csv, with the best other rooms of each class in alternativas.csv,
// and, with --semestre AAAA-MM-DD:AAAA-MM-DD, to a calendar per room.
// Exit status: 0 when the files are written, also before any report exists;
// 1 for any other argument, an input file or a report that cannot be used, a
// file that cannot be written, or a console that cannot be written; 2 when
// the plan is not sound (a meeting missing, split or repeated, a cell outside
// the meetings, a rule of regras.txt broken): the page shows it, and nothing
// else is written; 3 when the plan is partial (meetings of an over-full
// block left out of the grid), its files written all the same.
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "io/console.hpp"
#include "model/instance.hpp"
#include "model/weights.hpp"
#include "report/board/board.hpp"
#include "report/board/export_set.hpp"
#include "report/solution_check.hpp"

namespace {

constexpr const char* USAGE =
    "Uso: alocacao-quadro [--semestre AAAA-MM-DD:AAAA-MM-DD]\n"
    "O per\xED" "odo s\xE3o duas datas reais, a do fim n\xE3o antes da do in\xED" "cio; "
    "SOURCE_DATE_EPOCH, quando dado, \xE9 um n\xFAmero de segundos de 0 a 253402300799.\n";

// Whether the arguments ask for calendars, into `semester`; anything but
// nothing or --semestre with a valid period (and a valid SOURCE_DATE_EPOCH)
// ends the process with the usage.
bool calendars_asked(int argc, char** argv, Semester& semester)
{
    if (argc == 1)
        return false;
    if (argc == 3 && std::strcmp(argv[1], "--semestre") == 0 && parse_semester(argv[2], semester) &&
        calendar_stamp_valid())
        return true;
    fail_with("%s", USAGE);
}

// "DIRETORIO/NAME": where a file was written, the directory printed whole.
void print_written(const char* what, const char* name)
{
    console_print("%s ", what);
    if (char* directory = getcwd(nullptr, 0)) {  // any length
        console_print_path(directory);
        console_print("/");
        std::free(directory);
    }
    console_print("%s\n", name);
}

}  // namespace

int main(int argc, char** argv)
{
    secure_standard_descriptors();
    fail_without_pause();
    Semester semester{};
    bool calendars = calendars_asked(argc, argv, semester);
    read_instance();
    load_weights();
    read_board_solutions();
    read_board_planning();
    bool has_plan = plan_kind() != SOLUTION_KINDS;
    if (calendars && has_plan && !plan_occurs_in(semester))
        fail_with("Nenhuma aula do plano cai no per\xED" "odo %s.\n%s", argv[2], USAGE);
    int faults = has_plan ? list_plan_faults(SOLUTION_FILES[plan_kind()].name, plan_grid(),
                                             solution_left_out(plan_kind()))
                          : 0;
    write_board_page();
    print_written("Quadro gravado em", "quadro.html");
    if (!has_plan)
        return console_exit_status(0);
    if (faults > 0) {
        console_print("alocacao.csv e os calend\xE1rios n\xE3o foram gravados: o plano tem %d %s.\n", faults,
                      plural(faults, "falha", "falhas"));
        return console_exit_status(2);
    }
    PlanExports written = write_plan_exports("quadro.html", calendars ? &semester : nullptr);
    print_written("Planilha gravada em", "alocacao.csv");
    print_written("Alternativas gravadas em", "alternativas.csv");
    if (written.changes) {
        print_written("Altera\xE7\xF5" "es gravadas em", CHANGES_FILE);
        console_print("%d %s de sala em rela\xE7\xE3o ao plano mantido.\n", *written.changes,
                      plural(*written.changes, "reuni\xE3o muda", "reuni\xF5" "es mudam"));
    }
    remove_stale_changes();
    if (calendars) {
        console_print("Calend\xE1rios gravados: %d %s\n", written.calendars,
                      plural(written.calendars, "arquivo sala-*.ics", "arquivos sala-*.ics"));
        remove_stale_calendars();
    }
    if (int left = solution_left_out(plan_kind()).count) {
        console_print("Plano parcial: %d %s fora da grade, sem sala em alocacao.csv e sem evento nos "
                      "calend\xE1rios (%s).\n",
                      left, plural(left, "reuni\xE3o", "reuni\xF5" "es"),
                      plan_kind() == OPTIMAL_SOLUTION ? "fora_da_grade.txt" : SOLUTION_FILES[plan_kind()].name);
        return console_exit_status(3);
    }
    return console_exit_status(0);
}
