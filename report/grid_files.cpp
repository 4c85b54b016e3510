// Writing the grid reports, each safely through a temporary file.
#include "report/grid_files.hpp"

#include "io/output_file.hpp"

namespace {

// The 94 lines of the grid table: rules, column header and one line per slot.
void write_grid_block(std::FILE* out, const AllocationGrid& grid)
{
    std::fprintf(out, "%s\n%s\n%s\n", GRID_RULE, GRID_COLUMNS, GRID_RULE);
    for (int row = 1; row <= SLOT_COUNT; ++row) {
        std::fprintf(out, "| %d\t|", row);
        for (int room = 0; room <= LAST_ROOM; ++room)
            std::fprintf(out, " %2.2d |", grid[row][room]);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "%s\n", GRID_RULE);
}

// A report of best_grid, best_cost and violation_count in the form of solucaof.txt.
void write_best_report(const char* name, const char* failure_message)
{
    std::FILE* out = begin_output_file(name, failure_message);
    write_final_report(out, best_grid, best_cost, violation_count);
    finish_output_file();
}

}  // namespace

void write_final_report(std::FILE* out, const AllocationGrid& grid, int32_t cost, int32_t violations)
{
    std::fprintf(out, "\n%s%d\n", COST_LABEL, cost);
    std::fprintf(out, "%s%d\n", VIOLATIONS_LABEL, violations);
    write_grid_block(out, grid);
}

void write_solution_file()
{
    std::FILE* out = begin_output_file("solucao.txt", "\n\nArquivo solucao.txt nao pode ser criado.\n");
    std::fprintf(out, "\n%s%d\n\n\n", COST_LABEL, current_cost);
    write_grid_block(out, current_grid);
    finish_output_file();
}

void write_final_solution_file()
{
    write_best_report("solucaof.txt", "\n\nArquivo solucaof.txt nao pode ser criado.\n");
}

void write_optimum_file()
{
    write_best_report("otima.txt", "\n\nArquivo otima.txt nao pode ser criado.\n");
}
