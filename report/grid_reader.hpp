// Reading a grid report (solucao.txt, solucaof.txt, otima.txt) back into a
// grid and its declared values. Only what alocacao writes is accepted: no
// sign, leading zero or blank it does not write, dashes only in the cells
// that regras.txt closes, nothing after the final rule.
#pragma once

#include <cstdint>
#include <ctime>

#include "model/tables.hpp"
#include "report/written_lines.hpp"

struct GridReport {
    AllocationGrid grid;
    int32_t cost;        // the "Função Objetivo" of its header
    int32_t violations;  // its "Inviabilidades" line; 0 in solucao.txt, which has none
    int bad_line;        // when Malformed: the first line not as alocacao writes it
    timespec modified;   // when the file read was last written
    bool proven;         // false when a line after the grid says it is not proven optimal (otima.txt)
    int64_t lower_bound; // then, no allocation costs less than this
};

enum class ReportRead { Read, Missing, Unreadable, Malformed };

// What follows the final rule of a report that has more (plano.txt): read
// from `file` to its end; false, with file.line at the line at fault, for
// anything not as written.
using ReportTrailer = bool (*)(WrittenFile& file);

// Reads the report `name` into `report`. `final_report`: the file has the
// "Inviabilidades" line of solucaof.txt. Missing only when there is no such
// file; Unreadable when it cannot be read or is not a regular file. Without
// a `trailer`, nothing may follow the final rule.
ReportRead read_grid_report(const char* name, bool final_report, GridReport& report,
                            ReportTrailer trailer = nullptr);
