// Reading the instance files into the tables.
#include "model/instance.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ranges>

#include "io/console.hpp"
#include "io/encoding.hpp"
#include "io/output_file.hpp"
#include "model/calendar.hpp"
#include "model/hash_slot.hpp"
#include "model/listing.hpp"
#include "model/load_warnings.hpp"
#include "model/rules/rules.hpp"
#include "model/tables.hpp"

namespace {

constexpr const char* CAPACITY_RECORD = "d|d|";
constexpr const char* SECTION_RECORD = "d|d|d|d|";

bool refuse(RecordFile& file, const char* reason)
{
    file.error = reason;
    return false;
}

void read_or_reject(bool (*reader)(RecordFile&), std::FILE* stream, const char* name)
{
    RecordFile file{stream, name, 0, nullptr};
    if (!reader(file))
        reject_line(file, file.error);
}

// The standard week keeps two weekdays of a section.
constexpr int STANDARD_WEEK_MEETINGS = 2;

// The section's meeting on `weekday`: the one it has, or a new one after its
// last while the week allows more; null for a weekday too many.
Meeting* meeting_for(Section& section, int32_t weekday)
{
    int limit = own_week ? MAX_MEETINGS : STANDARD_WEEK_MEETINGS;
    for (int m = FIRST_MEETING; m <= limit; ++m) {
        Meeting& meeting = section.meetings[m];
        if (!is_present(meeting))
            meeting.weekday = weekday;
        if (meeting.weekday == weekday)
            return &meeting;
    }
    return nullptr;
}

// Meetings are numbered by the first appearance of their weekday; a weekday
// too many finds no meeting. A meeting spans its earliest to its latest start,
// remembers which of the weekday's blocks had a line, and ends when the line
// of its latest block says, if that line is one block; else 50 minutes after
// that block starts.
// A line's end is trusted when it is one block; otherwise its block ends
// where the block's interval does.
void add_block(Section& section, int32_t weekday, int32_t start, int64_t end, int64_t line)
{
    int32_t slot = weekly_slot(start, weekday);
    int32_t trusted_end = is_one_block(weekday, start, end) ? static_cast<int32_t>(end) : slot_end(slot);
    uint64_t block_bit = uint64_t{1} << (slot - day_slots_of(slot).first);
    Meeting* meeting = meeting_for(section, weekday);
    if (meeting == nullptr)
        return;
    meeting->block_lines |= block_bit;
    if (start >= meeting->latest_start) {  // 0 until the meeting's first line
        meeting->end_time = trusted_end;  // the end that the line of its last block gives
        meeting->end_line = line;
    }
    if (meeting->earliest_start == 0) {
        meeting->earliest_start = meeting->latest_start = start;
    } else {
        meeting->earliest_start = std::min(meeting->earliest_start, start);
        meeting->latest_start = std::max(meeting->latest_start, start);
    }
}

struct InstanceFiles {
    std::FILE* capacities;
    std::FILE* courses;  // cursos.txt is optional: null without it
    std::FILE* week;     // so is semana.txt
    std::FILE* demands;
    std::FILE* timetable;
};

InstanceFiles open_instance_files()
{
    std::FILE* capacities = open_input_file("capacidade.txt");
    std::FILE* courses = open_optional_input_file("cursos.txt");
    std::FILE* week = open_optional_input_file("semana.txt");
    std::FILE* demands = open_input_file("demanda.txt");
    return {capacities, courses, week, demands, open_input_file("horario.txt")};
}

void read_instance_files(const InstanceFiles& files)
{
    read_or_reject(read_room_capacities, files.capacities, "capacidade.txt");
    if (int32_t room = first_unnamed_room())
        fail_with("\n\nArquivo capacidade.txt: falta a sala %d\n", room);
    reset_course_codes();
    if (files.courses != nullptr)
        read_or_reject(read_course_codes, files.courses, "cursos.txt");
    use_standard_week();
    if (files.week != nullptr) {
        read_or_reject(read_week, files.week, "semana.txt");
        if (!own_week)
            fail_with("\n\nArquivo semana.txt: nenhum bloco\n");
    }
    read_or_reject(read_sections, files.demands, "demanda.txt");
    read_or_reject(read_timetable, files.timetable, "horario.txt");
    read_rules_file();
}

void close_instance_files(const InstanceFiles& files)
{
    std::fclose(files.timetable);
    std::fclose(files.capacities);
    if (files.courses != nullptr)
        std::fclose(files.courses);
    if (files.week != nullptr)
        std::fclose(files.week);
    std::fclose(files.demands);
}

void compute_meeting_slots()
{
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index)
        for (int m : meeting_numbers()) {
            Meeting& meeting = sections[index].meetings[m];
            if (!is_present(meeting))
                continue;
            if (own_week) {  // every block that holds its room within its lines' span
                meeting.first_slot = first_block_held(meeting.weekday, meeting.earliest_start, meeting.end_time);
                meeting.last_slot = meeting.first_slot;
                while (meeting.last_slot < week_days[meeting.weekday].last &&
                       slot_start(meeting.last_slot + 1) < meeting.end_time)
                    ++meeting.last_slot;
                continue;
            }
            meeting.first_slot = weekly_slot(meeting.earliest_start, meeting.weekday);
            meeting.last_slot = weekly_slot(meeting.latest_start, meeting.weekday);
            // The room is held for the class's real time: every block that starts before its end.
            while (meeting.last_slot < day_slots_of(meeting.last_slot).last &&
                   slot_start(meeting.last_slot + 1) < meeting.end_time)
                ++meeting.last_slot;
        }
}

}  // namespace

