// Solving a loaded model within a time limit that holds. CBC looks at its
// clock only between the nodes of its search, so one long relaxation could
// hold the program far past a limit. With a limit, the solve runs in a child
// process, which sends back what it found through a pipe and is ended when
// the limit and a grace have passed; a child ended so has found nothing.
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "io/ending_signals.hpp"
#include "io/whole_transfer.hpp"
#include "search/model_matrix.hpp"

void (*solve_model)(Cbc_Model* cbc) = [](Cbc_Model* cbc) { Cbc_solve(cbc); };
bool relaxation_first = true;

namespace {

using Clock = std::chrono::steady_clock;

// What the child sends first; `columns` values of its solution follow when it has one.
struct SolveReport {
    int32_t has_solution;
    int32_t proven;
    int32_t infeasible;
    int32_t columns;
    int64_t bound;
};

std::array<double, MAX_MODEL_COLUMNS> received_solution;

constexpr SolverOutcome NOTHING_FOUND{};  // no solution, nothing proven, no bound

SolverOutcome outcome_of(Cbc_Model* cbc, double weight)
{
    const double* solution = Cbc_numberSavedSolutions(cbc) > 0 ? Cbc_getColSolution(cbc) : nullptr;
    double bound = std::floor(Cbc_getBestPossibleObjValue(cbc) / (weight > 0.0 ? weight : 1.0));
    return {solution, solution != nullptr && Cbc_isProvenOptimal(cbc) != 0, Cbc_isProvenInfeasible(cbc) != 0,
            static_cast<int64_t>(bound)};
}

// CBC takes Ctrl-C for itself while it solves, and would return as if done:
// the call is guarded, so that Ctrl-C ends the program instead.
SolverOutcome solve_here(Cbc_Model* cbc, double weight)
{
    begin_guarded_call();
    solve_model(cbc);
    end_guarded_call();
    return outcome_of(cbc, weight);
}

[[noreturn]] void solve_as_child(int descriptor, Cbc_Model* cbc, double weight)
{
    SolverOutcome outcome = solve_here(cbc, weight);
    SolveReport report{outcome.solution != nullptr, outcome.proven, outcome.infeasible, Cbc_getNumCols(cbc),
                       outcome.bound};
    bool sent = write_whole(descriptor, &report, sizeof report) &&
                (outcome.solution == nullptr ||
                 write_whole(descriptor, outcome.solution, sizeof(double) * static_cast<std::size_t>(report.columns)));
    _exit(sent ? EXIT_SUCCESS : EXIT_FAILURE);  // no exit handlers: the parent's buffers and files are its own
}

// The child's report within `deadline`, or nothing found.
SolverOutcome receive_outcome(int descriptor, Clock::time_point deadline)
{
    SolveReport report{};
    if (!read_whole(descriptor, &report, sizeof report, deadline) || report.columns < 0 ||
        report.columns > MAX_MODEL_COLUMNS)
        return NOTHING_FOUND;
    if (report.has_solution != 0 &&
        !read_whole(descriptor, received_solution.data(), sizeof(double) * static_cast<std::size_t>(report.columns),
                    deadline))
        return NOTHING_FOUND;
    return {report.has_solution != 0 ? received_solution.data() : nullptr, report.proven != 0,
            report.infeasible != 0, report.bound};
}

// The model's linear relaxation, by CLP's primal simplex: when its solution
// is integral and no allocation can do better (the bound that weak duality
// gives from the simplex's prices rounds up to its objective), it is the
// model's optimum, proven, found without the branch and bound and its
// heuristics; the usual case for a weekday, whose groups' intervals form
// an interval matrix. Otherwise nothing.
std::array<double, MAX_MODEL_COLUMNS> relaxed_solution;

// Past this, a relaxation that comes out fractional costs as much again as
// CBC's own, which solves it anew (a 200-room university of 126 seat sizes:
// 217 s against 140).
constexpr int LARGEST_RELAXATION_FIRST = 50000;

SolverOutcome integral_relaxation(double seconds, double weight)
{
    if (matrix_columns() > LARGEST_RELAXATION_FIRST)
        return NOTHING_FOUND;
    Clp_Simplex* clp = load_relaxation(seconds);
    begin_guarded_call();
    Clp_initialPrimalSolve(clp);
    end_guarded_call();
    SolverOutcome outcome = NOTHING_FOUND;
    int columns = Clp_getNumCols(clp);
    const double* values = Clp_getColSolution(clp);
    bool integral = Clp_isProvenOptimal(clp) != 0;
    double objective = 0.0;
    for (int column = 0; integral && column < columns; ++column) {
        integral = std::fabs(values[column] - std::round(values[column])) < 1e-9;
        objective += Clp_getObjCoefficients(clp)[column] * std::round(values[column]);
    }
    if (integral) {
        double bound = dual_bound(Clp_getRowPrice(clp));
        bool optimal = std::ceil(bound) >= objective - 0.5;  // objectives are whole numbers
        if (optimal) {
            for (int column = 0; column < columns; ++column)
                relaxed_solution[column] = std::round(values[column]);
            outcome = {relaxed_solution.data(), true, false,
                       static_cast<int64_t>(std::floor(objective / (weight > 0.0 ? weight : 1.0))), true};
        }
    }
    Clp_deleteModel(clp);
    return outcome;
}

// What a solve under a limit gets past it before it is ended.
double solver_grace(double seconds)
{
    return 0.05 * seconds + 2.0;
}

}  // namespace

SolverOutcome run_solver(Cbc_Model* cbc, double seconds, double weight)
{
    if (SolverOutcome relaxed = relaxation_first ? integral_relaxation(seconds, weight) : NOTHING_FOUND;
        relaxed.solution != nullptr)
        return relaxed;
    if (seconds <= 0.0)
        return solve_here(cbc, weight);
    Cbc_setMaximumSeconds(cbc, seconds);
    Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                    std::chrono::duration<double>(seconds + solver_grace(seconds)));
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0)  // no child to be had: solved here, as without a limit
        return solve_here(cbc, weight);
    sigset_t previous = hold_ending_signals();  // until each side knows what its ending must do
    pid_t child = fork();
    if (child == 0) {
        ending_in_a_child();
        release_ending_signals(previous);
        close(pipe_ends[0]);
        solve_as_child(pipe_ends[1], cbc, weight);
    }
    if (child > 0)
        set_child_to_end(child);  // Ctrl-C while it solves ends both
    release_ending_signals(previous);
    close(pipe_ends[1]);
    if (child < 0) {
        close(pipe_ends[0]);
        return solve_here(cbc, weight);
    }
    SolverOutcome outcome = receive_outcome(pipe_ends[0], deadline);
    close(pipe_ends[0]);
    kill(child, SIGKILL);  // done or late: either way it has nothing more to give
    waitpid(child, nullptr, 0);
    set_child_to_end(NO_CHILD);
    return outcome;
}
