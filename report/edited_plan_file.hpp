// plano.txt: a plan edited in a spreadsheet, read back and checked by
// alocacao-otimo --plano. A grid report in the form of otima.txt, then what
// it was checked against: "Dados: " and the digest of the instance
// (model/digest.hpp), and, when the plan leaves meetings out of an
// over-full block, "Fora da grade: N" and the meetings, one record a line
// as fora_da_grade.txt writes them. The board publishes it only while it is
// of the instance as it is now and newer than otima.txt.
#pragma once

#include <cstdint>

#include "report/grid_reader.hpp"
#include "report/left_out_file.hpp"

inline constexpr const char* EDITED_PLAN_FILE = "plano.txt";

// The meetings plano.txt leaves out, read with it.
extern LeftOutMeetings edited_left_out;

// What plano.txt says it was checked against: the digest, when it has one
// (a plano.txt written before digests were recorded has none).
struct EditedPlanData {
    bool has_digest;
    uint64_t digest;
};
extern EditedPlanData edited_plan_data;

// Writes plano.txt from best_grid, best_cost and violation_count, with the
// digest of the loaded instance and the meetings of `left`.
void write_edited_plan_file(const LeftOutMeetings& left);

// What follows the grid of plano.txt, read into edited_plan_data and
// edited_left_out: a ReportTrailer for read_grid_report. Nothing at all is a
// plano.txt without a digest.
bool read_edited_plan_trailer(WrittenFile& file);

// Whether plano.txt, read, is of the loaded instance.
bool edited_plan_of_this_instance();
