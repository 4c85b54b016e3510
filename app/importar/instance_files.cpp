// capacidade.txt, cursos.txt, demanda.txt, horario.txt, semana.txt,
// regras.txt, peso.par and plano-atual.csv, written from the tables.
#include "app/importar/instance_files.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "app/importar/import.hpp"
#include "app/importar/week_plan.hpp"
#include "io/csv.hpp"
#include "io/output_file.hpp"

namespace {

constexpr const char* WRITE_FAILURE = "\n\nNao foi possivel gravar os arquivos da importacao.\n";

std::FILE* begin(const char* name)
{
    return begin_output_file(name, WRITE_FAILURE);
}

const ImportClass& class_of(const TimeLine& time)
{
    return import_classes.classes[time.class_index];
}

const ImportCourse& course_of(const ImportClass& entry)
{
    return import_courses.courses[entry.course];
}

// ---------------------------------------------------------------- the times, in order

// The time lines of the classes written, by class, weekday, start and end,
// each distinct one once: the order of horario.txt.
std::array<int32_t, MAX_TIME_LINES> time_order;
int32_t ordered_times;

void order_times()
{
    ordered_times = 0;
    for (int32_t t = 0; t < import_times.count; ++t)
        if (class_written(import_times.lines[t].class_index))
            time_order[ordered_times++] = t;
    auto key = [](int32_t t) {
        const TimeLine& time = import_times.lines[t];
        return std::array<int32_t, 5>{time.class_index, time.weekday, time.start, time.end, time.line};
    };
    std::ranges::sort(time_order.begin(), time_order.begin() + ordered_times, {}, key);
    auto same_time = [](int32_t a, int32_t b) {
        const TimeLine &x = import_times.lines[a], &y = import_times.lines[b];
        return x.class_index == y.class_index && x.weekday == y.weekday && x.start == y.start && x.end == y.end;
    };
    ordered_times = static_cast<int32_t>(std::unique(time_order.begin(), time_order.begin() + ordered_times, same_time) -
                                         time_order.begin());
}

// ---------------------------------------------------------------- the files

void write_rooms()
{
    std::FILE* out = begin("capacidade.txt");
    for (int32_t room = FIRST_ROOM; room <= import_rooms.count; ++room)
        std::fprintf(out, "%d|%d|%s|\n", room, import_rooms.rooms[room].seats, import_rooms.rooms[room].name.data());
    finish_output_file();
}

void write_codes()
{
    std::FILE* out = begin("cursos.txt");
    for (int32_t type = FIRST_COURSE_TYPE; type <= import_courses.type_count; ++type)
        std::fprintf(out, "%d|%s|\n", type, import_courses.type_codes[type].data());
    finish_output_file();
}

// "3|121|2|": a class's course type, course number and section.
void print_class_key(std::FILE* out, const ImportClass& entry)
{
    std::fprintf(out, "%d|%d|%d|", course_of(entry).type, course_of(entry).number, entry.number);
}

int32_t write_classes()
{
    std::FILE* out = begin("demanda.txt");
    int32_t written = 0;
    for (int32_t index = FIRST_SECTION; index <= import_classes.count; ++index)
        if (class_written(index)) {
            print_class_key(out, import_classes.classes[index]);
            std::fprintf(out, "%d|\n", import_classes.classes[index].students);
            ++written;
        }
    finish_output_file();
    return written;
}

void print_time_line(std::FILE* out, const ImportClass& entry, int32_t weekday, int32_t start, int32_t end)
{
    print_class_key(out, entry);
    std::fprintf(out, "T|%d|%02d:%02d|%02d:%02d|\n", weekday, start / 60, start % 60, end / 60, end % 60);
}

// horario.txt: each time as it is in a week of its own; in the standard
// week one line per block it holds, the last ending at its real end.
int32_t write_times()
{
    std::FILE* out = begin("horario.txt");
    int32_t lines = 0;
    for (int32_t i = 0; i < ordered_times; ++i) {
        const TimeLine& time = import_times.lines[time_order[i]];
        if (!import_week.standard) {
            print_time_line(out, class_of(time), time.weekday, time.start, time.end);
            ++lines;
            continue;
        }
        DaySlots day = week_days[time.weekday];
        for (int32_t slot = weekly_slot(time.start, time.weekday); slot <= day.last && slot_start(slot) < time.end;
             ++slot, ++lines) {
            bool last = slot == day.last || slot_start(slot + 1) >= time.end;
            print_time_line(out, class_of(time), time.weekday, slot_start(slot), last ? time.end : slot_end(slot));
        }
    }
    finish_output_file();
    return lines;
}

void write_week()
{
    if (import_week.standard) {
        remove_in_output_set("semana.txt");
        return;
    }
    std::FILE* out = begin("semana.txt");
    for (int i = 0; i < import_week.count; ++i) {
        const WeekSlot& block = import_week.blocks[i];
        std::fprintf(out, "%d|%02d:%02d|%02d:%02d|\n", block.weekday, block.start / 60, block.start % 60,
                     block.end / 60, block.end % 60);
    }
    finish_output_file();
}

// "1-3,7": the rooms that have a feature, runs as ranges.
void print_rooms_with(std::FILE* out, int feature)
{
    const char* joint = "";
    for (int32_t room = FIRST_ROOM; room <= import_rooms.count; ++room) {
        if (!import_rooms.rooms[room].features[static_cast<std::size_t>(feature)])
            continue;
        int32_t last = room;
        while (last < import_rooms.count && import_rooms.rooms[last + 1].features[static_cast<std::size_t>(feature)])
            ++last;
        std::fprintf(out, last > room ? "%s%d-%d" : "%s%d", joint, room, last);
        joint = ",";
        room = last;
    }
}

// The features that some room has, each a recurso line; every feature a
// class requires that one has, a salas line (several lines on a class
// must all hold: a room with every feature).
int32_t write_rules()
{
    FeatureSet held = features_held();
    if (held.none()) {
        remove_in_output_set("regras.txt");
        return 0;
    }
    std::FILE* out = begin("regras.txt");
    std::fprintf(out, "# Escrito por alocacao-importar: os recursos das salas e os que as turmas exigem.\n");
    int32_t rules = 0;
    for (int feature = 0; feature < import_features.count; ++feature)
        if (held[static_cast<std::size_t>(feature)]) {
            std::fprintf(out, "recurso|");
            print_rooms_with(out, feature);
            std::fprintf(out, "|%s|\n", import_features.names[feature].data());
            ++rules;
        }
    for (int32_t index = FIRST_SECTION; index <= import_classes.count; ++index) {
        const ImportClass& entry = import_classes.classes[index];
        for (int feature = 0; class_written(index) && feature < import_features.count; ++feature)
            if (entry.features[static_cast<std::size_t>(feature)] && held[static_cast<std::size_t>(feature)]) {
                std::fprintf(out, "salas|");
                print_class_key(out, entry);
                std::fprintf(out, "%s|\n", import_features.names[feature].data());
                ++rules;
            }
    }
    finish_output_file();
    return rules;
}

bool write_weights()
{
    if (access("peso.par", F_OK) == 0)
        return false;
    std::fprintf(begin("peso.par"), "%s\n", DEFAULT_WEIGHTS_TEXT);
    finish_output_file();
    return true;
}

// ---------------------------------------------------------------- plano-atual.csv

// A meeting of a class, a weekday's times: its span and its room today.
struct CurrentMeeting {
    int32_t class_index;
    int32_t weekday;
    int32_t start;
    int32_t end;
    int32_t room;
};
std::array<CurrentMeeting, MAX_MEETINGS * MAX_SECTIONS> current;  // one a weekday for each class

// The meetings with a room today, by weekday, start and room; a note for a
// meeting whose lines give it two rooms (the first line's is kept).
int32_t list_current_meetings()
{
    int32_t count{};
    for (int32_t i = 0; i < ordered_times; ++i) {
        const TimeLine& time = import_times.lines[time_order[i]];
        CurrentMeeting* last = count > 0 ? &current[count - 1] : nullptr;
        if (last != nullptr && last->class_index == time.class_index && last->weekday == time.weekday) {
            last->start = std::min(last->start, time.start);
            last->end = std::max(last->end, time.end);
            if (last->room == NO_IMPORT_ROOM)
                last->room = time.room;
            else if (time.room != NO_IMPORT_ROOM && time.room != last->room)
                add_note("linha %d de %s: a reuniao ja tem a sala '%s'; a sala '%s' fica de fora do plano atual",
                         time.line, turmas_outcomes.name, import_rooms.rooms[last->room].name.data(),
                         import_rooms.rooms[time.room].name.data());
            continue;
        }
        current[count++] = {time.class_index, time.weekday, time.start, time.end, time.room};
    }
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i)
        if (current[i].room != NO_IMPORT_ROOM)
            current[kept++] = current[i];
    std::ranges::sort(current.begin(), current.begin() + kept, {}, [](const CurrentMeeting& meeting) {
        return std::array<int32_t, 4>{meeting.weekday, meeting.start, meeting.room, meeting.class_index};
    });
    return kept;
}

