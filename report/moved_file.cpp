// Writing and reading back the meetings a kept plan sees move.
#include "report/moved_file.hpp"

#include <cerrno>
#include <cstdio>

#include "io/console.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/instance.hpp"
#include "report/written_lines.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"

BySection<ByMeeting<int32_t>> moved_from{};
int32_t moved_count = 0;
bool moves_read = false;

namespace {

constexpr const char* HEADER = "Reunioes que mudam de sala em relacao ao plano mantido: ";

void clear_marks()
{
    moved_from.fill({});
    moved_count = 0;
}

}  // namespace

void mark_moved(const AllocationGrid& grid)
{
    clear_marks();
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            if (kept_room(section, m) >= 0 && first_slot_column(grid, section, m) != kept_room(section, m)) {
                moved_from[section][m] = kept_room(section, m) + 1;
                ++moved_count;
            }
}

void write_moved_file(const AllocationGrid& grid, bool kept)
{
    if (!kept) {
        if (!remove_in_output_set(MOVED_FILE))
            fail_with("\n\nArquivo %s, de uma execucao anterior, nao pode ser removido.\n", MOVED_FILE);
        return;
    }
    std::FILE* out = begin_output_file(MOVED_FILE, "\n\nArquivo mudancas.txt nao pode ser criado.\n");
    std::fprintf(out, "%s%d\n", HEADER, moved_count);
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            if (moved_from[section][m] != 0) {
                const Meeting& meeting = sections[section].meetings[m];
                std::fprintf(out, "%d|%d|%02d:%02d|%d|%d|\n", section, meeting.weekday, meeting.earliest_start / 60,
                             meeting.earliest_start % 60, moved_from[section][m] - 1,
                             first_slot_column(grid, section, m));
            }
    finish_output_file();
}

bool read_moved_file(const AllocationGrid& grid)
{
    clear_marks();
    moves_read = false;
    std::FILE* stream = open_regular_file(MOVED_FILE);
    if (stream == nullptr && errno == ENOENT)
        return true;
    if (stream == nullptr)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", MOVED_FILE);
    WrittenFile file{stream, 0, {}};
    int32_t count{};
    const char* text = file.text;
    if (!next_written_line(file) || !take_text(text, HEADER) || !take_written_number(text, count) || *text != '\0' ||
        count < 0)
        refuse_written_line(file, MOVED_FILE, 1, "cabecalho inesperado");
    bool current = true;
    for (int32_t record = 0; record < count; ++record) {
        int32_t section{}, weekday{}, start{}, before{}, now{};
        if (!next_written_line(file))
            refuse_written_line(file, MOVED_FILE, file.line, "faltam reunioes que o cabecalho conta");
        text = file.text;
        if (!take_written_number(text, section) || !take_text(text, "|") || !take_written_number(text, weekday) ||
            !take_text(text, "|") || !take_clock(text, start) || !take_text(text, "|") ||
            !take_written_number(text, before) || !take_text(text, "|") || !take_written_number(text, now) ||
            !take_text(text, "|") || *text != '\0' || before < 0 || before > MAX_ROOM || now < -1 || now > MAX_ROOM)
            refuse_written_line(file, MOVED_FILE, file.line, "formato inesperado");
        int m = find_meeting(section, weekday, start);
        current = current && m != 0 && moved_from[section][m] == 0 && first_slot_column(grid, section, m) == now;
        if (current) {
            moved_from[section][m] = before + 1;
            ++moved_count;
        }
    }
    if (std::fgetc(stream) != EOF)
        refuse_written_line(file, MOVED_FILE, file.line + 1, "mais linhas que o cabecalho conta");
    close_written_file(file, MOVED_FILE);
    if (!current)
        clear_marks();
    moves_read = current;
    return current;
}
