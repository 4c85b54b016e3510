// alocacao-quadro: the weekly room board of the instance in the working
// directory and of whichever reports alocacao and alocacao-otimo left there
// (solucao.txt, solucaof.txt, otima.txt, planejamento.txt), written to
// quadro.html.
// Exit status: 0 when the page is written, also before any report exists; 1
// for an input file or a report that cannot be used, a page that cannot be
// written, or a console that cannot be written. Command-line arguments are
// ignored.
#include <cstdlib>
#include <unistd.h>

#include "io/console.hpp"
#include "model/instance.hpp"
#include "model/weights.hpp"
#include "report/board/board.hpp"

int main()
{
    secure_standard_descriptors();
    fail_without_pause();
    read_instance();
    load_weights();
    read_board_solutions();
    read_board_planning();
    write_board_page();
    console_print("Quadro gravado em ");
    if (char* directory = getcwd(nullptr, 0)) {  // any length
        console_print_path(directory);
        console_print("/");
        std::free(directory);
    }
    console_print("quadro.html\n");
    return console_exit_status(0);
}
