// The one matrix under construction, by columns.
#include "search/model_matrix.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct ModelMatrix {
    std::array<CoinBigIndex, MAX_MODEL_COLUMNS + 1> starts;
    std::array<int, MAX_MODEL_ENTRIES> rows;
    std::array<double, MAX_MODEL_ENTRIES> values;
    std::array<double, MAX_MODEL_COLUMNS> lower, upper, objective;
    std::array<double, MAX_MODEL_ROWS> row_lower, row_upper;
    int row_count;
    int column_count;
    int entry_count;
};
ModelMatrix matrix;

// The last certificate: the relaxation's bound, its row prices and reduced costs.
struct Certificate {
    double bound;
    int row_count;
    int column_count;
    std::array<double, MAX_MODEL_ROWS> prices;
    std::array<double, MAX_MODEL_COLUMNS> reduced;
};
Certificate certificate;

}  // namespace

void start_matrix(int rows)
{
    matrix.row_count = rows;
    matrix.column_count = matrix.entry_count = 0;
    std::fill_n(matrix.row_lower.begin(), rows, 0.0);
    std::fill_n(matrix.row_upper.begin(), rows, 1.0);
}

void set_row(int row, double lower, double upper)
{
    matrix.row_lower[row] = lower;
    matrix.row_upper[row] = upper;
}

bool begin_column(double upper, double objective, int entries)
{
    if (matrix.column_count == MAX_MODEL_COLUMNS || matrix.entry_count + entries > MAX_MODEL_ENTRIES)
        return false;
    int column = matrix.column_count++;
    matrix.starts[column] = matrix.entry_count;
    matrix.lower[column] = 0.0;
    matrix.upper[column] = upper;
    matrix.objective[column] = objective;
    return true;
}

void add_entry(int row, double value)
{
    matrix.rows[matrix.entry_count] = row;
    matrix.values[matrix.entry_count++] = value;
}

int matrix_columns()
{
    return matrix.column_count;
}

Cbc_Model* load_matrix()
{
    matrix.starts[matrix.column_count] = matrix.entry_count;
    Cbc_Model* cbc = Cbc_newModel();
    Cbc_setLogLevel(cbc, 0);
    Cbc_loadProblem(cbc, matrix.column_count, matrix.row_count, matrix.starts.data(), matrix.rows.data(),
                    matrix.values.data(), matrix.lower.data(), matrix.upper.data(), matrix.objective.data(),
                    matrix.row_lower.data(), matrix.row_upper.data());
    for (int column = 0; column < matrix.column_count; ++column)
        Cbc_setInteger(cbc, column);
    Cbc_setAllowableGap(cbc, 0.5);
    return cbc;
}

Clp_Simplex* load_relaxation(double seconds)
{
    matrix.starts[matrix.column_count] = matrix.entry_count;
    Clp_Simplex* clp = Clp_newModel();
    Clp_setLogLevel(clp, 0);
    Clp_loadProblem(clp, matrix.column_count, matrix.row_count, matrix.starts.data(), matrix.rows.data(),
                    matrix.values.data(), matrix.lower.data(), matrix.upper.data(), matrix.objective.data(),
                    matrix.row_lower.data(), matrix.row_upper.data());
    if (seconds > 0.0)
        Clp_setMaximumSeconds(clp, seconds);
    return clp;
}

namespace {

// The least of price * x for x between lower and upper.
long double least_product(long double price, double lower, double upper)
{
    return std::min(price * lower, price * upper);
}

}  // namespace

double dual_bound(const double* duals)
{
    // In long double, and less a bound on the rounding of its terms, so that
    // what it returns is never above the true bound of these prices.
    long double bound = 0.0L, magnitude = 0.0L;
    auto add = [&](long double term) {
        bound += term;
        magnitude += std::fabs(term);
    };
    for (int row = 0; row < matrix.row_count; ++row)
        add(least_product(duals[row], matrix.row_lower[row], matrix.row_upper[row]));
    for (int column = 0; column < matrix.column_count; ++column) {
        long double reduced = matrix.objective[column], size = std::fabs(reduced);
        for (CoinBigIndex k = matrix.starts[column]; k < matrix.starts[column + 1]; ++k) {
            long double term = static_cast<long double>(duals[matrix.rows[k]]) * matrix.values[k];
            reduced -= term;
            size += std::fabs(term);
        }
        add(least_product(reduced, matrix.lower[column], matrix.upper[column]));
        magnitude += size * matrix.upper[column];
        certificate.reduced[column] = static_cast<double>(reduced);
    }
    std::copy(duals, duals + matrix.row_count, certificate.prices.begin());
    certificate.row_count = matrix.row_count;
    certificate.column_count = matrix.column_count;
    certificate.bound = static_cast<double>(bound - 1e-15L * magnitude);
    return certificate.bound;
}

void fix_by_certificate(double optimum)
{
    double gap = optimum - certificate.bound + 0.5;  // objectives are whole: half a unit is room for rounding
    for (int column = 0; column < std::min(certificate.column_count, matrix.column_count); ++column) {
        double reduced = certificate.reduced[column];
        if (reduced > gap)
            matrix.upper[column] = matrix.lower[column];
        else if (-reduced > gap)
            matrix.lower[column] = matrix.upper[column];
    }
    for (int row = 0; row < std::min(certificate.row_count, matrix.row_count); ++row) {
        double price = certificate.prices[row];
        if (price > gap)
            matrix.row_upper[row] = matrix.row_lower[row];
        else if (-price > gap)
            matrix.row_lower[row] = matrix.row_upper[row];
    }
}
