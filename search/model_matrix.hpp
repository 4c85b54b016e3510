// The matrix of a mixed-integer model, built whole in fixed tables column by
// column and handed to CBC at once: CBC copies its arrays for every column
// or row added one by one, which cost more than the solving on the larger
// weekdays. Every variable is binary or integer, every objective a whole
// number. One model is built at a time, and solved (run_solver) within a
// time limit that holds.
#pragma once

#include <coin/Cbc_C_Interface.h>
#include <coin/Clp_C_Interface.h>
#include <cstdint>

inline constexpr int MAX_MODEL_COLUMNS = 1 << 21;
inline constexpr int MAX_MODEL_ROWS = 1 << 20;
inline constexpr int MAX_MODEL_ENTRIES = 1 << 23;
inline constexpr int NO_ROW = -1;  // a row a model does without, where a table names its rows

// Starts a model of `rows` rows, each bounded by 0 and 1 until set_row says otherwise.
void start_matrix(int rows);
void set_row(int row, double lower, double upper);

// Starts the next column, between 0 and `upper`, at `objective` in the
// objective; false, with nothing added, when it and `entries` more entries
// would not fit the tables.
bool begin_column(double upper, double objective, int entries);

// An entry of the column begun last.
void add_entry(int row, double value);

// The columns begun so far.
int matrix_columns();

// The model as CBC takes it: every column integer, a gap of 0.5 allowed
// (objectives are whole numbers), no log.
Cbc_Model* load_matrix();

// The model's linear relaxation, every column continuous, as CLP's simplex
// takes it (no log), within `seconds` (0: no limit).
Clp_Simplex* load_relaxation(double seconds = 0.0);

// A lower bound on the model's objective from any row prices `duals` (weak
// duality: each row at the bound its price favours, each column at the
// bound its reduced cost favours); the simplex's own duals give the
// relaxation's optimum, less what its tolerances leave. It keeps the
// prices and the reduced costs as the model's certificate.
double dual_bound(const double* duals);

// Once a model's optimum `optimum` is proven by its certificate: in every
// allocation of that objective, a column whose reduced cost exceeds the
// gap between the optimum and the bound stands at the bound its reduced
// cost favours, and a row whose price exceeds it at the bound its price
// favours (rows and columns of whole numbers move by one at least). Fixes
// these in the matrix being built, which has the certified model's columns
// and rows first, before it is loaded.
void fix_by_certificate(double optimum);

// What CBC made of a model solved within `seconds` (0: no limit), or its
// relaxation when that is enough (relaxation_first): its best
// solution (null when it found none; valid until the next solve or the
// model's deletion), whether that is proven optimal, whether the model has
// none, and the bound on its objective divided by `weight` (1 when 0),
// rounded down. With a limit, the solve is ended, with nothing found, when
// the limit and a grace (a twentieth of it and 2 s) have passed, however far
// CBC is.
struct SolverOutcome {
    const double* solution;
    bool proven;
    bool infeasible;
    int64_t bound;
    bool certified = false;  // proven by the relaxation: its certificate stands (fix_by_certificate)
};
SolverOutcome run_solver(Cbc_Model* cbc, double seconds, double weight);

// How a model is solved: first its linear relaxation, which is enough when
// its optimum is integral and proven so; else Cbc_solve. Tests put a solver
// there that never ends, and turn the relaxation off to reach it.
extern void (*solve_model)(Cbc_Model* cbc);
extern bool relaxation_first;