// The weekday names alocacao.csv writes, in Latin-1.
constexpr const char* WEEKDAY_WORDS[] = {"",            "domingo",      "segunda-feira", "ter\xE7" "a-feira",
                                         "quarta-feira", "quinta-feira", "sexta-feira",   "s\xE1" "bado"};

void write_current_row(std::FILE* out, const CurrentMeeting& meeting)
{
    const ImportClass& entry = import_classes.classes[meeting.class_index];
    const ImportRoom& room = import_rooms.rooms[meeting.room];
    constexpr std::size_t CELL_SIZE = 64;
    char text[10][CELL_SIZE];
    std::snprintf(text[0], CELL_SIZE, "%s", WEEKDAY_WORDS[meeting.weekday]);
    std::snprintf(text[1], CELL_SIZE, "%02d:%02d", meeting.start / 60, meeting.start % 60);
    std::snprintf(text[2], CELL_SIZE, "%02d:%02d", meeting.end / 60, meeting.end % 60);
    std::snprintf(text[3], CELL_SIZE, "%0*d", import_rooms.count >= 100 ? 3 : 2, meeting.room);
    std::snprintf(text[5], CELL_SIZE, "%d", room.seats);
    std::snprintf(text[6], CELL_SIZE, "%s %d", course_of(entry).code.data(), course_of(entry).number);
    std::snprintf(text[7], CELL_SIZE, "%d", entry.number);
    std::snprintf(text[8], CELL_SIZE, "%d", entry.students);
    std::snprintf(text[9], CELL_SIZE, "%d", std::max(entry.students - room.seats, 0));
    for (int field = 0; field < 10; ++field)
        write_csv_field(out, field == 4 ? room.name.data() : text[field], field == 9, field == 4);
}

int32_t write_current_plan()
{
    int32_t count = list_current_meetings();
    if (count == 0) {
        remove_in_output_set("plano-atual.csv");
        return 0;
    }
    std::FILE* out = begin("plano-atual.csv");
    std::fputs("\xEF\xBB\xBF" "dia;inicio;fim;sala;nome da sala;lugares;disciplina;turma;alunos;acima da capacidade\r\n",
               out);
    for (int32_t i = 0; i < count; ++i)
        write_current_row(out, current[i]);
    finish_output_file();
    return count;
}

}  // namespace

WrittenCounts write_instance_files()
{
    WrittenCounts counts{};
    order_times();
    write_rooms();
    write_codes();
    counts.classes = write_classes();
    counts.time_lines = write_times();
    write_week();
    counts.rules = write_rules();
    counts.weights = write_weights();
    counts.current_meetings = write_current_plan();
    return counts;
}
