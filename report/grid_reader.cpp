// Reading a grid report back, accepting exactly what alocacao writes.
#include "report/grid_reader.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "io/input_file.hpp"
#include "model/rules/rules.hpp"
#include "report/grid_files.hpp"
#include "report/written_lines.hpp"

namespace {

bool expect_line(WrittenFile& reader, const char* text)
{
    return next_written_line(reader) && std::strcmp(reader.text, text) == 0;
}

// A cell as " %0*d " writes a section number: exactly the cell width in
// digits; or, where regras.txt closes the cell, as many dashes.
bool take_cell(const char*& text, int width, bool closed, int32_t& section)
{
    section = 0;
    if (closed && *text == '-') {
        for (int i = 0; i < width; ++i, ++text)
            if (*text != '-')
                return false;
        return true;
    }
    for (int i = 0; i < width; ++i, ++text) {
        if (!std::isdigit(static_cast<unsigned char>(*text)))
            return false;
        section = section * 10 + (*text - '0');
    }
    return true;
}

// "| 12\t| 00 | 05 | ... | 07 |": one slot line of the grid block.
bool read_slot_line(WrittenFile& reader, int row, AllocationGrid& grid)
{
    if (!next_written_line(reader))
        return false;
    char label[16];
    std::snprintf(label, sizeof label, "| %d\t|", row);
    const char* text = reader.text;
    if (!take_text(text, label))
        return false;
    int width = grid_cell_width();
    for (int room = 0; room <= last_room; ++room)
        if (!take_text(text, " ") || !take_cell(text, width, closed_cells[row][room], grid[row][room]) ||
            !take_text(text, " |"))
            return false;
    return *text == '\0';
}

// A line of `label` followed by a 32-bit whole number and nothing else.
bool expect_number(WrittenFile& reader, const char* label, int32_t& value)
{
    if (!next_written_line(reader))
        return false;
    const char* text = reader.text;
    return take_text(text, label) && take_written_number(text, value) && *text == '\0';
}

// The line otima.txt has after its grid when it is not proven optimal,
// "Limite inferior: B (nao provado)", with 0 <= B <= the cost; none is proven.
bool read_lower_bound(WrittenFile& reader, GridReport& report)
{
    report.proven = true;
    report.lower_bound = report.cost;
    int c = std::fgetc(reader.stream);
    std::ungetc(c, reader.stream);
    if (c != LOWER_BOUND_LABEL[0])
        return true;
    const char* text = reader.text;
    report.proven = false;
    return next_written_line(reader) && take_text(text, LOWER_BOUND_LABEL) &&
           take_written_number(text, report.lower_bound) && take_text(text, NOT_PROVEN_MARK) && *text == '\0' &&
           report.lower_bound >= 0 && report.lower_bound <= report.cost;
}

// Fills `report`; 0, or the line that is not as written by alocacao (one
// past the last when something follows the final rule).
int read_report(std::FILE* stream, bool final_report, GridReport& report, ReportTrailer trailer)
{
    WrittenFile reader{stream, 0, {}};
    clear_grid(report.grid);
    report.violations = 0;
    bool ok = expect_line(reader, "") && expect_number(reader, COST_LABEL, report.cost) &&
              (final_report ? expect_number(reader, VIOLATIONS_LABEL, report.violations)
                            : expect_line(reader, "") && expect_line(reader, "")) &&
              expect_line(reader, grid_rule()) && expect_line(reader, grid_columns()) &&
              expect_line(reader, grid_rule());
    for (int row = FIRST_SLOT; ok && row <= slot_count; ++row)
        ok = read_slot_line(reader, row, report.grid);
    ok = ok && expect_line(reader, grid_rule());
    if (!ok)
        return reader.line;
    if (final_report && !read_lower_bound(reader, report))
        return reader.line;
    if (trailer != nullptr)
        return trailer(reader) ? 0 : std::max(reader.line, 1);
    return std::fgetc(stream) == EOF ? 0 : reader.line + 1;
}

}  // namespace

ReportRead read_grid_report(const char* name, bool final_report, GridReport& report, ReportTrailer trailer)
{
    std::FILE* stream = open_regular_file(name);
    if (stream == nullptr)
        return errno == ENOENT ? ReportRead::Missing : ReportRead::Unreadable;
    struct stat status {};
    fstat(fileno(stream), &status);
    report.modified = status.st_mtim;
    report.bad_line = read_report(stream, final_report, report, trailer);
    bool unreadable = std::ferror(stream) != 0;
    std::fclose(stream);
    if (unreadable)
        return ReportRead::Unreadable;
    return report.bad_line == 0 ? ReportRead::Read : ReportRead::Malformed;
}
