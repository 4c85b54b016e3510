// The temperature loop, the Metropolis rule and the console traces.
// Costs are kept incrementally: a shift changes the price of its cells only,
// and candidate_grid is made equal to current_grid again after every move.
#include "search/anneal.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/console.hpp"
#include "model/tables.hpp"
#include "search/cost.hpp"
#include "search/move.hpp"
#include "search/random.hpp"

int32_t level_move_count = 0;

namespace {

struct TemperatureLine {
    char text[64];
    std::size_t length;
};

bool has_section_in_slots(const AllocationGrid& grid)
{
    for (int row = 1; row <= SLOT_COUNT; ++row)
        for (int room = 0; room <= LAST_ROOM; ++room)
            if (grid[row][room] != 0)
                return true;
    return false;
}

void trace(const char* headline, int32_t cost, const TemperatureLine& temperature)
{
    console_print(headline, cost);
    console_write(temperature.text, temperature.length);
    console_print("Numero de itera\xE7\xF5" "es: %d\n", level_move_count);
}

void accept_candidate(bool shifted, const TemperatureLine& temperature)
{
    trace("\n\nNovo vizinho fun\xE7\xE3o objetivo: %d\n", candidate_cost, temperature);
    if (shifted)
        apply_shift(current_grid);
    current_cost = candidate_cost;
}

void record_new_best(const TemperatureLine& temperature)
{
    copy_slot_rows(candidate_grid, best_grid);
    best_cost = candidate_cost;
    level_stall_count = 0;
    run_stall_count = 0;
    trace("\n\nNova fun\xE7\xE3o objetivo: %d\n", best_cost, temperature);
}

void make_move(double temperature, const TemperatureLine& temperature_line)
{
    bool shifted = make_neighbour();
    candidate_cost = static_cast<int32_t>(current_cost + (shifted ? shift_cost_change(last_shift) : 0));
    double delta = static_cast<double>(int64_t{candidate_cost} - current_cost);
    if (delta < 0) {
        accept_candidate(shifted, temperature_line);
        if (candidate_cost < best_cost)
            record_new_best(temperature_line);
        return;
    }
    double u = random_between(0, 100000) * 0.00001;
    if (std::exp(-delta / temperature) > u)
        accept_candidate(shifted, temperature_line);
    else if (shifted)
        undo_shift(candidate_grid);
}

void run_level(double temperature)
{
    TemperatureLine line;
    int length = std::snprintf(line.text, sizeof line.text, "Temperatura atual: %f\n", temperature);
    line.length = std::min(static_cast<std::size_t>(length), sizeof line.text - 1);
    level_move_count = 0;
    level_stall_count = 0;
    while (level_move_count < annealing_schedule.moves_per_temperature) {
        ++level_move_count;
        make_move(temperature, line);
        if (level_stall_count > level_stall_limit())
            return;
    }
}

}  // namespace

void anneal()
{
    copy_slot_rows(current_grid, candidate_grid);
    copy_slot_rows(candidate_grid, best_grid);
    grid_cost(best_grid, best_cost);
    double temperature = annealing_schedule.initial_temperature;
    run_stall_count = 0;
    if (!has_section_in_slots(candidate_grid))
        return;
    while (temperature > annealing_schedule.final_temperature) {
        run_level(temperature);
        if (run_stall_count > annealing_schedule.stall_limit)
            return;
        temperature = annealing_schedule.cooling_factor * temperature;
    }
}
