// Writing the grid reports, each safely through a temporary file.
#include "report/grid_files.hpp"

#include "app/output_file.hpp"

namespace {

constexpr const char* RULE = "_________________________________________________\n";

// The 94 lines of the grid table: rules, column header and one line per slot.
void write_grid_block(std::FILE* out, const AllocationGrid& grid)
{
    std::fprintf(out, "%s|H-S\t| sv | 01 | 02 | 03 | 04 | 05 | 06 | 07 |\n%s", RULE, RULE);
    for (int row = 1; row <= SLOT_COUNT; ++row) {
        std::fprintf(out, "| %d\t|", row);
        for (int room = 0; room <= LAST_ROOM; ++room)
            std::fprintf(out, " %2.2d |", grid[row][room]);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "%s", RULE);
}

}  // namespace

void write_final_report(std::FILE* out, const AllocationGrid& grid, int32_t cost, int32_t violations)
{
    std::fprintf(out, "\nFun\xE7\xE3o Objetivo: %d\n", cost);
    std::fprintf(out, "Inviabilidades: %d\n", violations);
    write_grid_block(out, grid);
}

void write_solution_file()
{
    std::FILE* out = begin_output_file("solucao.txt", "\n\nArquivo solucao.txt nao pode ser criado.\n");
    std::fprintf(out, "\nFun\xE7\xE3o Objetivo: %d\n\n\n", current_cost);
    write_grid_block(out, current_grid);
    finish_output_file();
}

void write_final_solution_file()
{
    std::FILE* out = begin_output_file("solucaof.txt", "\n\nArquivo solucaof.txt nao pode ser criado.\n");
    write_final_report(out, best_grid, best_cost, violation_count);
    finish_output_file();
}

void write_optimum_file()
{
    std::FILE* out = begin_output_file("otima.txt", "\n\nArquivo otima.txt nao pode ser criado.\n");
    write_final_report(out, best_grid, best_cost, violation_count);
    finish_output_file();
}
