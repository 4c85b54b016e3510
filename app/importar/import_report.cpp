// importacao.txt: a line of text for every spreadsheet line, the numbers
// made, the notes. Latin-1, as every report; a cell's text converted.
#include "app/importar/import_report.hpp"

#include <algorithm>
#include <cstdio>

#include "app/importar/numbering.hpp"
#include "app/importar/week_plan.hpp"
#include "io/console.hpp"
#include "io/encoding.hpp"
#include "io/output_file.hpp"
#include "model/week.hpp"

namespace {

constexpr const char* REPORT_NAME = "importacao.txt";

constexpr std::size_t REPORT_TEXT_SIZE = 256;

// A cell's text on one line of the report, until the next call.
const char* latin1(const char* utf8)
{
    static std::array<char, REPORT_TEXT_SIZE> text;
    text_to_latin1_line(utf8, text.data(), text.size());
    return text.data();
}

// "MTM 121-2": a class as the instance names it.
void print_class(std::FILE* out, int32_t class_index)
{
    const ImportClass& entry = import_classes.classes[class_index];
    const ImportCourse& course = import_courses.courses[entry.course];
    std::fprintf(out, "%s %d-%d", course.code.data(), course.number, entry.number);
}

// The times a taken line gave its class: "segunda-feira 08:00-09:40, ...".
// The time lines were read in the order of their lines.
void print_line_times(std::FILE* out, int32_t line)
{
    const char* joint = ": ";
    for (const TimeLine& time : std::ranges::equal_range(time_lines(), line, {}, &TimeLine::line)) {
        std::fprintf(out, "%s%s %02d:%02d-%02d:%02d", joint, weekday_name(time.weekday), time.start / 60,
                     time.start % 60, time.end / 60, time.end % 60);
        joint = ", ";
    }
}

void print_fault(std::FILE* out, const LineOutcome& outcome)
{
    if (outcome.column != nullptr)
        std::fprintf(out, "coluna %s, valor '%s': ", outcome.column, latin1(outcome.value.data()));
    std::fprintf(out, "%s", outcome.reason != nullptr ? outcome.reason : "");
    if (outcome.other_line != 0)
        std::fprintf(out, " %d", outcome.other_line);
}

void print_class_lines(std::FILE* out)
{
    static constexpr const char* WORDS[] = {"", "tomada", "juntada", "pulada", "recusada"};
    for (int32_t line = 1; line <= turmas_outcomes.last_line; ++line) {
        const LineOutcome& outcome = turmas_outcomes.lines[line];
        if (outcome.outcome == Outcome::None)
            continue;
        std::fprintf(out, "linha %d: %s", line, WORDS[static_cast<int>(outcome.outcome)]);
        if (outcome.outcome == Outcome::Taken) {
            std::fprintf(out, ": turma ");
            print_class(out, outcome.class_index);
            std::fprintf(out, " (%d alunos)", import_classes.classes[outcome.class_index].students);
            print_line_times(out, line);
        } else if (outcome.outcome == Outcome::Merged) {
            std::fprintf(out, " a linha %d: turma ", outcome.other_line);
            print_class(out, outcome.class_index);
            print_line_times(out, line);
            std::fprintf(out, " (uma reuniao por dia)");
        } else {
            std::fprintf(out, ": ");
            print_fault(out, outcome);
        }
        std::fputc('\n', out);
    }
}

void print_room_lines(std::FILE* out)
{
    for (int32_t line = 1; line <= salas_outcomes.last_line; ++line) {
        const LineOutcome& outcome = salas_outcomes.lines[line];
        if (outcome.outcome == Outcome::Refused) {
            std::fprintf(out, "linha %d: recusada: ", line);
            print_fault(out, outcome);
            std::fputc('\n', out);
        }
    }
}

// The courses and sections whose numbers are not plainly their text.
void print_numbers_made(std::FILE* out)
{
    bool said = false;
    auto heading = [&] {
        if (!said)
            std::fprintf(out, "\nCodigos numerados\n");
        said = true;
    };
    for (const ImportCourse& course : courses_read()) {
        if (course.made) {
            heading();
            std::fprintf(out, "disciplina '%s' (linha %d): %s %d\n", latin1(course.text.data()), course.line,
                         course.code.data(), course.number);
        }
    }
    for (int32_t index = FIRST_SECTION; index <= import_classes.count; ++index) {
        const ImportClass& entry = import_classes.classes[index];
        const ImportCourse& course = import_courses.courses[entry.course];
        if (class_written(index) && section_label_made(entry.label.data(), entry.number)) {
            heading();
            std::fprintf(out, "turma '%s' de %s %d (linha %d): %d\n", latin1(entry.label.data()), course.code.data(),
                         course.number, entry.students_line, entry.number);
        }
    }
}

void print_notes(std::FILE* out)
{
    if (import_notes.count == 0)
        return;
    std::fprintf(out, "\nAvisos\n");
    for (int i = 0; i < import_notes.count; ++i)
        std::fprintf(out, "%s\n", latin1(import_notes.texts[i].data()));
    if (import_notes.dropped > 0)
        std::fprintf(out, "e mais %d %s\n", import_notes.dropped, plural(import_notes.dropped, "aviso", "avisos"));
}

// "turmas.csv: 1200 tomadas, ...": salas.csv's lines are only taken or refused.
void print_counts(std::FILE* out, const char* name, const SheetOutcomes& sheet, bool rooms)
{
    OutcomeCounts counts = count_outcomes(sheet);
    int32_t taken = counts[1], merged = counts[2], skipped = counts[3], refused = counts[4];
    std::fprintf(out, "%s: %d %s, ", latin1(name), taken, plural(taken, "tomada", "tomadas"));
    if (!rooms)
        std::fprintf(out, "%d %s a outra, %d %s, ", merged, plural(merged, "juntada", "juntadas"), skipped,
                     plural(skipped, "pulada", "puladas"));
    std::fprintf(out, "%d %s\n", refused, plural(refused, "recusada", "recusadas"));
}

void print_head(std::FILE* out, const ImportSummary& summary)
{
    std::fprintf(out, "Importacao de %s", latin1(summary.classes_sheet));
    if (summary.rooms_sheet != nullptr)
        std::fprintf(out, " e %s", latin1(summary.rooms_sheet));
    std::fprintf(out, "\n");
    print_counts(out, summary.classes_sheet, turmas_outcomes, false);
    if (summary.rooms_sheet != nullptr)
        print_counts(out, summary.rooms_sheet, salas_outcomes, true);
    if (!summary.written) {
        std::fprintf(out, "Nenhum arquivo da instancia foi gravado.\n");
        return;
    }
    char written[512];
    format_written_files(written, sizeof written, summary);
    std::fprintf(out, "%s\n", written);
}

}  // namespace

