// alocacao-importar: the registrar's spreadsheet of classes (one row per
// class meeting) and, optionally, one of rooms, turned into the instance
// files of the working directory, all of them or none, with importacao.txt
// saying what became of every line.
//
//   alocacao-importar turmas.csv [salas.csv] [--colunas MAPA] [--turnos turnos.txt] [--substituir]
//
// Exit status: 0 when every line was taken; 3 when some were skipped or
// refused and the files were written from the rest; 1 when no class could
// be taken, for a file that cannot be read or written, for instance files
// already there without --substituir, and for any other argument.
#include <cstring>
#include <sys/stat.h>

#include "app/importar/cells.hpp"
#include "app/importar/classes.hpp"
#include "app/importar/import.hpp"
#include "app/importar/import_report.hpp"
#include "app/importar/instance_files.hpp"
#include "app/importar/numbering.hpp"
#include "app/importar/rooms.hpp"
#include "app/importar/sheet.hpp"
#include "app/importar/week_plan.hpp"
#include "io/console.hpp"
#include "io/output_file.hpp"

namespace {

constexpr const char* USAGE =
    "Uso: alocacao-importar turmas.csv [salas.csv] [--colunas MAPA] [--turnos turnos.txt] [--substituir]\n"
    "MAPA: coluna=cabe\xE7" "alho separados por ; (\"disciplina=Cod. Disc.;turma=Tur\").\n";

// The instance files an import writes, which it does not overwrite unasked.
constexpr const char* INSTANCE_FILES[] = {"capacidade.txt", "cursos.txt", "demanda.txt",
                                          "horario.txt",    "semana.txt", "regras.txt"};

struct Arguments {
    const char* classes;
    const char* rooms;
    const char* columns;
    const char* shifts;
    bool replace;
};

// The arguments; anything else ends the process with the usage.
Arguments read_arguments(int argc, char** argv)
{
    Arguments arguments{};
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const char** option = std::strcmp(argument, "--colunas") == 0 ? &arguments.columns
                              : std::strcmp(argument, "--turnos") == 0 ? &arguments.shifts
                                                                       : nullptr;
        if (option != nullptr && *option == nullptr && i + 1 < argc)
            *option = argv[++i];
        else if (std::strcmp(argument, "--substituir") == 0 && !arguments.replace)
            arguments.replace = true;
        else if (argument[0] != '-' && arguments.classes == nullptr)
            arguments.classes = argument;
        else if (argument[0] != '-' && arguments.rooms == nullptr)
            arguments.rooms = argument;
        else
            fail_with("%s", USAGE);
    }
    if (arguments.classes == nullptr)
        fail_with("%s", USAGE);
    return arguments;
}

// Without --substituir, instance files already in the directory end the process.
void refuse_existing_files()
{
    char names[160] = "";
    for (const char* name : INSTANCE_FILES) {
        struct stat status;
        if (lstat(name, &status) == 0)
            std::snprintf(names + std::strlen(names), sizeof names - std::strlen(names), "%s%s", names[0] ? ", " : "",
                          name);
    }
    if (names[0] != '\0')
        fail_with("J\xE1 h\xE1 arquivos da inst\xE2ncia aqui: %s.\nUse --substituir para substitu\xED-los.\n", names);
}

void read_options(const Arguments& arguments)
{
    if (arguments.columns != nullptr)
        if (const char* fault = read_column_map(arguments.columns))
            fail_with("--colunas: %s\n%s", fault, USAGE);
    if (arguments.shifts != nullptr) {
        int32_t line{};
        if (const char* fault = read_shift_file(arguments.shifts, line)) {
            console_print("Arquivo ");
            console_print_path(arguments.shifts);
            if (line > 0)
                console_print(", linha %d", line);
            fail_with(": %s\n", fault);
        }
    }
}

// Ends the process for a spreadsheet that cannot be used, naming it.
[[noreturn]] void sheet_failure(const char* name, const char* fault)
{
    console_print("Arquivo ");
    console_print_path(name);
    fail_with(": %s\n", fault);
}

void read_rooms(const char* name)
{
    Sheet sheet{};
    salas_outcomes.name = name;
    const char* fault = open_sheet(sheet, name);
    if (fault == nullptr)
        fault = missing_room_columns(sheet);
    if (fault == nullptr)
        fault = read_room_sheet(sheet);
    close_sheet(sheet);
    if (fault != nullptr)
        sheet_failure(name, fault);
}