namespace {

// The sections by key, so that each line of horario.txt and regras.txt finds
// its section at once: open addressing over (code, course, section), at most
// half full, each key giving its first section; built when demanda.txt is read.
constexpr std::size_t SECTION_INDEX_SIZE = std::size_t{1} << 15;
static_assert(SECTION_INDEX_SIZE >= 2 * MAX_SECTIONS);
std::array<int32_t, SECTION_INDEX_SIZE> section_index;  // 0: an empty slot
std::optional<int32_t> indexed_count;  // the section_count the index holds, if any

bool has_key(int32_t index, const char* code, int32_t course_number, int32_t section_number)
{
    const Section& section = sections[index];
    return section.course_code == code && section.course_number == course_number &&
           section.section_number == section_number;
}

// The index slot of a key: the slot that holds its section, or the empty one where it would go.
std::size_t index_slot(const char* code, int32_t course_number, int32_t section_number)
{
    uint64_t key = reinterpret_cast<uintptr_t>(code) ^ (uint64_t(uint32_t(course_number)) << 20) ^
                   (uint64_t(uint32_t(section_number)) << 42);
    std::size_t slot = hash_slot<SECTION_INDEX_SIZE>(key);
    while (section_index[slot] != 0 && !has_key(section_index[slot], code, course_number, section_number))
        slot = next_slot<SECTION_INDEX_SIZE>(slot);
    return slot;
}

void index_sections()
{
    section_index.fill(0);
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index) {
        const Section& section = sections[index];
        std::size_t slot = index_slot(section.course_code, section.course_number, section.section_number);
        if (section_index[slot] == 0)
            section_index[slot] = index;
    }
    indexed_count = section_count;
}

}  // namespace

int find_meeting(int32_t section, int32_t weekday, int32_t start)
{
    for (int m = FIRST_MEETING; section >= 1 && section <= section_count && m <= MAX_MEETINGS; ++m) {
        const Meeting& meeting = sections[section].meetings[m];
        if (is_present(meeting) && meeting.weekday == weekday && meeting.earliest_start == start)
            return m;
    }
    return 0;
}

int meeting_on_weekday(const Section& section, int32_t weekday)
{
    for (int m : meeting_numbers())
        if (section.meetings[m].weekday == weekday)
            return m;
    return 0;
}

void forget_section_index()
{
    indexed_count.reset();
}

int32_t find_section(const char* code, int32_t course_number, int32_t section_number)
{
    if (indexed_count == section_count)
        return section_index[index_slot(code, course_number, section_number)];
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index)  // a table filled by hand
        if (has_key(index, code, course_number, section_number))
            return index;
    return 0;
}

