// Checking a grid report read back against the loaded instance.
#include "report/solution_check.hpp"

#include <cstdlib>

#include "io/console.hpp"
#include "report/grid_reader.hpp"
#include "search/cost.hpp"

namespace {

GridReport checked;  // the report being checked

// Cells holding a section at a slot where it has no meeting.
bool belongs_to_a_meeting(int32_t section, int row)
{
    if (section > section_count)
        return false;
    for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
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
        for (int m = FIRST_MEETING; m <= LAST_MEETING; ++m) {
            const Meeting& meeting = sections[section].meetings[m];
            if (meeting.weekday == 0)
                continue;
            ++meetings;
            if (const char* fault = meeting_fault(checked.grid, section, meeting)) {
                ++faults;
                console_print("%s: turma %d, hor\xE1rios %d a %d: %s.\n", name, section, meeting.first_slot,
                              meeting.last_slot, fault);
            }
        }
    for (int row = 1; row <= SLOT_COUNT; ++row)
        for (int room = 0; room <= LAST_ROOM; ++room) {
            int32_t section = checked.grid[row][room];
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

int meeting_column(const AllocationGrid& grid, int32_t section, const Meeting& meeting)
{
    for (int room = 0; room <= LAST_ROOM; ++room) {
        bool whole = true;
        for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
            whole = whole && grid[row][room] == section;
        if (whole)
            return room;
    }
    return -1;
}

const char* meeting_fault(const AllocationGrid& grid, int32_t section, const Meeting& meeting)
{
    int cells = 0;
    for (int row = meeting.first_slot; row <= meeting.last_slot; ++row)
        for (int32_t cell : grid[row])
            cells += cell == section;
    int length = meeting.last_slot - meeting.first_slot + 1;
    bool whole = meeting_column(grid, section, meeting) >= 0;
    if (cells == 0)
        return "ausente da grade";
    if (whole && cells == length)
        return nullptr;
    return whole ? "repetida em mais de uma sala" : "dividida entre salas ou incompleta";
}

bool check_report_file(const char* name, bool final_report, const OptimumResult& optimum)
{
    switch (read_grid_report(name, final_report, checked)) {
    case ReportRead::Missing:
        return true;
    case ReportRead::Unreadable:
        console_print("%s: o arquivo n\xE3o pode ser lido; n\xE3o foi verificado.\n", name);
        return false;
    case ReportRead::Malformed:
        console_print("%s, linha %d: formato inesperado; o arquivo n\xE3o foi verificado.\n", name,
                      checked.bad_line);
        return false;
    case ReportRead::Read:
        break;
    }
    int32_t cost;
    grid_cost(checked.grid, cost);
    bool ok = check_declared(name, "custo", checked.cost, cost);
    if (final_report)
        ok = check_declared(name, "n\xFAmero de inviabilidades", checked.violations,
                            count_capacity_violations(checked.grid)) && ok;
    if (!ok)
        console_print(STALE_REPORT_HINT, name);
    ok = check_meetings(name) && ok;
    print_gap(name, cost, optimum);
    return ok;
}