void format_written_files(char* text, std::size_t size, const ImportSummary& summary)
{
    const WrittenCounts& counts = summary.counts;
    std::size_t used = 0;
    auto add = [&](const char* format, auto... values) {
        if (used < size)
            used += static_cast<std::size_t>(std::snprintf(text + used, size - used, format, values...));
    };
    auto add_file = [&](const char* name, int32_t count, const char* one, const char* many) {
        add("%s (%d %s), ", name, count, plural(count, one, many));
    };
    add("Gravados: ");
    add_file("capacidade.txt", import_rooms.count, "sala", "salas");
    add_file("cursos.txt", import_courses.type_count, "codigo", "codigos");
    add_file("demanda.txt", counts.classes, "turma", "turmas");
    add_file("horario.txt", counts.time_lines, "linha", "linhas");
    if (!import_week.standard)
        add_file("semana.txt", import_week.count, "bloco", "blocos");
    if (counts.rules > 0)
        add_file("regras.txt", counts.rules, "regra", "regras");
    if (counts.weights)
        add("peso.par (%s), ", DEFAULT_WEIGHTS_TEXT);
    if (counts.current_meetings > 0)
        add_file("plano-atual.csv", counts.current_meetings, "reuniao", "reunioes");
    add("importacao.txt.");
}

OutcomeCounts count_outcomes(const SheetOutcomes& sheet)
{
    OutcomeCounts counts{};
    for (int32_t line = 1; line <= sheet.last_line; ++line)
        ++counts[static_cast<std::size_t>(sheet.lines[line].outcome)];
    return counts;
}

void write_import_report(const ImportSummary& summary)
{
    std::FILE* out = begin_output_file(REPORT_NAME, "\n\nNao foi possivel gravar importacao.txt.\n");
    print_head(out, summary);
    std::fprintf(out, "\n%s\n", latin1(summary.classes_sheet));
    print_class_lines(out);
    if (summary.rooms_sheet != nullptr && count_outcomes(salas_outcomes)[static_cast<int>(Outcome::Refused)] > 0) {
        std::fprintf(out, "\n%s\n", latin1(summary.rooms_sheet));
        print_room_lines(out);
    }
    print_numbers_made(out);
    print_notes(out);
    finish_output_file();
}
