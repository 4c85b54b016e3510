// The temperature loop, the Metropolis rule and the console traces.
// Costs are kept incrementally: a shift changes the price of its cells only,
// and candidate_grid is made equal to current_grid again after every move.
#include "search/anneal.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "io/console.hpp"
#include "model/tables.hpp"
#include "search/cost.hpp"
#include "search/move.hpp"
#include "search/random.hpp"

int32_t level_move_count = 0;

namespace {

// The texts of the traces, converted for the console: the temperature and
// iterations lines once per level, the headlines once per process.
struct TraceTexts {
    ConsoleText move_headline;
    ConsoleText best_headline;
    ConsoleText level_lines;
};

bool has_section_in_slots(const AllocationGrid& grid)
{
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int room = 0; room <= last_room; ++room)
            if (grid[row][room] != 0)
                return true;
    return false;
}

TraceTexts trace_texts_at(double temperature)
{
    static const ConsoleText move_headline = console_text("\n\nNovo vizinho fun\xE7\xE3o objetivo: ");
    static const ConsoleText best_headline = console_text("\n\nNova fun\xE7\xE3o objetivo: ");
    char lines[64];
    std::snprintf(lines, sizeof lines, "Temperatura atual: %f\nNumero de itera\xE7\xF5" "es: ", temperature);
    return {move_headline, best_headline, console_text(lines)};
}

// "<headline><cost>\nTemperatura atual: %f\nNumero de iterações: <move>\n"
void trace(const ConsoleText& headline, int32_t cost, const TraceTexts& texts)
{
    trace_line(headline, cost);
    trace_line(texts.level_lines, level_move_count);
}

void accept_candidate(bool shifted, const TraceTexts& texts)
{
    trace(texts.move_headline, candidate_cost, texts);
    if (shifted)
        apply_shift(current_grid);
    current_cost = candidate_cost;
}

void record_new_best(const TraceTexts& texts)
{
    copy_slot_rows(candidate_grid, best_grid);
    best_cost = candidate_cost;
    level_stall_count = 0;
    run_stall_count = 0;
    trace(texts.best_headline, best_cost, texts);
}

// The chance of accepting a move that raises the cost by `rise` at the
// level's temperature, exp(-rise / temperature). Rises repeat within a level,
// so the chances of those below MEMO_SIZE are worked out once per level and
// kept (NaN: not yet): the same numbers, a call of exp saved.
constexpr int64_t MEMO_SIZE = 1024;
std::array<double, MEMO_SIZE> chance_memo;

void forget_chances()
{
    chance_memo.fill(std::numeric_limits<double>::quiet_NaN());
}

double chance_of(int64_t rise, double temperature)
{
    if (rise >= MEMO_SIZE)
        return std::exp(-static_cast<double>(rise) / temperature);
    double& chance = chance_memo[rise];
    if (std::isnan(chance))
        chance = std::exp(-static_cast<double>(rise) / temperature);
    return chance;
}

void make_move(double temperature, const TraceTexts& texts)
{
    bool shifted = make_neighbour();
    candidate_cost = static_cast<int32_t>(current_cost + (shifted ? shift_cost_change(candidate_grid, last_shift) : 0));
    int64_t delta = int64_t{candidate_cost} - current_cost;
    if (delta < 0) {
        accept_candidate(shifted, texts);
        if (candidate_cost < best_cost)
            record_new_best(texts);
        return;
    }
    double u = random_between(0, 100000) * 0.00001;
    if (delta == 0 || chance_of(delta, temperature) > u)  // exp(0) is 1, above every u
        accept_candidate(shifted, texts);
    else if (shifted)
        undo_shift(candidate_grid);
}

void run_level(double temperature)
{
    TraceTexts texts = trace_texts_at(temperature);
    forget_chances();
    level_move_count = 0;
    level_stall_count = 0;
    while (level_move_count < annealing_schedule.moves_per_temperature) {
        ++level_move_count;
        make_move(temperature, texts);
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
            break;
        temperature = annealing_schedule.cooling_factor * temperature;
    }
    console_flush_traces();
}
