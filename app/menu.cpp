// The banner, the menu and the two actions it dispatches.
#include "app/menu.hpp"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "io/console.hpp"
#include "model/instance.hpp"
#include "model/tables.hpp"
#include "report/grid_files.hpp"
#include "report/violations.hpp"
#include "search/allocation.hpp"
#include "search/anneal.hpp"

namespace {

constexpr int32_t NOT_A_CHOICE = INT32_MIN;  // no entry of the menu

void print_banner()
{
    if (console_is_terminal()) {
        console_clear_screen();
        console_rule();
        console_move_to(28, 2);
        console_print("PROBLEMA DE ALOCACAO DE SALAS\n");
        console_move_to(27, 3);
        console_print("- USANDO SIMULATED ANNEALING -\n");
    } else {
        console_rule();
        console_print("\n%27sPROBLEMA DE ALOCACAO DE SALAS\n", "");
        console_print("%26s- USANDO SIMULATED ANNEALING -\n", "");
    }
    console_rule();
}

void discard_rest_of_line(int c)
{
    while (c != '\n' && c != EOF)
        c = console_read_char();
}

// Reads a whole number as "%d" does, leaving what follows it unread.
// End of input gives 0; an entry that is not a number gives NOT_A_CHOICE
// and its line is discarded; a number beyond 32 bits gives NOT_A_CHOICE.
int32_t read_menu_number()
{
    int c = console_read_char();
    while (c != EOF && std::isspace(c))
        c = console_read_char();
    if (c == EOF)
        return 0;
    bool negative = c == '-';
    if (c == '-' || c == '+')
        c = console_read_char();
    if (c == EOF || !std::isdigit(c)) {
        discard_rest_of_line(c);
        return NOT_A_CHOICE;
    }
    int64_t value = 0;
    for (; c != EOF && std::isdigit(c); c = console_read_char())
        if (value <= INT32_MAX)
            value = value * 10 + (c - '0');
    console_unread_char(c);
    if (negative || value > INT32_MAX)
        return value == 0 ? 0 : NOT_A_CHOICE;
    return static_cast<int32_t>(value);
}

void generate_initial_solution()
{
    console_print("Solucao inicial aleatoria:\n");
    load_instance();
    build_initial_allocation();
    write_solution_file();
    console_print("Fun\xE7\xE3o Objetivo= %d\n", current_cost);
}

void improve_by_annealing()
{
    if (current_cost == 0) {
        console_print("\n ----- Gere uma solucao inicial -------\n");
        console_read_char();
        return;
    }
    annealing_schedule = {.initial_temperature = 1000.0,
                          .final_temperature = 0.01,
                          .cooling_factor = 0.9,
                          .moves_per_temperature = 5000,
                          .stall_limit = 10000};
    anneal();
    report_capacity_violations();
    write_final_solution_file();
    console_print("\n\nFun\xE7\xE3o Objetivo= %d\n", best_cost);
}

}  // namespace

int32_t prompt_menu_choice()
{
    for (;;) {
        console_rule();
        console_print("         0. Sair \n");
        console_print("         1. Gere solucao inicial \n");
        console_print("         2. Simulated Annealing \n");
        console_print("         Escolha: ");
        int32_t choice = read_menu_number();
        console_rule();
        if (choice >= 0 && choice <= 2)
            return choice;
    }
}

int run_menu_loop()
{
    print_banner();
    for (;;) {
        int32_t choice = prompt_menu_choice();
        if (choice == 0)
            return 0;
        if (choice == 1)
            generate_initial_solution();
        else
            improve_by_annealing();
    }
}
