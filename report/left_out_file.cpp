// Writing and reading back the meetings a partial plan leaves out.
#include "report/left_out_file.hpp"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "io/console.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/instance.hpp"
#include "report/written_lines.hpp"
#include "search/cost.hpp"

std::array<std::array<bool, MAX_MEETINGS + 1>, MAX_SECTIONS + 1> left_out{};
int32_t left_out_count = 0;

namespace {

constexpr const char* HEADER = "Reunioes fora da grade de otima.txt: ";

void clear_marks()
{
    for (int32_t section = 0; section <= section_count; ++section)
        left_out[section] = {};
    left_out_count = 0;
}

// The meeting a record names: the section's meeting on that weekday, with
// that start and end; 0 when it has none, or it is already marked.
int named_meeting(int32_t section, int32_t weekday, int32_t start, int32_t end)
{
    int m = find_meeting(section, weekday, start);
    return m != 0 && sections[section].meetings[m].end_time == end && !left_out[section][m] ? m : 0;
}

[[noreturn]] void refuse_line(int line, const char* what)
{
    fail_with("\n\nArquivo %s, linha %d: %s\n", LEFT_OUT_FILE, line, what);
}

}  // namespace

void mark_left_out(const AllocationGrid& grid)
{
    clear_marks();
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m)
            if (sections[section].meetings[m].weekday != 0 && first_slot_column(grid, section, m) < 0) {
                left_out[section][m] = true;
                ++left_out_count;
            }
}

void write_left_out_file()
{
    if (left_out_count == 0) {
        if (unlink(LEFT_OUT_FILE) != 0 && errno != ENOENT)
            fail_with("\n\nArquivo %s, de uma execucao anterior, nao pode ser removido.\n", LEFT_OUT_FILE);
        return;
    }
    std::FILE* out = begin_output_file(LEFT_OUT_FILE, "\n\nArquivo fora_da_grade.txt nao pode ser criado.\n");
    std::fprintf(out, "%s%d\n", HEADER, left_out_count);
    for (int32_t section = 1; section <= section_count; ++section)
        for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m)
            if (left_out[section][m]) {
                const Meeting& meeting = sections[section].meetings[m];
                std::fprintf(out, "%d|%d|%02d:%02d|%02d:%02d|\n", section, meeting.weekday,
                             meeting.earliest_start / 60, meeting.earliest_start % 60, meeting.end_time / 60,
                             meeting.end_time % 60);
            }
    finish_output_file();
}

void read_left_out_file()
{
    clear_marks();
    std::FILE* stream = open_regular_file(LEFT_OUT_FILE);
    if (stream == nullptr && errno == ENOENT)
        return;
    if (stream == nullptr)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", LEFT_OUT_FILE);
    WrittenFile file{stream, 0, {}};
    int32_t count = 0;
    const char* text = file.text;
    if (!next_written_line(file) || !take_text(text, HEADER) || !take_written_number(text, count) || *text != '\0' ||
        count < 1)
        refuse_line(1, "cabecalho inesperado");
    while (left_out_count < count) {
        int32_t section = 0, weekday = 0, start = 0, end = 0;
        if (!next_written_line(file))
            refuse_line(file.line, "faltam reunioes que o cabecalho conta");
        text = file.text;
        if (!take_written_number(text, section) || !take_text(text, "|") || !take_written_number(text, weekday) ||
            !take_text(text, "|") || !take_clock(text, start) || !take_text(text, "|") || !take_clock(text, end) ||
            !take_text(text, "|") || *text != '\0')
            refuse_line(file.line, "formato inesperado");
        int m = named_meeting(section, weekday, start, end);
        if (m == 0)
            refuse_line(file.line, "reuniao que os arquivos de entrada nao tem, ou repetida; "
                                   "rode alocacao-otimo de novo");
        left_out[section][m] = true;
        ++left_out_count;
    }
    if (std::fgetc(stream) != EOF)
        refuse_line(file.line + 1, "mais linhas que o cabecalho conta");
    if (std::ferror(stream))
        fail_with("\n\nArquivo %s nao pode ser lido.\n", LEFT_OUT_FILE);
    std::fclose(stream);
}
