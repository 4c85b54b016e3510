// alocacao: allocates classrooms to class sections by simulated annealing.
// Command-line arguments are ignored.
#include "app/menu.hpp"

int main()
{
    return run_menu_loop();
}