namespace {

std::array<bool, MAX_ROOM_COLUMNS> room_named;  // the columns the last capacidade.txt named

// Why a room's name cannot be used, or nullptr.
const char* name_fault(const RecordText& name)
{
    if (name.length == 0)
        return "nome de sala vazio";
    if (name.length > MAX_ROOM_NAME)
        return "nome de sala com mais de 40 bytes";
    for (std::size_t i = 0; i < name.length; ++i) {
        auto byte = static_cast<unsigned char>(name.bytes[i]);
        if (byte < 0x20 || byte == 0x7F)
            return "nome de sala com caractere de controle";
    }
    return nullptr;
}

// A name as capacidade.txt gives it, held in UTF-8: taken as it is when it
// is valid UTF-8 (as editors save it today), else read byte by byte as
// Windows-1252 (what Notepad saves as "ANSI").
void store_room_name(RoomName& stored, const RecordText& name)
{
    text_to_utf8(name.bytes.data(), name.length, stored.data(), stored.size());
}

}  // namespace

bool read_room_capacities(RecordFile& file)
{
    RecordFields fields;
    RecordText name;
    RecordRead read;
    room_named = {};
    room_capacity = {};
    room_names = {};
    last_room = 0;
    while ((read = read_record(file, CAPACITY_RECORD, fields, name)) == RecordRead::Record) {
        int32_t room = fields[0];
        if (room < 0 || room > MAX_ROOM)
            return refuse(file, "sala fora do intervalo 0..999");
        if (fields[1] < 0)
            return refuse(file, "capacidade negativa");
        if (name.present) {
            if (const char* fault = name_fault(name))
                return refuse(file, fault);
            store_room_name(room_names[room], name);
        }
        room_capacity[room] = fields[1];
        room_named[room] = true;
        last_room = std::max(last_room, room);
    }
    return read == RecordRead::End;
}

int32_t first_unnamed_room()
{
    if (last_room == 0)
        return FIRST_ROOM;  // none named but column 0
    // The last room is the highest column named: only one below it may be missing.
    for (int32_t room : std::views::iota(FIRST_ROOM, last_room))
        if (!room_named[room])
            return room;
    return 0;
}

namespace {

// "tipo|CODIGO|": a whole number, the code's bytes up to the next "|", and
// after that only white space; false when the line is not so.
bool parse_course_line(const char* text, int64_t& type, char* code, std::size_t size)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    const char* digits = *text == '-' || *text == '+' ? text + 1 : text;
    if (!std::isdigit(static_cast<unsigned char>(*digits)))
        return false;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text, &end, 10);
    type = errno == ERANGE ? INT64_MAX : value;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '|')
        return false;
    const char* bar = std::strchr(end + 1, '|');
    if (bar == nullptr)
        return false;
    std::snprintf(code, size, "%.*s", static_cast<int>(bar - end - 1), end + 1);  // cut to fit
    for (const char* rest = bar + 1; *rest != '\0'; ++rest)
        if (!std::isspace(static_cast<unsigned char>(*rest)))
            return false;
    return true;
}

}  // namespace

bool read_course_codes(RecordFile& file)
{
    static char repeated[64];
    std::array<int64_t, LAST_COURSE_TYPE_ALLOWED + 1> named_on{};
    char text[256], code[MAX_COURSE_CODE + 2];
    RecordRead read;
    reset_course_codes();
    while ((read = read_text_line(file, text, sizeof text)) == RecordRead::Record) {
        int64_t type{};
        if (!parse_course_line(text, type, code, sizeof code))
            return refuse(file, "registro mal formado");
        if (type < FIRST_COURSE_TYPE || type > LAST_COURSE_TYPE_ALLOWED)
            return refuse(file, "tipo de disciplina fora do intervalo 1..999");
        if (!is_course_code(code))
            return refuse(file, "codigo deve ter de 1 a 8 letras maiusculas ou digitos");
        if (named_on[type] != 0) {
            std::snprintf(repeated, sizeof repeated, "tipo %lld repete a linha %lld", static_cast<long long>(type),
                          static_cast<long long>(named_on[type]));
            return refuse(file, repeated);
        }
        named_on[type] = file.line;
        set_course_code(static_cast<int32_t>(type), code, file.line);
    }
    return read == RecordRead::End;
}

