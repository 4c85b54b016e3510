// Opening a spreadsheet (an .xlsx through xlsx2csv, into a file without a
// name), and finding its columns by their headings.
#include "app/importar/sheet.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "io/encoding.hpp"
#include "io/ending_signals.hpp"
#include "io/input_file.hpp"
#include "app/importar/import.hpp"

extern char** environ;

const std::array<const char*, IMPORT_COLUMNS> IMPORT_COLUMN_NAMES{
    "disciplina", "sigla", "numero", "turma", "alunos", "vagas", "dia", "inicio",
    "fim",        "horario", "sala", "lugares", "recurso", "nome", "predio"};

std::array<FoldedHeading, IMPORT_COLUMNS> mapped_headings;

namespace {

// Whether some sheet has the heading --colunas gives a column.
std::array<bool, IMPORT_COLUMNS> mapped_found;

}  // namespace

namespace {

// The headings each column is known by, folded; the first is its name.
constexpr const char* const HEADINGS[IMPORT_COLUMNS][10] = {
    {"disciplina", "codigo", "codigo da disciplina", "cod disciplina", "course", "course code", "subject code",
     "componente", "componente curricular", nullptr},
    {"sigla", "subject", "prefixo", "departamento sigla", nullptr},
    {"numero", "number", "catalog", "catalog number", "numero da disciplina", nullptr},
    {"turma", "section", "secao", "class section", "turma secao", nullptr},
    {"alunos", "matriculados", "enrollment", "enrolment", "enrolled", "inscritos", "matriculas", nullptr},
    {"vagas", "capacity", "vagas oferecidas", "places", nullptr},
    {"dia", "dias", "day", "days", "dia da semana", "weekday", nullptr},
    {"inicio", "start", "hora inicio", "hora de inicio", "start time", "hora inicial", "begin", nullptr},
    {"fim", "termino", "end", "hora fim", "hora de termino", "end time", "hora final", "hora de fim", nullptr},
    {"horario", "horarios", "time", "times", "schedule", nullptr},
    {"sala", "room", "local", "sala atual", "codigo da sala", nullptr},
    {"lugares", "seats", "capacidade", "capacidade da sala", "room capacity", "assentos", nullptr},
    {"recurso", "recursos", "tipo de sala", "room type", "features", "recursos necessarios", nullptr},
    {"nome", "name", "nome da sala", "room name", "descricao", nullptr},
    {"predio", "building", "bloco", nullptr}};

bool ends_with_xlsx(const char* name)
{
    std::size_t length = std::strlen(name);
    char folded[8];
    return length > 5 && fold_text(name + length - 4, folded, sizeof folded) > 0 && std::strcmp(folded, "xlsx") == 0 &&
           name[length - 5] == '.';
}

// Starts xlsx2csv on `name`, its output into `fd`: the converter, known to
// the handlers of the ending signals before any is let through (one that
// comes meanwhile is held, and then ends the converter too); NO_CHILD when
// it cannot start. It starts with the signal mask as it was.
pid_t start_converter(const char* name, int fd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char program[] = "xlsx2csv", delimiter[] = "-d", semicolon[] = ";";
    char* arguments[] = {program, delimiter, semicolon, const_cast<char*>(name), nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t previous = hold_ending_signals();
    posix_spawnattr_setsigmask(&attributes, &previous);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t child = NO_CHILD;
    if (posix_spawnp(&child, program, &actions, &attributes, arguments, environ) != 0)
        child = NO_CHILD;
    set_child_to_end(child);
    release_ending_signals(previous);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// The first sheet of an .xlsx workbook as CSV, through xlsx2csv, in a
// temporary file removed at once (it leaves nothing behind); nullptr with
// `fault` set when it cannot be had.
std::FILE* convert_workbook(const char* name, const char*& fault)
{
    if (std::FILE* probe = open_regular_file(name))
        std::fclose(probe);
    else {
        fault = "nao pode ser aberto";
        return nullptr;
    }
    const char* directory = std::getenv("TMPDIR");
    char path[512];
    std::snprintf(path, sizeof path, "%s/alocacao-importar.XXXXXX", directory != nullptr && *directory ? directory : "/tmp");
    int fd = mkstemp(path);
    if (fd == -1) {
        fault = "planilha .xlsx: sem arquivo temporario para converte-la";
        return nullptr;
    }
    unlink(path);
    pid_t child = start_converter(name, fd);
    int status = 0;
    if (child != NO_CHILD) {
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        set_child_to_end(NO_CHILD);
    }
    if (child == NO_CHILD || (WIFEXITED(status) && WEXITSTATUS(status) == 127)) {
        close(fd);
        fault = "planilha .xlsx, e o xlsx2csv nao esta instalado: salve-a como CSV (separado por ;) e importe o .csv";
        return nullptr;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        close(fd);
        fault = "planilha .xlsx que o xlsx2csv nao conseguiu ler";
        return nullptr;
    }
    std::FILE* stream = fdopen(fd, "rb");
    if (stream == nullptr)
        close(fd);
    else
        std::rewind(stream);
    return stream;
}

bool heading_is(const char* field, const char* folded_heading)
{
    char folded[sizeof(FoldedHeading)];
    fold_text(field, folded, sizeof folded);
    return std::strcmp(folded, folded_heading) == 0;
}

// The field of the sheet's header that has the heading, CSV_NO_FIELD for none.
int field_with_heading(const Sheet& sheet, const char* folded_heading)
{
    for (int i = 0; i < sheet.record.count; ++i)
        if (heading_is(sheet.record.fields[i].data(), folded_heading))
            return i;
    return CSV_NO_FIELD;
}

// Each column: by the heading --colunas gives it, else by its known
// headings in their order.
void find_columns(Sheet& sheet)
{
    for (int column = 0; column < IMPORT_COLUMNS; ++column) {
        sheet.column[column] = CSV_NO_FIELD;
        if (mapped_headings[column][0] != '\0') {
            sheet.column[column] = field_with_heading(sheet, mapped_headings[column].data());
            mapped_found[column] = mapped_found[column] || sheet.column[column] != CSV_NO_FIELD;
        }
        for (const char* heading : HEADINGS[column])
            if (heading != nullptr && sheet.column[column] == CSV_NO_FIELD)
                sheet.column[column] = field_with_heading(sheet, heading);
    }
}

}  // namespace

const char* read_column_map(const char* text)
{
    for (auto& heading : mapped_headings)
        heading[0] = '\0';
    mapped_found.fill(false);
    while (*text != '\0') {
        std::size_t length = std::strcspn(text, ";");
        const char* equals = static_cast<const char*>(std::memchr(text, '=', length));
        if (equals == nullptr)
            return "cada item e coluna=cabecalho, separados por ;";
        char key[32] = "", heading[sizeof(FoldedHeading)] = "";
        std::snprintf(key, sizeof key, "%.*s", static_cast<int>(equals - text), text);
        std::snprintf(heading, sizeof heading, "%.*s", static_cast<int>(text + length - equals - 1), equals + 1);
        char folded_key[32];
        fold_text(key, folded_key, sizeof folded_key);
        int column = 0;
        while (column < IMPORT_COLUMNS && std::strcmp(folded_key, IMPORT_COLUMN_NAMES[column]) != 0)
            ++column;
        if (column == IMPORT_COLUMNS)
            return "coluna desconhecida (disciplina, sigla, numero, turma, alunos, vagas, dia, inicio, fim, "
                   "horario, sala, lugares, recurso, nome, predio)";
        fold_text(heading, mapped_headings[column].data(), sizeof(FoldedHeading));
        if (mapped_headings[column][0] == '\0')
            return "cabecalho vazio";
        text += length + (text[length] == ';' ? 1 : 0);
    }
    return nullptr;
}

const char* open_sheet(Sheet& sheet, const char* name)
{
    sheet.name = name;
    sheet.line = 1;
    if (ends_with_xlsx(name)) {
        const char* fault = nullptr;
        std::FILE* stream = convert_workbook(name, fault);
        if (stream == nullptr)
            return fault;
        open_csv_stream(stream, sheet.csv);
    } else if (!open_csv(name, sheet.csv)) {
        return "nao pode ser aberto";
    }
    CsvRead read = read_csv_header(sheet.csv, sheet.record);
    const char* fault = read == CsvRead::NullByte     ? CSV_NULL_BYTE
                        : read == CsvRead::Unreadable ? "nao pode ser lido"
                        : read == CsvRead::End        ? "arquivo vazio"
                        : sheet.record.open_quote     ? "cabecalho mal formado (aspas abertas)"
                                                      : nullptr;
    if (fault != nullptr) {
        close_csv(sheet.csv);
        return fault;
    }
    find_columns(sheet);
    return nullptr;
}

void close_sheet(Sheet& sheet)
{
    if (sheet.csv.stream != nullptr)
        close_csv(sheet.csv);
}

const char* read_rows(Sheet& sheet, void (*read_row)(const Sheet& sheet))
{
    for (;;) {
        CsvRead read = read_csv_record(sheet.csv, sheet.record);
        sheet.line = sheet.record.line;
        if (read == CsvRead::End)
            return nullptr;
        if (read == CsvRead::NullByte)
            return CSV_NULL_BYTE;
        if (read == CsvRead::Unreadable)
            return "nao pode ser lido";
        if (sheet.line > MAX_SHEET_LINES)
            return "mais de 100000 linhas";
        if (!csv_blank(sheet.record))
            read_row(sheet);
    }
}

const char* cell(const Sheet& sheet, ImportColumn column)
{
    int index = sheet.column[column];
    return index != CSV_NO_FIELD && index < sheet.record.count ? sheet.record.fields[index].data() : "";
}

const char* mapped_heading_missing()
{
    for (int column = 0; column < IMPORT_COLUMNS; ++column)
        if (mapped_headings[column][0] != '\0' && !mapped_found[column])
            return IMPORT_COLUMN_NAMES[column];
    return nullptr;
}
