// Writing, showing and reading back the ranked changes of seats.
#include "report/planning_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "io/console.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/records.hpp"
#include "search/planning.hpp"

namespace {

constexpr const char* PLANNING_FILE = "planejamento.txt";
constexpr const char* HEADER = "Planejamento de salas: custo otimo atual ";
constexpr const char* CHANGE_RECORD = "d|d|d|d|d|d|d|";

// "(−12,6 %)": the change against the current optimum, a comma for the decimal point.
void print_variation(int64_t variation, int64_t current_optimum)
{
    double percent = current_optimum == 0 ? 0.0
                                          : 100.0 * static_cast<double>(variation) /
                                                static_cast<double>(current_optimum);
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", percent < 0 ? -percent : percent);
    *std::strchr(number, '.') = ',';
    console_print(" (");
    if (variation < 0)
        console_symbol("\u2212", "-");
    else if (variation > 0)
        console_print("+");
    console_print("%s %%)", number);
}

void print_change(const RoomChange& change, int64_t current_optimum)
{
    if (change.column == OVERFLOW_COLUMN) {
        console_print("uma sala a mais (coluna sv) com %d lugares", change.proposed_seats);
    } else {
        console_print("sala %02d: %d ", change.column, change.current_seats);
        console_symbol("\u2192", "->");
        console_print(" %d lugares", change.proposed_seats);
    }
    console_print(": custo \xF3timo %" PRId64, change.cost);
    print_variation(change.cost - current_optimum, current_optimum);
    console_print(", %d %s", change.violations, change.violations == 1 ? "inviabilidade" : "inviabilidades");
    console_print("%s\n", change.proven ? "" : ", otimalidade n\xE3o provada");
}

void read_header(std::FILE* stream, int64_t& current_optimum)
{
    char line[128];
    int end = 0;
    long long value = 0;
    if (std::fgets(line, sizeof line, stream) == nullptr ||
        std::sscanf(line, "Planejamento de salas: custo otimo atual %lld\n%n", &value, &end) != 1 ||
        line[end] != '\0' || std::strncmp(line, HEADER, std::strlen(HEADER)) != 0)
        fail_with("\n\nArquivo %s, linha 1: cabecalho inesperado\n", PLANNING_FILE);
    current_optimum = value;
}

RoomChange change_of(const RecordFields& fields)
{
    return {fields[0], fields[1], fields[2], fields[3], fields[5], fields[6] == 1};
}

}  // namespace

void write_planning_file(int64_t current_optimum)
{
    std::FILE* out = begin_output_file(PLANNING_FILE, "\n\nArquivo planejamento.txt nao pode ser criado.\n");
    std::fprintf(out, "%s%" PRId64 "\n", HEADER, current_optimum);
    for (int i = 0; i < room_change_count; ++i) {
        const RoomChange& change = room_changes[i];
        std::fprintf(out, "%d|%d|%d|%" PRId64 "|%" PRId64 "|%d|%d|\n", change.column, change.current_seats,
                     change.proposed_seats, change.cost, change.cost - current_optimum, change.violations,
                     change.proven ? 1 : 0);
    }
    finish_output_file();
}

void print_best_changes(int64_t current_optimum)
{
    console_print("\nOnde investir: as %d melhores mudan\xE7" "as de uma coluna, entre %d (%s)\n",
                  std::min(room_change_count, BEST_CHANGES_SHOWN),
                  room_change_count, PLANNING_FILE);
    for (int i = 0; i < std::min(room_change_count, BEST_CHANGES_SHOWN); ++i)
        print_change(room_changes[i], current_optimum);
}

bool read_planning_file(int64_t& current_optimum)
{
    std::FILE* stream = open_regular_file(PLANNING_FILE);
    if (stream == nullptr && errno == ENOENT)
        return false;
    if (stream == nullptr)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", PLANNING_FILE);
    read_header(stream, current_optimum);
    RecordFile file{stream, PLANNING_FILE, 1, nullptr};
    RecordFields fields;
    RecordRead read;
    room_change_count = 0;
    while ((read = read_record(file, CHANGE_RECORD, fields)) == RecordRead::Record) {
        if (room_change_count == MAX_ROOM_CHANGES || fields[0] < 0 || fields[0] > LAST_ROOM ||
            fields[4] != fields[3] - current_optimum || fields[6] < 0 || fields[6] > 1)
            reject_line(file, "registro inesperado");
        room_changes[room_change_count++] = change_of(fields);
    }
    if (read == RecordRead::Malformed)
        reject_line(file, file.error);
    std::fclose(stream);
    return true;
}
