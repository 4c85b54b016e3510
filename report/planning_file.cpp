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
#include "report/written_lines.hpp"
#include "search/planning.hpp"

namespace {

constexpr const char* PLANNING_FILE = "planejamento.txt";
constexpr const char* HEADER = "Planejamento de salas: custo otimo atual ";

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

// "Planejamento de salas: custo otimo atual N", N not negative.
bool read_header(WrittenFile& file, int64_t& current_optimum)
{
    if (!next_written_line(file))
        return false;
    const char* text = file.text;
    return take_text(text, HEADER) && take_written_number(text, current_optimum) && *text == '\0' &&
           current_optimum >= 0;
}

bool at_end(std::FILE* stream)
{
    int c = std::fgetc(stream);
    std::ungetc(c, stream);
    return c == EOF;
}

// One record as write_planning_file prints it, with figures that can be true.
bool read_change(WrittenFile& file, int64_t current_optimum, RoomChange& change)
{
    const char* text = file.text;
    int64_t variation;
    int32_t proven;
    bool written = take_written_number(text, change.column) && take_text(text, "|") &&
                   take_written_number(text, change.current_seats) && take_text(text, "|") &&
                   take_written_number(text, change.proposed_seats) && take_text(text, "|") &&
                   take_written_number(text, change.cost) && take_text(text, "|") &&
                   take_written_number(text, variation) && take_text(text, "|") &&
                   take_written_number(text, change.violations) && take_text(text, "|") &&
                   take_written_number(text, proven) && take_text(text, "|") && *text == '\0';
    change.proven = proven == 1;
    return written && change.column >= 0 && change.column <= LAST_ROOM && change.current_seats >= 0 &&
           change.proposed_seats >= 0 && change.cost >= 0 && variation == change.cost - current_optimum &&
           change.violations >= 0 && (proven == 0 || proven == 1);
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
    WrittenFile file{stream, 0, {}};
    if (!read_header(file, current_optimum))
        fail_with("\n\nArquivo %s, linha 1: cabecalho inesperado\n", PLANNING_FILE);
    room_change_count = 0;
    while (!at_end(stream)) {
        if (!next_written_line(file) || room_change_count == MAX_ROOM_CHANGES ||
            !read_change(file, current_optimum, room_changes[room_change_count]))
            fail_with("\n\nArquivo %s, linha %d: registro inesperado\n", PLANNING_FILE, file.line);
        ++room_change_count;
    }
    if (std::ferror(stream))
        fail_with("\n\nArquivo %s nao pode ser lido.\n", PLANNING_FILE);
    std::fclose(stream);
    return true;
}
