// The one matrix under construction, by columns.
#include "search/model_matrix.hpp"

#include <array>

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

}  // namespace

void start_matrix(int rows)
{
    matrix.row_count = rows;
    matrix.column_count = matrix.entry_count = 0;
    for (int row = 0; row < rows; ++row)
        set_row(row, 0.0, 1.0);
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

Clp_Simplex* load_relaxation()
{
    matrix.starts[matrix.column_count] = matrix.entry_count;
    Clp_Simplex* clp = Clp_newModel();
    Clp_setLogLevel(clp, 0);
    Clp_loadProblem(clp, matrix.column_count, matrix.row_count, matrix.starts.data(), matrix.rows.data(),
                    matrix.values.data(), matrix.lower.data(), matrix.upper.data(), matrix.objective.data(),
                    matrix.row_lower.data(), matrix.row_upper.data());
    return clp;
}
