// Writing and reading back the meetings a partial plan leaves out.
#include "report/left_out_file.hpp"

#include <cerrno>
#include <cstdio>

#include "io/console.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "model/instance.hpp"
#include "search/cost.hpp"

LeftOutMeetings left_out{};

namespace {

constexpr const char* HEADER = "Reunioes fora da grade de otima.txt: ";

// The meeting a record names: the section's meeting on that weekday, with
// that start and end; 0 when it has none, or it is already marked.
int named_meeting(const LeftOutMeetings& meetings, int32_t section, int32_t weekday, int32_t start, int32_t end)
{
    int m = section >= 1 && section <= section_count ? find_meeting(section, weekday, start) : 0;
    return m != 0 && sections[section].meetings[m].end_time == end && !meetings.marked[section][m] ? m : 0;
}

}  // namespace

void clear_left_out(LeftOutMeetings& meetings)
{
    meetings.marked.fill({});
    meetings.count = 0;
}

void mark_left_out(const AllocationGrid& grid)
{
    clear_left_out(left_out);
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            if (is_present(sections[section].meetings[m]) && first_slot_column(grid, section, m) < 0) {
                left_out.marked[section][m] = true;
                ++left_out.count;
            }
}

void write_left_out_records(std::FILE* out, const LeftOutMeetings& meetings)
{
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        for (int m : meeting_numbers())
            if (meetings.marked[section][m]) {
                const Meeting& meeting = sections[section].meetings[m];
                std::fprintf(out, "%d|%d|%02d:%02d|%02d:%02d|\n", section, meeting.weekday,
                             meeting.earliest_start / 60, meeting.earliest_start % 60, meeting.end_time / 60,
                             meeting.end_time % 60);
            }
}

const char* read_left_out_records(WrittenFile& file, int32_t count, LeftOutMeetings& meetings)
{
    clear_left_out(meetings);
    while (meetings.count < count) {
        int32_t section{}, weekday{}, start{}, end{};
        if (!next_written_line(file))
            return "faltam reunioes que o cabecalho conta";
        const char* text = file.text;
        if (!take_written_number(text, section) || !take_text(text, "|") || !take_written_number(text, weekday) ||
            !take_text(text, "|") || !take_clock(text, start) || !take_text(text, "|") || !take_clock(text, end) ||
            !take_text(text, "|") || *text != '\0')
            return "formato inesperado";
        int m = named_meeting(meetings, section, weekday, start, end);
        if (m == 0)
            return "reuniao que os arquivos de entrada nao tem, ou repetida; rode alocacao-otimo de novo";
        meetings.marked[section][m] = true;
        ++meetings.count;
    }
    return nullptr;
}

void write_left_out_file()
{
    if (left_out.count == 0) {
        if (!remove_in_output_set(LEFT_OUT_FILE))
            fail_with("\n\nArquivo %s, de uma execucao anterior, nao pode ser removido.\n", LEFT_OUT_FILE);
        return;
    }
    std::FILE* out = begin_output_file(LEFT_OUT_FILE, "\n\nArquivo fora_da_grade.txt nao pode ser criado.\n");
    std::fprintf(out, "%s%d\n", HEADER, left_out.count);
    write_left_out_records(out, left_out);
    finish_output_file();
}

void read_left_out_file()
{
    clear_left_out(left_out);
    std::FILE* stream = open_regular_file(LEFT_OUT_FILE);
    if (stream == nullptr && errno == ENOENT)
        return;
    if (stream == nullptr)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", LEFT_OUT_FILE);
    WrittenFile file{stream, 0, {}};
    int32_t count{};
    const char* text = file.text;
    if (!next_written_line(file) || !take_text(text, HEADER) || !take_written_number(text, count) || *text != '\0' ||
        count < 1)
        refuse_written_line(file, LEFT_OUT_FILE, 1, "cabecalho inesperado");
    if (const char* fault = read_left_out_records(file, count, left_out))
        refuse_written_line(file, LEFT_OUT_FILE, file.line, fault);
    if (std::fgetc(stream) != EOF)
        refuse_written_line(file, LEFT_OUT_FILE, file.line + 1, "mais linhas que o cabecalho conta");
    close_written_file(file, LEFT_OUT_FILE);
}
