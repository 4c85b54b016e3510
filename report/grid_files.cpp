// Writing the grid reports, each safely through a temporary file.
#include "report/grid_files.hpp"

#include <algorithm>
#include <array>

#include "io/output_file.hpp"
#include "model/rules/rules.hpp"

namespace {

constexpr int MAX_CELL_WIDTH = 4;  // sections 1..9999, rooms 1..999
constexpr int GRID_LINE = 9 + (MAX_CELL_WIDTH + 3) * MAX_ROOM_COLUMNS + 1;
constexpr const char* CLOSED_CELL = "----";  // an empty cell that regras.txt closes, cut to the cell width

int digits(int32_t value)
{
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

// The 94 lines of the grid table: rules, column header and one line per
// slot; an empty closed cell is all dashes.
void write_grid_block(std::FILE* out, const AllocationGrid& grid)
{
    std::fprintf(out, "%s\n%s\n%s\n", grid_rule(), grid_columns(), grid_rule());
    int width = grid_cell_width();
    for (int row = FIRST_SLOT; row <= slot_count; ++row) {
        std::fprintf(out, "| %d\t|", row);
        for (int room = 0; room <= last_room; ++room)
            if (grid[row][room] == 0 && closed_cells[row][room])
                std::fprintf(out, " %.*s |", width, CLOSED_CELL);
            else
                std::fprintf(out, " %0*d |", width, grid[row][room]);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "%s\n", grid_rule());
}

// A report of best_grid, best_cost and violation_count in the form of solucaof.txt.
void write_best_report(const char* name, const char* failure_message)
{
    std::FILE* out = begin_output_file(name, failure_message);
    write_final_report(out, best_grid, best_cost, violation_count);
    finish_output_file();
}

}  // namespace

int grid_cell_width()
{
    return std::max({2, digits(section_count), digits(last_room)});
}

const char* grid_rule()
{
    static std::array<char, GRID_LINE> rule;
    int length = 9 + (grid_cell_width() + 3) * (last_room + 1);
    std::fill(rule.begin(), rule.begin() + length, '_');
    rule[static_cast<std::size_t>(length)] = '\0';
    return rule.data();
}

const char* grid_columns()
{
    static std::array<char, GRID_LINE> columns;
    int width = grid_cell_width();
    int used = std::snprintf(columns.data(), columns.size(), "|H-S\t| %*s |", width, "sv");
    for (int room = FIRST_ROOM; room <= last_room; ++room)
        used += std::snprintf(columns.data() + used, columns.size() - static_cast<std::size_t>(used), " %0*d |", width,
                              room);
    return columns.data();
}

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

void write_optimum_file(bool proven, int64_t lower_bound)
{
    std::FILE* out = begin_output_file("otima.txt", "\n\nArquivo otima.txt nao pode ser criado.\n");
    write_final_report(out, best_grid, best_cost, violation_count);
    if (!proven)
        std::fprintf(out, "%s%lld%s\n", LOWER_BOUND_LABEL, static_cast<long long>(lower_bound), NOT_PROVEN_MARK);
    finish_output_file();
}
