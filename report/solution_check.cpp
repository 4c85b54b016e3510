// Reading a grid report back and checking it against the loaded instance.
#include "report/solution_check.hpp"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io/console.hpp"
#include "io/input_file.hpp"
#include "report/grid_files.hpp"
#include "report/violations.hpp"
#include "search/cost.hpp"

namespace {

constexpr int LINE_LENGTH = 256;

AllocationGrid checked_grid;  // the grid of the report being checked

struct ReportReader {
    std::FILE* stream;
    int line;
    char text[LINE_LENGTH];
};

// Reads the next line, which must end with a line end, without it; false at
// the end of the file, on a read error, or for a line longer than alocacao writes.
bool next_line(ReportReader& reader)
{
    ++reader.line;
    if (std::fgets(reader.text, LINE_LENGTH, reader.stream) == nullptr)
        return false;
    char* end = std::strchr(reader.text, '\n');
    if (end == nullptr)
        return false;
    *end = '\0';
    return true;
}

bool expect_line(ReportReader& reader, const char* text)
{
    return next_line(reader) && std::strcmp(reader.text, text) == 0;
}

bool take_text(const char*& text, const char* expected)
{
    std::size_t length = std::strlen(expected);
    if (std::strncmp(text, expected, length) != 0)
        return false;
    text += length;
    return true;
}

// A number at `text` exactly as "%d" writes a 32-bit value: no sign but a
// minus, no leading zeros, no blanks. `text` moves past its characters.
bool take_written_number(const char*& text, int32_t& value)
{
    const char* start = text;
    if (*text == '-')
        ++text;
    while (std::isdigit(static_cast<unsigned char>(*text)) && text - start < 12)
        ++text;
    long long number = std::strtoll(start, nullptr, 10);
    if (number < INT32_MIN || number > INT32_MAX)
        return false;
    value = static_cast<int32_t>(number);
    char written[16];
    int length = std::snprintf(written, sizeof written, "%d", value);
    return length == text - start && std::strncmp(written, start, static_cast<std::size_t>(length)) == 0;
}

// A cell as " %2.2d " writes a section number: exactly two digits.
bool take_cell(const char*& text, int32_t& section)
{
    if (!std::isdigit(static_cast<unsigned char>(text[0])) || !std::isdigit(static_cast<unsigned char>(text[1])))
        return false;
    section = (text[0] - '0') * 10 + (text[1] - '0');
    text += 2;
    return true;
}

// "| 12\t| 00 | 05 | ... | 07 |": one slot line of the grid block.
bool read_slot_line(ReportReader& reader, int row)
{
    if (!next_line(reader))
        return false;
    char label[16];
    std::snprintf(label, sizeof label, "| %d\t|", row);
    const char* text = reader.text;
    if (!take_text(text, label))
        return false;
    for (int room = 0; room <= LAST_ROOM; ++room)
        if (!take_text(text, " ") || !take_cell(text, checked_grid[row][room]) || !take_text(text, " |"))
            return false;
    return *text == '\0';
}

// A line of `label` followed by a 32-bit whole number and nothing else.
bool expect_number(ReportReader& reader, const char* label, int32_t& value)
{
    if (!next_line(reader))
        return false;
    const char* text = reader.text;
    return take_text(text, label) && take_written_number(text, value) && *text == '\0';
}

// Fills checked_grid and the declared values; 0, or the line that is not as
// written by alocacao (one past the last when something follows the final rule).
int read_report(std::FILE* stream, bool final_report, int32_t& cost, int32_t& violations)
{
    ReportReader reader{stream, 0, {}};
    checked_grid = {};
    bool ok = expect_line(reader, "") && expect_number(reader, COST_LABEL, cost) &&
              (final_report ? expect_number(reader, VIOLATIONS_LABEL, violations)
                            : expect_line(reader, "") && expect_line(reader, "")) &&
              expect_line(reader, GRID_RULE) && expect_line(reader, GRID_COLUMNS) && expect_line(reader, GRID_RULE);
    for (int row = 1; ok && row <= SLOT_COUNT; ++row)
        ok = read_slot_line(reader, row);
    ok = ok && expect_line(reader, GRID_RULE);
    if (!ok)
        return reader.line;
    return std::fgetc(stream) == EOF ? 0 : reader.line + 1;
}

int cells_in_row(int32_t section, int row)
{
    int count = 0;
    for (int32_t cell : checked_grid[row])
        count += cell == section;
    return count;
}

// Whether a meeting stands whole in one column and nowhere else.
const char* meeting_fault(int32_t section, const Meeting& meeting)
{
    int cells = 0;
    bool whole = false;
    for (int room = 0; room <= LAST_ROOM && !whole; ++room) {
        whole = true;
        for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
            whole = whole && checked_grid[row][room] == section;
    }
    for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
        cells += cells_in_row(section, row);
    int length = meeting.last_slot - meeting.first_slot + 1;
    if (cells == 0)
        return "ausente da grade";
    if (whole && cells == length)
        return nullptr;
    return whole ? "repetida em mais de uma sala" : "dividida entre salas ou incompleta";
}

// Cells holding a section at a slot where it has no meeting.
bool belongs_to_a_meeting(int32_t section, int row)
{
    if (section > section_count)
        return false;
    for (int m = 1; m <= LAST_MEETING; ++m) {
        const Meeting& meeting = sections[section].meetings[m];
        if (meeting.weekday != 0 && row >= meeting.first_slot && row <= meeting.last_slot)
            return true;
    }
    return false;
}

bool check_meetings(const char* name)
{
    int meetings = 0, faults = 0;
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = 1; m <= LAST_MEETING; ++m) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday == 0)
                continue;
            ++meetings;
            if (const char* fault = meeting_fault(section, meeting)) {
                ++faults;
                console_print("%s: turma %d, hor\xE1rios %d a %d: %s.\n", name, section, meeting.first_slot,
                              meeting.last_slot, fault);
            }
        }
    for (int row = 1; row <= SLOT_COUNT; ++row)
        for (int room = 0; room <= LAST_ROOM; ++room) {
            int32_t section = checked_grid[row][room];
            if (section != 0 && !belongs_to_a_meeting(section, row)) {
                ++faults;
                console_print("%s: turma %d no hor\xE1rio %d, coluna %d, fora das suas reuni\xF5" "es.\n", name,
                              section, row, room);
            }
        }
    if (faults == 0)
        console_print("%s: as %d reuni\xF5" "es est\xE3o inteiras, cada uma em uma s\xF3 sala.\n", name, meetings);
    return faults == 0;
}