void read_classes(const char* name, bool rooms_from_classes)
{
    Sheet sheet{};
    turmas_outcomes.name = name;
    const char* fault = open_sheet(sheet, name);
    if (fault == nullptr)
        fault = missing_class_columns(sheet);
    if (fault == nullptr && rooms_from_classes && !(has_column(sheet, ROOM) && has_column(sheet, SEATS)))
        fault = has_column(sheet, ROOM) ? "sem salas.csv, os lugares das salas vem da coluna lugares, que falta"
                                        : "sem salas.csv, as salas vem das colunas sala e lugares, que faltam";
    if (fault == nullptr)
        fault = read_class_sheet(sheet, rooms_from_classes);
    close_sheet(sheet);
    if (fault != nullptr)
        sheet_failure(name, fault);
}

int32_t classes_written()
{
    int32_t count = 0;
    for (int32_t index = FIRST_SECTION; index <= import_classes.count; ++index)
        count += class_written(index);
    return count;
}

// "turmas.csv: 1234 linhas: 1200 tomadas, ...": a sheet's counts on the
// console; salas.csv's lines are only taken or refused.
void print_counts(const char* name, const SheetOutcomes& sheet, bool rooms)
{
    OutcomeCounts counts = count_outcomes(sheet);
    int32_t lines = counts[1] + counts[2] + counts[3] + counts[4];
    console_print_path(name);
    console_print(": %d %s: %d %s, ", lines, plural(lines, "linha", "linhas"), counts[1],
                  plural(counts[1], "tomada", "tomadas"));
    if (!rooms)
        console_print("%d %s a outra, %d %s, ", counts[2], plural(counts[2], "juntada", "juntadas"), counts[3],
                      plural(counts[3], "pulada", "puladas"));
    console_print("%d %s.\n", counts[4], plural(counts[4], "recusada", "recusadas"));
}

void print_written_files(const ImportSummary& summary)
{
    char written[512];
    format_written_files(written, sizeof written, summary);
    console_print("%s\n", written);
}

bool every_line_taken()
{
    OutcomeCounts classes = count_outcomes(turmas_outcomes), rooms = count_outcomes(salas_outcomes);
    return classes[3] + classes[4] + rooms[4] == 0;  // a room's line is only taken or refused
}

}  // namespace

int main(int argc, char** argv)
{
    secure_standard_descriptors();
    fail_without_pause();
    watch_ending_signals();  // Ctrl-C or SIGTERM ends a workbook's converter too, and leaves no file half written
    Arguments arguments = read_arguments(argc, argv);
    read_options(arguments);
    if (!arguments.replace)
        refuse_existing_files();
    clear_import();
    if (arguments.rooms != nullptr)
        read_rooms(arguments.rooms);
    read_classes(arguments.classes, arguments.rooms == nullptr);
    if (const char* column = mapped_heading_missing())
        fail_with("--colunas: nenhuma planilha tem o cabe\xE7" "alho dado para a coluna %s.\n", column);
    if (arguments.rooms == nullptr)
        drop_rooms_without_seats();
    fit_room_names();
    note_features_without_rooms();
    if (const char* fault = number_courses_and_classes())
        sheet_failure(arguments.classes, fault);
    if (const char* fault = plan_week())
        sheet_failure(arguments.classes, fault);
    ImportSummary summary{arguments.classes, arguments.rooms, false, {}};
    bool usable = classes_written() > 0 && import_rooms.count > 0;
    if (usable) {
        begin_output_set();
        summary.written = true;
        summary.counts = write_instance_files();
        write_import_report(summary);
        commit_output_set();
    } else {
        write_import_report(summary);
    }
    print_counts(arguments.classes, turmas_outcomes, false);
    if (arguments.rooms != nullptr)
        print_counts(arguments.rooms, salas_outcomes, true);
    if (!usable) {
        console_print("%s: nenhum arquivo da inst\xE2ncia foi gravado; veja importacao.txt.\n",
                      classes_written() == 0 ? "Nenhuma turma p\xF4" "de ser tomada" : "Nenhuma sala com lugares");
        return console_exit_status(1);
    }
    print_written_files(summary);
    if (every_line_taken() && import_notes.count == 0)
        return console_exit_status(0);
    console_print("Linhas puladas ou recusadas e avisos: veja importacao.txt.\n");
    return console_exit_status(every_line_taken() ? 0 : 3);
}
