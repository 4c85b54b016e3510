// alocacao: allocates classrooms to class sections by simulated annealing.
// Command-line arguments are ignored.
#include "app/menu.hpp"
#include "io/console.hpp"

int main()
{
    secure_standard_descriptors();
    return console_exit_status(run_menu_loop());
}