bool check_declared(const char* name, const char* what, int32_t declared, int32_t recomputed)
{
    bool agrees = declared == recomputed;
    console_print("%s: %s declarado %d, recalculado a partir da grade %d: %s.\n", name, what, declared, recomputed,
                  agrees ? "confere" : "N\xC3O confere");
    return agrees;
}

void print_gap(const char* name, int32_t cost, const OptimumResult& optimum)
{
    auto percent = [](int64_t difference, int64_t base) {
        return base == 0 ? 0.0 : 100.0 * static_cast<double>(difference) / static_cast<double>(std::llabs(base));
    };
    int64_t above = cost - optimum.cost;
    if (optimum.proven)
        console_print("%s: %lld acima do \xF3timo (%.2f%%).\n", name, static_cast<long long>(above),
                      percent(above, optimum.cost));
    else
        console_print("%s: %lld acima da melhor aloca\xE7\xE3o encontrada, %lld acima do limite inferior.\n", name,
                      static_cast<long long>(above), static_cast<long long>(cost - optimum.lower_bound));
}

}  // namespace

bool check_report_file(const char* name, bool final_report, const OptimumResult& optimum)
{
    std::FILE* stream = open_regular_file(name);
    if (stream == nullptr && errno == ENOENT)
        return true;
    int32_t declared_cost = 0, declared_violations = 0;
    int bad_line = stream == nullptr ? 0 : read_report(stream, final_report, declared_cost, declared_violations);
    bool unreadable = stream == nullptr || std::ferror(stream);
    if (stream != nullptr)
        std::fclose(stream);
    if (unreadable) {
        console_print("%s: o arquivo n\xE3o pode ser lido; n\xE3o foi verificado.\n", name);
        return false;
    }
    if (bad_line != 0) {
        console_print("%s, linha %d: formato inesperado; o arquivo n\xE3o foi verificado.\n", name, bad_line);
        return false;
    }
    int32_t cost;
    grid_cost(checked_grid, cost);
    bool ok = check_declared(name, "custo", declared_cost, cost);
    if (final_report)
        ok = check_declared(name, "n\xFAmero de inviabilidades", declared_violations,
                            count_capacity_violations(checked_grid)) && ok;
    ok = check_meetings(name) && ok;
    print_gap(name, cost, optimum);
    return ok;
}
