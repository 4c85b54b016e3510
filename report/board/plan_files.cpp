// The plan in the formats people take elsewhere: the spreadsheet and the
// calendars.
#include "report/board/plan_files.hpp"

#include <algorithm>
#include <array>
#include <bitset>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "io/console.hpp"
#include "io/csv.hpp"
#include "io/output_file.hpp"
#include "model/calendar.hpp"
#include "report/board/board.hpp"
#include "report/board/markup.hpp"
#include "report/moved_file.hpp"
#include "search/alternatives.hpp"

void format_room_column(char* text, std::size_t size, int room)
{
    int width = last_room >= 100 ? 3 : 2;
    if (room == OVERFLOW_COLUMN)
        std::snprintf(text, size, "sv");
    else
        std::snprintf(text, size, "%0*d", width, room);
}

namespace {

constexpr long long LAST_STAMP = 253402300799;  // 9999-12-31T23:59:59Z
constexpr const char* LEFT_OUT_ROOM = "fora da grade";  // the room's name of a meeting left out

// SOURCE_DATE_EPOCH as a number of seconds into `epoch`; false when it is set
// to anything else, true when it is not set.
bool stamp_epoch(long long& epoch)
{
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (text == nullptr)
        return true;
    char* end = nullptr;
    errno = 0;
    epoch = std::strtoll(text, &end, 10);
    return std::strspn(text, "0123456789") == std::strlen(text) && *text != '\0' && errno == 0 && epoch >= 0 &&
           epoch <= LAST_STAMP;
}

// The plain weekday names in Latin-1, written out in UTF-8: "terça-feira", "sábado".
constexpr std::array<const char*, SATURDAY + 1> WEEKDAY_WORDS{
    "", "domingo", "segunda-feira", "ter\xE7" "a-feira", "quarta-feira", "quinta-feira", "sexta-feira", "s\xE1" "bado"};

// One meeting of the plan: a run of one section's cells in one column within a weekday.
struct PlanMeeting {
    int32_t section;
    int meeting;  // 1 or 2: the section's meeting on that weekday
    int room;
    int first_row;
    int last_row;
    int32_t start;
    int32_t end;
};

// The meeting of the plan that starts at `row` in `room`; false when none does.
bool plan_meeting_at(int row, int room, PlanMeeting& found)
{
    int32_t section = plan_grid()[row][room];
    DaySlots day = day_slots_of(row);
    if (section == 0 || (row > day.first && plan_grid()[row - 1][room] == section))
        return false;
    int last = row;
    while (last < day.last && plan_grid()[last + 1][room] == section)
        ++last;
    found = {section, FIRST_MEETING, room, row, last, slot_start(row), slot_end(last)};
    for (int m : meeting_numbers()) {
        const Meeting& meeting = sections[section].meetings[m];
        if (meeting.weekday == slot_weekday(row)) {
            found.meeting = m;
            if (meeting.first_slot == row)
                found.start = meeting.earliest_start;  // the start that horario.txt gives
            if (meeting.last_slot == last)
                found.end = meeting.end_time;  // and its end
        }
    }
    return true;
}

// Calls `use` for every meeting of the plan by weekday, start and room column.
template <typename Use>
void for_each_plan_meeting(Use use)
{
    PlanMeeting meeting;
    for (int row = FIRST_SLOT; row <= slot_count; ++row)
        for (int room = 0; room <= last_room; ++room)
            if (plan_meeting_at(row, room, meeting))
                use(meeting);
}

// The same, with the meetings the plan leaves out of its grid among them,
// first of those that start at their row, room NO_COLUMN.
template <typename Use>
void for_each_meeting_of_the_plan(Use use)
{
    const LeftOutMeetings& left = solution_left_out(plan_kind());
    PlanMeeting meeting;
    for (int row = FIRST_SLOT; row <= slot_count; ++row) {
        for (int32_t section = FIRST_SECTION; left.count > 0 && section <= section_count; ++section)
            for (int m : meeting_numbers()) {
                const Meeting& out = sections[section].meetings[m];
                if (left.marked[section][m] && out.first_slot == row)
                    use(PlanMeeting{section, m, NO_COLUMN, row, out.last_slot, out.earliest_start, out.end_time});
            }
        for (int room = 0; room <= last_room; ++room)
            if (plan_meeting_at(row, room, meeting))
                use(meeting);
    }
}

// "03", "sv"; the cell of a meeting left out of the grid stays empty.
void format_plan_room(char* text, std::size_t size, int room)
{
    if (room != NO_COLUMN)
        format_room_column(text, size, room);
}

// ---------------------------------------------------------------- alocacao.csv

// A cell of a spreadsheet row as it is made: a room's name is the longest.
constexpr std::size_t CELL_SIZE = MAX_ROOM_NAME_UTF8 + 8;
using RowCell = char[CELL_SIZE];
constexpr int ALTERNATIVE_FIELDS = 12;  // of a row of alternativas.csv
using AlternativeRow = std::array<RowCell, ALTERNATIVE_FIELDS>;

// The fields that say which meeting a row is: day, start, end, room, course, section.
void format_meeting_fields(RowCell* text, const PlanMeeting& meeting)
{
    const Section& section = sections[meeting.section];
    std::snprintf(text[0], CELL_SIZE, "%s", WEEKDAY_WORDS[slot_weekday(meeting.first_row)]);
    std::snprintf(text[1], CELL_SIZE, "%02d:%02d", meeting.start / 60, meeting.start % 60);
    std::snprintf(text[2], CELL_SIZE, "%02d:%02d", meeting.end / 60, meeting.end % 60);
    format_plan_room(text[3], CELL_SIZE, meeting.room);
    std::snprintf(text[4], CELL_SIZE, "%s %d", section.course_code, section.course_number);
    std::snprintf(text[5], CELL_SIZE, "%d", section.section_number);
}

// A meeting left out of the grid has no other room: its one row says so.
void write_left_out_alternative(std::FILE* out, const PlanMeeting& meeting)
{
    AlternativeRow text{};
    format_meeting_fields(text.data(), meeting);
    std::snprintf(text[8], CELL_SIZE, "%s", LEFT_OUT_ROOM);
    for (int field = 0; field < ALTERNATIVE_FIELDS; ++field)
        write_csv_field(out, text[field], field == ALTERNATIVE_FIELDS - 1, false);
}

// One row per alternative of the meeting: the meeting, then the rank, the
// room proposed, its name, the class it would swap with, and the changes.
void write_alternative_rows(std::FILE* out, const PlanMeeting& meeting, AllocationGrid& grid)
{
    if (meeting.room == NO_COLUMN)
        return write_left_out_alternative(out, meeting);
    Alternatives best;
    int count = find_alternatives(grid, meeting.section, meeting.meeting, best);
    AlternativeRow text{};
    format_meeting_fields(text.data(), meeting);
    for (int i = 0; i < count; ++i) {
        const Alternative& alternative = best[i];
        std::snprintf(text[6], CELL_SIZE, "%d", i + 1);
        format_room_column(text[7], CELL_SIZE, alternative.room);
        std::snprintf(text[8], CELL_SIZE, "%s", room_names[alternative.room].data());
        const Section& other = sections[alternative.swapped];
        if (alternative.swapped != 0)
            std::snprintf(text[9], CELL_SIZE, "%s %d-%d", other.course_code, other.course_number,
                          other.section_number);
        else
            text[9][0] = '\0';
        std::snprintf(text[10], CELL_SIZE, "%lld", static_cast<long long>(alternative.cost_change));
        std::snprintf(text[11], CELL_SIZE, "%lld", static_cast<long long>(alternative.students_change));
        for (int field = 0; field < ALTERNATIVE_FIELDS; ++field)
            write_csv_field(out, text[field], field == ALTERNATIVE_FIELDS - 1, field == 8);
    }
}

// A meeting left out of the grid has no room, no seats and so no students
// above them: its room's name says "fora da grade". `before`, when given,
// is one more field: the room the meeting had in the kept plan.
void write_csv_row(std::FILE* out, const PlanMeeting& meeting, const char* before = nullptr)
{
    const Section& section = sections[meeting.section];
    bool seated = meeting.room != NO_COLUMN;
    int64_t seats = seated ? room_capacity[meeting.room] : 0;
    std::array<RowCell, 10> text{};
    std::snprintf(text[0], CELL_SIZE, "%s", WEEKDAY_WORDS[slot_weekday(meeting.first_row)]);
    std::snprintf(text[1], CELL_SIZE, "%02d:%02d", meeting.start / 60, meeting.start % 60);
    std::snprintf(text[2], CELL_SIZE, "%02d:%02d", meeting.end / 60, meeting.end % 60);
    format_plan_room(text[3], CELL_SIZE, meeting.room);
    std::snprintf(text[4], CELL_SIZE, "%s", seated ? room_names[meeting.room].data() : LEFT_OUT_ROOM);
    if (seated)
        std::snprintf(text[5], CELL_SIZE, "%lld", static_cast<long long>(seats));
    std::snprintf(text[6], CELL_SIZE, "%s %d", section.course_code, section.course_number);
    std::snprintf(text[7], CELL_SIZE, "%d", section.section_number);
    std::snprintf(text[8], CELL_SIZE, "%d", section.demand);
    if (seated)
        std::snprintf(text[9], CELL_SIZE, "%lld",
                      static_cast<long long>(std::max<int64_t>(section.demand - seats, 0)));
    for (int field = 0; field < 10; ++field)
        write_csv_field(out, text[field], field == 9 && before == nullptr, field == 4);
    if (before != nullptr)
        write_csv_field(out, before, true, false);
}

// ---------------------------------------------------------------- calendars

// Writes one content line, folded at 75 octets (never inside a UTF-8
// character), each line ending in CRLF.
void write_ics_line(std::FILE* out, const char* utf8)
{
    std::size_t length = std::strlen(utf8), taken = 0, limit = 75;
    while (length - taken > limit) {
        std::size_t cut = taken + limit;
        while ((static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
            --cut;  // a continuation byte: the character starts earlier
        std::fwrite(utf8 + taken, 1, cut - taken, out);
        std::fputs("\r\n ", out);
        taken = cut;
        limit = 74;  // the leading blank of a continuation counts
    }
    std::fputs(utf8 + taken, out);
    std::fputs("\r\n", out);
}

// A text (ASCII, or UTF-8 already) as an iCalendar TEXT value: "\", ";"
// and "," escaped.
void append_ics_text(char* line, std::size_t size, const char* text)
{
    std::size_t used = std::strlen(line);
    for (const char* c = text; *c != '\0' && used + 2 < size; ++c) {
        if (*c == '\\' || *c == ';' || *c == ',')
            line[used++] = '\\';
        line[used++] = *c;
    }
    line[used] = '\0';
}

void write_ics_property(std::FILE* out, const char* name, const char* text)
{
    char line[512];
    std::snprintf(line, sizeof line, "%s:", name);
    append_ics_text(line, sizeof line, text);
    write_ics_line(out, line);
}

// "20260302T073000": a floating local time.
void format_local_time(char* text, std::size_t size, int32_t days, int32_t minutes)
{
    CivilDate date = civil_date(days);
    std::snprintf(text, size, "%04d%02d%02dT%02d%02d00", date.year, date.month, date.day, minutes / 60,
                  minutes % 60);
}


// The first day of the semester on the meeting's weekday; past its last day
// when the meeting never happens within it.
int32_t first_occurrence(const PlanMeeting& meeting, const Semester& semester)
{
    int32_t weekday = slot_weekday(meeting.first_row);
    return semester.first_day + (weekday - weekday_of(semester.first_day) + 7) % 7;
}

bool occurs_in(const PlanMeeting& meeting, const Semester& semester)
{
    return first_occurrence(meeting, semester) <= semester.last_day;
}

// The UID names the course by its type number: two types may share a code.
void write_event(std::FILE* out, const PlanMeeting& meeting, const Semester& semester, const char* stamp)
{
    const Section& section = sections[meeting.section];
    int32_t first_day = first_occurrence(meeting, semester);
    char line[256], time_text[32], text[128];
    write_ics_line(out, "BEGIN:VEVENT");
    char room[16];
    format_room_column(room, sizeof room, meeting.room);
    std::snprintf(line, sizeof line, "UID:turma-%d-%d-%d-reuniao-%d-sala-%s@alocacao",
                  course_type_of(section.course_code), section.course_number, section.section_number,
                  meeting.meeting, room);
    write_ics_line(out, line);
    std::snprintf(line, sizeof line, "DTSTAMP:%s", stamp);
    write_ics_line(out, line);
    format_local_time(time_text, sizeof time_text, first_day, meeting.start);
    std::snprintf(line, sizeof line, "DTSTART:%s", time_text);
    write_ics_line(out, line);
    format_local_time(time_text, sizeof time_text, first_day, meeting.end);
    std::snprintf(line, sizeof line, "DTEND:%s", time_text);
    write_ics_line(out, line);
    CivilDate last = civil_date(semester.last_day);
    std::snprintf(line, sizeof line, "RRULE:FREQ=WEEKLY;UNTIL=%04d%02d%02dT235959", last.year, last.month, last.day);
    write_ics_line(out, line);
    std::snprintf(text, sizeof text, "%s %d-%d", section.course_code, section.course_number, section.section_number);
    write_ics_property(out, "SUMMARY", text);
    if (meeting.room == OVERFLOW_COLUMN)
        std::snprintf(text, sizeof text, "sem sala (sv)");
    else if (room_names[meeting.room][0] != '\0')  // the name people use first
        std::snprintf(text, sizeof text, "%s \xC2\xB7 sala %02d", room_names[meeting.room].data(), meeting.room);
    else
        std::snprintf(text, sizeof text, "sala %02d", meeting.room);
    write_ics_property(out, "LOCATION", text);  // ASCII, and the room's name in UTF-8
    std::snprintf(text, sizeof text, "%d %s, %d %s", section.demand, plural(section.demand, "aluno", "alunos"),
                  room_capacity[meeting.room], plural(room_capacity[meeting.room], "lugar", "lugares"));
    write_ics_property(out, "DESCRIPTION", text);
    write_ics_line(out, "END:VEVENT");
}

}  // namespace

// DTSTAMP: SOURCE_DATE_EPOCH (reproducible files) when set, else now; in UTC.
void format_stamp(char* text, std::size_t size)
{
    long long epoch{};
    bool given = std::getenv("SOURCE_DATE_EPOCH") != nullptr && stamp_epoch(epoch);
    std::time_t now = given ? static_cast<std::time_t>(epoch) : std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::strftime(text, size, "%Y%m%dT%H%M%SZ", &utc);
}

bool parse_semester(const char* text, Semester& semester)
{
    const char* colon = std::strchr(text, ':');
    if (colon == nullptr || colon - text != 10)
        return false;
    char first[11];
    std::memcpy(first, text, 10);
    first[10] = '\0';
    return parse_date(first, semester.first_day) && parse_date(colon + 1, semester.last_day) &&
           semester.last_day >= semester.first_day;
}

bool calendar_stamp_valid()
{
    long long epoch{};
    return stamp_epoch(epoch);
}

bool plan_occurs_in(const Semester& semester)
{
    return calendar_rooms(semester).any();
}

void calendar_name(char* name, std::size_t size, int room)
{
    char column[16];
    format_room_column(column, sizeof column, room);
    std::snprintf(name, size, "sala-%s.ics", column);
}

void write_room_calendar(int room, const Semester& semester, const char* stamp)
{
    char name[32];
    calendar_name(name, sizeof name, room);
    char failure[96];
    std::snprintf(failure, sizeof failure, "\n\nArquivo %s nao pode ser criado.\n", name);
    std::FILE* out = begin_output_file(name, failure);
    write_ics_line(out, "BEGIN:VCALENDAR");
    write_ics_line(out, "VERSION:2.0");
    write_ics_line(out, "PRODID:-//alocacao//quadro de salas//PT");
    write_ics_line(out, "CALSCALE:GREGORIAN");
    for_each_plan_meeting([&](const PlanMeeting& meeting) {
        if (meeting.room == room && occurs_in(meeting, semester))
            write_event(out, meeting, semester, stamp);
    });
    write_ics_line(out, "END:VCALENDAR");
    finish_output_file();
}


// The rooms that get a calendar: those with a meeting that happens in the semester.
std::bitset<MAX_ROOM_COLUMNS> calendar_rooms(const Semester& semester)
{
    std::bitset<MAX_ROOM_COLUMNS> rooms;
    for_each_plan_meeting([&](const PlanMeeting& meeting) {
        if (occurs_in(meeting, semester))
            rooms.set(meeting.room);
    });
    return rooms;
}

void write_plan_alternatives()
{
    static AllocationGrid grid;  // the plan, changed while each alternative is tried
    grid = plan_grid();
    std::FILE* out = begin_output_file("alternativas.csv", "\n\nArquivo alternativas.csv nao pode ser criado.\n");
    std::fputs("\xEF\xBB\xBF", out);
    std::fputs("dia;inicio;fim;sala;disciplina;turma;alternativa;sala proposta;nome da sala proposta;troca com;"
               "variacao do custo;variacao de alunos acima\r\n",
               out);
    for_each_meeting_of_the_plan([&](const PlanMeeting& meeting) { write_alternative_rows(out, meeting, grid); });
    finish_output_file();
}

constexpr const char* PLAN_HEADER = "dia;inicio;fim;sala;nome da sala;lugares;disciplina;turma;alunos;acima da capacidade";

void write_plan_spreadsheet()
{
    std::FILE* out = begin_output_file("alocacao.csv", "\n\nArquivo alocacao.csv nao pode ser criado.\n");
    std::fprintf(out, "\xEF\xBB\xBF%s\r\n", PLAN_HEADER);
    for_each_meeting_of_the_plan([&](const PlanMeeting& meeting) { write_csv_row(out, meeting); });
    finish_output_file();
}

int32_t write_plan_changes()
{
    std::FILE* out = begin_output_file("alteracoes.csv", "\n\nArquivo alteracoes.csv nao pode ser criado.\n");
    std::fprintf(out, "\xEF\xBB\xBF%s;sala anterior\r\n", PLAN_HEADER);
    int32_t rows = 0;
    for_each_meeting_of_the_plan([&](const PlanMeeting& meeting) {
        if (int32_t before = moved_from[meeting.section][meeting.meeting]) {
            char room[16];
            format_room_column(room, sizeof room, before - 1);
            write_csv_row(out, meeting, room);
            ++rows;
        }
    });
    finish_output_file();
    return rows;
}

