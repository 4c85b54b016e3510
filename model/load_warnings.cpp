// Finding the loader's warnings, from the tables and a second reading of the timetable.
#include "model/load_warnings.hpp"

#include <cstdarg>
#include <cstdint>

#include "io/console.hpp"
#include "model/calendar.hpp"
#include "model/instance.hpp"
#include "model/records.hpp"
#include "model/rules/rules.hpp"
#include "model/tables.hpp"

namespace {

struct Warnings {
    WarningSink say;
    void* context;
    int count;
};

void warn(Warnings& warnings, const char* format, ...) __attribute__((format(printf, 2, 3)));
void warn(Warnings& warnings, const char* format, ...)
{
    char text[256];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    warnings.say(text, warnings.context);
    ++warnings.count;
}

// The timetable lines that match no loaded section.
struct Unmatched {
    int64_t count;
    int64_t first_line;
};

// The line that gives a meeting its end, when that end holds the room past
// the meeting's last block start (18:30 to 19:20 holds the 19:00 block too).
void warn_held_past_last_block(Warnings& warnings, int64_t line, const Section& section, int32_t weekday)
{
    const Meeting& meeting = section.meetings[meeting_on_weekday(section, weekday)];  // the section's one that day
    if (meeting.weekday != weekday || meeting.end_line != line ||
        meeting.last_slot == weekly_slot(meeting.latest_start, weekday))
        return;
    int32_t held = slot_start(meeting.last_slot);
    warn(warnings,
         "Aviso: horario.txt, linha %lld: turma %s %d-%d, %s, termina as %02d:%02d; a sala fica reservada ate o "
         "bloco das %02d:%02d.\n",
         static_cast<long long>(line), section.course_code, section.course_number, section.section_number,
         weekday_name(weekday), meeting.end_time / 60, meeting.end_time % 60, held / 60, held % 60);
}

// A matched line on a third weekday, or one that is not a single block; the
// instance's own week takes any line.
void warn_timetable_line(Warnings& warnings, int64_t line, const RecordFields& fields)
{
    if (own_week)
        return;
    const Section& section = sections[find_section(course_code(fields[0]), fields[1], fields[2])];
    int32_t weekday = fields[4], start = fields[5] * 60 + fields[6];
    int64_t end = int64_t{fields[7]} * 60 + fields[8];
    if (meeting_on_weekday(section, weekday) == 0)
        warn(warnings, "Aviso: horario.txt, linha %lld: turma %s %d-%d ja tem dois dias; este dia fica de fora.\n",
             static_cast<long long>(line), section.course_code, section.course_number, section.section_number);
    else if (!is_one_block(weekday, start, end))
        warn(warnings,
             "Aviso: horario.txt, linha %lld: %02d:%02d a %02d:%02d nao e um bloco de aula; cada bloco tem a sua "
             "linha.\n",
             static_cast<long long>(line), fields[5], fields[6], fields[7], fields[8]);
    else
        warn_held_past_last_block(warnings, line, section, weekday);
}

// The loader has read the timetable whole, so every line is a record here;
// the reading stops at the first that is not (the file changed meanwhile).
Unmatched warn_timetable_lines(Warnings& warnings, std::FILE* timetable)
{
    RecordFile file{timetable, "horario.txt", 0, nullptr};
    RecordFields fields;
    Unmatched unmatched{0, 0};
    while (read_record(file, TIMETABLE_RECORD, fields) == RecordRead::Record) {
        if (find_section(course_code(fields[0]), fields[1], fields[2]) != 0)
            warn_timetable_line(warnings, file.line, fields);
        else if (unmatched.count++ == 0)
            unmatched.first_line = file.line;
    }
    return unmatched;
}

// A meeting whose rows, from its earliest to its latest block, include a block
// with no line (in the instance's own week: no line that meets it). Named by
// the starts of its first block and of its last line's block (own week: its
// last block).
void warn_hole(Warnings& warnings, const Section& section, const Meeting& meeting)
{
    if (!is_present(meeting))
        return;
    // The rows up to its last line's block; those it holds past it have no line of their own.
    // In the own week, the blocks as written: not the one before a gap its first line starts in.
    int first_slot = own_week ? first_block_met(meeting.weekday, meeting.earliest_start, meeting.end_time)
                              : meeting.first_slot;
    int last_line_slot = own_week ? meeting.last_slot : weekly_slot(meeting.latest_start, meeting.weekday);
    if (last_line_slot < first_slot || last_line_slot > meeting.last_slot)
        last_line_slot = meeting.last_slot;
    int first = first_slot - day_slots_of(first_slot).first;
    int blocks = last_line_slot - first_slot + 1;
    uint64_t spanned = ((uint64_t{1} << blocks) - 1) << first;
    if ((meeting.block_lines & spanned) == spanned)
        return;
    int32_t from = slot_start(first_slot), to = slot_start(last_line_slot);
    warn(warnings,
         "Aviso: turma %s %d-%d, %s: blocos nao consecutivos; a sala fica reservada do bloco das %02d:%02d ao das "
         "%02d:%02d.\n",
         section.course_code, section.course_number, section.section_number, weekday_name(meeting.weekday),
         from / 60, from % 60, to / 60, to % 60);
}

void warn_section(Warnings& warnings, int32_t index)
{
    const Section& section = sections[index];
    int32_t first = find_section(section.course_code, section.course_number, section.section_number);
    if (first != index)
        warn(warnings, "Aviso: demanda.txt, linha %lld: turma %s %d-%d repete a linha %lld; fica sem horario e sem "
                       "sala.\n",
             static_cast<long long>(section.demand_line), section.course_code, section.course_number,
             section.section_number, static_cast<long long>(sections[first].demand_line));
    else if (!is_present(section.meetings[FIRST_MEETING]))
        warn(warnings, "Aviso: demanda.txt, linha %lld: turma %s %d-%d sem horario em horario.txt; fica sem sala.\n",
             static_cast<long long>(section.demand_line), section.course_code, section.course_number,
             section.section_number);
    for (int m : meeting_numbers())
        warn_hole(warnings, section, section.meetings[m]);
}

void warn_unmatched(Warnings& warnings, const Unmatched& unmatched)
{
    if (unmatched.count == 0)
        return;
    if (unmatched.count == 1)
        warn(warnings, "Aviso: horario.txt, linha %lld: turma fora de demanda.txt; linha ignorada.\n",
             static_cast<long long>(unmatched.first_line));
    else
        warn(warnings,
             "Aviso: horario.txt: %lld linhas de turmas fora de demanda.txt (a primeira na linha %lld); ignoradas.\n",
             static_cast<long long>(unmatched.count), static_cast<long long>(unmatched.first_line));
}

// A rule of regras.txt that cannot change anything: a closure of no block,
// a pin or an avoidance of a section without meetings.
void warn_rule(Warnings& warnings, const Rule& rule)
{
    if (rule.kind == RuleKind::Closed) {
        bool closes = false;
        for (int32_t slot = FIRST_SLOT; slot <= slot_count && !closes; ++slot)
            closes = closure_covers(rule, slot);
        if (!closes)
            warn(warnings, "Aviso: regras.txt, linha %d: nenhum bloco de aula %s nesse intervalo; regra sem "
                           "efeito.\n",
                 rule.line, own_week ? "cai" : "comeca");
    } else if (is_priced_rule(rule) && rule.section == 0 && rule.kind != RuleKind::Closed) {
        bool names_some = false;
        for (int32_t section = FIRST_SECTION; section <= section_count && !names_some; ++section)
            names_some = selects(rule.selector, section);
        char selector[48];
        format_selector(selector, sizeof selector, rule.selector);
        if (!names_some)
            warn(warnings, "Aviso: regras.txt, linha %d: nenhuma turma de demanda.txt e %s; regra sem efeito.\n",
                 rule.line, selector);
    } else if (is_priced_rule(rule) && rule.kind != RuleKind::Closed &&
               !is_present(sections[rule.section].meetings[FIRST_MEETING])) {
        const Section& section = sections[rule.section];
        warn(warnings, "Aviso: regras.txt, linha %d: turma %s %d-%d sem horario em horario.txt; regra sem efeito.\n",
             rule.line, section.course_code, section.course_number, section.section_number);
    }
}

void print_warning(const char* text, void*)
{
    console_print("%s", text);
}

}  // namespace

int list_load_warnings(std::FILE* timetable, WarningSink say, void* context)
{
    Warnings warnings{say, context, 0};
    Unmatched unmatched = warn_timetable_lines(warnings, timetable);
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index)
        warn_section(warnings, index);
    warn_unmatched(warnings, unmatched);
    for (const Rule& rule : file_rules())
        warn_rule(warnings, rule);
    return warnings.count;
}

int list_instance_warnings(WarningSink say, void* context)
{
    std::FILE* timetable = open_input_file("horario.txt");
    int count = list_load_warnings(timetable, say, context);
    std::fclose(timetable);
    return count;
}

void print_load_warnings()
{
    list_instance_warnings(print_warning, nullptr);
}