bool read_sections(RecordFile& file)
{
    RecordFields fields;
    RecordRead read;
    int32_t count = 0;
    while ((read = read_record(file, SECTION_RECORD, fields)) == RecordRead::Record) {
        const char* code = course_code(fields[0]);
        if (code == NO_COURSE_CODE)
            return refuse(file, course_codes_set() ? "tipo de disciplina fora de 1..6 e de cursos.txt"
                                                  : "tipo de disciplina fora de 1..6");
        if (count == MAX_SECTIONS)
            return refuse(file, "mais de 9999 turmas");
        if (fields[3] < 0)
            return refuse(file, "numero de alunos negativo");
        Section& section = sections[++count];
        section.course_code = code;
        section.course_number = fields[1];
        section.section_number = fields[2];
        section.demand = fields[3];
        section.demand_line = file.line;
        section.meetings = {};
    }
    section_count = count;
    index_sections();
    return read == RecordRead::End;
}

namespace {

// Why a line of horario.txt does not fit the instance's own week, or nullptr.
const char* own_week_fault(const RecordFields& fields)
{
    int32_t weekday = fields[4];
    if (weekday < SUNDAY || weekday > SATURDAY)
        return "dia da semana fora do intervalo 1..7";
    if (!is_clock(fields[5], fields[6]) || !is_clock(fields[7], fields[8]))
        return "horario invalido";
    int32_t start = fields[5] * 60 + fields[6], end = fields[7] * 60 + fields[8];
    if (end <= start)
        return "termina antes de comecar";
    if (is_day_off(weekday))
        return "dia sem blocos em semana.txt";
    if (first_block_met(weekday, start, end) == NO_SLOT)
        return "horario fora dos blocos de aula desse dia";
    return nullptr;
}

// A line of the instance's own week: its section meets on its weekday from
// its start to its end, every block it meets marked as having a line.
void add_own_week_line(Section& section, const RecordFields& fields)
{
    int32_t weekday = fields[4], start = fields[5] * 60 + fields[6], end = fields[7] * 60 + fields[8];
    Meeting* meeting = meeting_for(section, weekday);
    if (meeting == nullptr)
        return;
    DaySlots day = week_days[weekday];
    for (int32_t slot = first_block_met(weekday, start, end); slot <= day.last && slot_start(slot) < end; ++slot)
        meeting->block_lines |= uint64_t{1} << (slot - day.first);
    if (meeting->end_time == 0) {  // its first line: a meeting ends after it starts
        *meeting = {0, weekday, start, start, 0, 0, meeting->block_lines, end, 0};
        return;
    }
    meeting->earliest_start = std::min(meeting->earliest_start, start);
    meeting->latest_start = std::max(meeting->latest_start, start);
    meeting->end_time = std::max(meeting->end_time, end);
}

}  // namespace

bool read_timetable(RecordFile& file)
{
    RecordFields fields;
    RecordRead read;
    while ((read = read_record(file, TIMETABLE_RECORD, fields)) == RecordRead::Record) {
        int32_t index = find_section(course_code(fields[0]), fields[1], fields[2]);
        if (index == 0)
            continue;  // another department's course
        if (own_week) {
            if (const char* fault = own_week_fault(fields))
                return refuse(file, fault);
            sections[index].timetable_mark = fields[3];
            add_own_week_line(sections[index], fields);
            continue;
        }
        int32_t weekday = fields[4];
        if (weekday < MONDAY || weekday > SATURDAY)
            return refuse(file, "dia da semana fora de 2..7");
        int32_t hour = fields[5], minute = fields[6];
        if (!is_clock(hour, minute) || weekly_slot(hour * 60 + minute, weekday) == NO_SLOT)
            return refuse(file, "inicio fora dos blocos de aula desse dia");
        Section& section = sections[index];
        section.timetable_mark = fields[3];
        add_block(section, weekday, hour * 60 + minute, int64_t{fields[7]} * 60 + fields[8], file.line);
    }
    compute_meeting_slots();
    return read == RecordRead::End;
}

void load_instance()
{
    InstanceFiles files = open_instance_files();
    std::FILE* listing =
        begin_output_file("disciplina.txt", "\n\nArquivo disciplina.txt nao pode ser aberto.\n");
    read_instance_files(files);
    print_load_warnings();
    write_section_listing(listing);
    finish_output_file();
    close_instance_files(files);
}

void read_instance()
{
    InstanceFiles files = open_instance_files();
    read_instance_files(files);
    close_instance_files(files);
    print_load_warnings();
}
