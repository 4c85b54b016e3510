// The plan's files written as a set: the page before them, the two
// spreadsheets, a calendar per room; what a failed write leaves behind named on the
// console, and calendars of rooms no longer in the plan removed.
#include "report/board/export_set.hpp"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <dirent.h>
#include <unistd.h>

#include "io/console.hpp"
#include "model/tables.hpp"
#include "report/board/board.hpp"
#include "report/board/plan_files.hpp"
#include "report/moved_file.hpp"

namespace {

// The files of this run in the order they are written, and how many are
// done: when a write fails, the console names what was and was not rewritten.
using FileName = std::array<char, 32>;
struct ExportLedger {
    std::array<FileName, MAX_ROOM_COLUMNS + 4> names;  // the page, the two spreadsheets, a calendar per column
    int count;
    int done;
};
ExportLedger ledger;

void plan_export(const char* name)
{
    std::snprintf(ledger.names[ledger.count++].data(), sizeof(FileName), "%s", name);
}

bool in_ledger(const char* name)
{
    for (int i = 0; i < ledger.count; ++i)
        if (std::strcmp(ledger.names[i].data(), name) == 0)
            return true;
    return false;
}

void print_ledger_names(const char* heading, int from, int to)
{
    console_print("%s", heading);
    for (int i = from; i < to; ++i)
        console_print("%s %s", i == from ? "" : ",", ledger.names[i].data());
    console_print("%s.\n", from == to ? " nenhum" : "");
}

void name_exports_left_behind()
{
    print_ledger_names("Arquivos regravados:", 0, ledger.done);
    print_ledger_names("Arquivos n\xE3o regravados (ficam como estavam):", ledger.done, ledger.count);
}

void end_export()
{
    ++ledger.done;
}

// "sala-sv.ics", "sala-07.ics", "sala-117.ics": a calendar this program writes,
// its column in two digits or, past 99 rooms, three.
bool is_calendar_name(const char* name)
{
    if (std::strncmp(name, "sala-", 5) != 0)
        return false;
    const char* column = name + 5;
    std::size_t digits = std::strncmp(column, "sv", 2) == 0 ? 2 : std::strspn(column, "0123456789");
    return digits >= 2 && digits <= 3 && std::strcmp(column + digits, ".ics") == 0;
}

}  // namespace

PlanExports write_plan_exports(const char* page, const Semester* semester)
{
    std::bitset<MAX_ROOM_COLUMNS> rooms;
    if (semester != nullptr)
        rooms = calendar_rooms(*semester);
    bool changes = plan_kind() == OPTIMAL_SOLUTION && moves_read;
    ledger.count = ledger.done = 0;
    plan_export(page);
    end_export();
    plan_export("alocacao.csv");
    plan_export("alternativas.csv");
    if (changes)
        plan_export(CHANGES_FILE);
    char name[32];
    for (int room = 0; room <= last_room; ++room)
        if (rooms[room]) {
            calendar_name(name, sizeof name, room);
            plan_export(name);
        }
    set_failure_note(name_exports_left_behind);
    PlanExports written{};
    write_plan_spreadsheet();
    end_export();
    write_plan_alternatives();
    end_export();
    if (changes) {
        written.changes = write_plan_changes();
        end_export();
    }
    char stamp[32];
    format_stamp(stamp, sizeof stamp);
    for (int room = 0; room <= last_room; ++room)
        if (rooms[room]) {
            write_room_calendar(room, *semester, stamp);
            end_export();
            ++written.calendars;
        }
    set_failure_note(nullptr);
    return written;
}

void remove_stale_changes()
{
    if (in_ledger(CHANGES_FILE) || unlink(CHANGES_FILE) != 0)
        return;
    console_print("%s removido: o plano publicado n\xE3o vem de alocacao-otimo --manter.\n", CHANGES_FILE);
}

void remove_stale_calendars()
{
    // More than the 1,101 names a calendar can have: sv, two and three digits.
    constexpr int STALE_LIST_SIZE = 4096;
    static_assert(STALE_LIST_SIZE > 1 + 100 + 1000);
    static std::array<FileName, STALE_LIST_SIZE> stale;
    int count{};
    if (DIR* directory = opendir(".")) {
        // A directory changed while it is read may list a name twice: never past the list.
        for (const dirent* entry; count != STALE_LIST_SIZE && (entry = readdir(directory)) != nullptr;)
            if (is_calendar_name(entry->d_name) && !in_ledger(entry->d_name))
                std::memcpy(stale[count++].data(), entry->d_name, std::strlen(entry->d_name) + 1);
        closedir(directory);
    }
    std::ranges::sort(stale.begin(), stale.begin() + count, {},
                      [](const FileName& name) { return std::string_view(name.data()); });
    for (int i = 0; i < count; ++i)
        if (unlink(stale[i].data()) == 0)
            console_print("Calend\xE1rio removido (sala sem aula no plano): %s\n", stale[i].data());
}
