// Benchmarks on the department example instance: pricing a grid, one
// annealing move, a whole annealing run, the longest run the schedule allows,
// the exact optimum, the optimum of every change of seats and a whole session
// as a process. Console output is discarded while measured.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/instance.hpp"
#include "model/tables.hpp"
#include "report/violations.hpp"
#include "search/allocation.hpp"
#include "search/anneal.hpp"
#include "search/cost.hpp"
#include "search/move.hpp"
#include "search/optimum.hpp"
#include "search/planning.hpp"
#include "search/random.hpp"

namespace {

namespace fs = std::filesystem;

// Sends standard output to /dev/null while it lives.
class DiscardedConsole {
public:
    DiscardedConsole()
    {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~DiscardedConsole()
    {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }

private:
    int saved;
};

fs::path scratch_copy_of_example()
{
    fs::path directory = fs::temp_directory_path() / "alocacao-bench";
    fs::remove_all(directory);
    fs::create_directories(directory);
    for (const auto& entry : fs::directory_iterator(ALOCACAO_EXAMPLE))
        fs::copy_file(entry.path(), directory / entry.path().filename());
    return directory;
}

// The example loaded and allocated once (choice 1); every benchmark starts from it.
struct Start {
    AllocationGrid grid;
    int32_t cost;
};

const Start& start()
{
    static const Start loaded = [] {
        fs::path previous = fs::current_path();
        fs::current_path(scratch_copy_of_example());
        DiscardedConsole quiet;
        load_instance();
        build_initial_allocation();
        fs::current_path(previous);
        return Start{current_grid, current_cost};
    }();
    return loaded;
}

void restore_start(int32_t stall_limit = 10000)
{
    current_grid = start().grid;
    current_cost = start().cost;
    restart_random_sequence();
    annealing_schedule = {1000.0, 0.01, 0.9, 5000, stall_limit};
}

void BM_GridCost(benchmark::State& state)
{
    restore_start();
    for (auto _ : state) {
        grid_cost(current_grid, current_cost);
        benchmark::DoNotOptimize(current_cost);
    }
}
BENCHMARK(BM_GridCost);

// One move priced and rejected: draws, shift, incremental price, undo.
void BM_AnnealingMove(benchmark::State& state)
{
    restore_start();
    copy_slot_rows(current_grid, candidate_grid);
    for (auto _ : state) {
        level_stall_count = 0;
        make_neighbour();
        candidate_cost = static_cast<int32_t>(current_cost + shift_cost_change(candidate_grid, last_shift));
        benchmark::DoNotOptimize(candidate_cost);
        undo_shift(candidate_grid);
    }
}
BENCHMARK(BM_AnnealingMove);

// Menu choice 2: the annealing run and the violation listing.
void BM_AnnealingRun(benchmark::State& state)
{
    for (auto _ : state) {
        restore_start();
        DiscardedConsole quiet;
        anneal();
        report_capacity_violations();
    }
    state.counters["best_cost"] = best_cost;
}
BENCHMARK(BM_AnnealingRun)->Unit(benchmark::kMillisecond);

// No stall limit: all 110 levels of 5000 moves.
void BM_LongestScheduleRun(benchmark::State& state)
{
    for (auto _ : state) {
        restore_start(INT32_MAX);
        DiscardedConsole quiet;
        anneal();
    }
    state.counters["moves"] = 110 * 5000;
}
BENCHMARK(BM_LongestScheduleRun)->Unit(benchmark::kMillisecond);

// alocacao-otimo's search: the exact optimum of the example.
void BM_ExactOptimum(benchmark::State& state)
{
    restore_start();
    OptimumResult result{};
    for (auto _ : state)
        result = solve_optimum(best_grid);
    state.counters["optimum"] = static_cast<double>(result.cost);
    state.counters["states"] = static_cast<double>(result.states);
}
BENCHMARK(BM_ExactOptimum)->Unit(benchmark::kMillisecond);

// alocacao-otimo --planejar's search: the optimum after every change of seats.
void BM_RoomChanges(benchmark::State& state)
{
    restore_start();
    for (auto _ : state)
        evaluate_room_changes(OPTIMUM_STATE_LIMIT, 0);
    state.counters["changes"] = room_change_count;
    state.counters["best"] = static_cast<double>(room_changes[0].cost);
}
BENCHMARK(BM_RoomChanges)->Unit(benchmark::kMillisecond);

// The program itself, typed 1, 2, 0 in a copy of the example.
void BM_SessionProcess(benchmark::State& state)
{
    fs::path directory = scratch_copy_of_example();
    std::string command = "cd '" + directory.string() + "' && printf '1\\n2\\n0\\n' | LC_ALL=C '" +
                          ALOCACAO_PROGRAM + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("the session failed");
}
BENCHMARK(BM_SessionProcess)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
