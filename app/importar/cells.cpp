// The spreadsheet's weekdays, times, schedules and counts read as typed.
#include "app/importar/cells.hpp"

#include <cstdio>
#include <cstring>
#include <span>

#include "io/csv.hpp"
#include "io/encoding.hpp"
#include "io/input_file.hpp"

ShiftPeriods shift_periods;

namespace {

// Each weekday's words, folded (io/encoding.hpp: no case, no accents).
struct DayWord {
    const char* word;
    int32_t weekday;
};
constexpr DayWord DAY_WORDS[] = {
    {"dom", 1},     {"domingo", 1},  {"sun", 1},       {"sunday", 1},   {"seg", 2},     {"segunda", 2},
    {"2a", 2},      {"mon", 2},      {"monday", 2},    {"ter", 3},      {"terca", 3},   {"3a", 3},
    {"tue", 3},     {"tues", 3},     {"tuesday", 3},   {"qua", 4},      {"quarta", 4},  {"4a", 4},
    {"wed", 4},     {"wednesday", 4}, {"qui", 5},      {"quinta", 5},   {"5a", 5},      {"thu", 5},
    {"thur", 5},    {"thurs", 5},    {"thursday", 5},  {"sex", 6},      {"sexta", 6},   {"6a", 6},
    {"fri", 6},     {"friday", 6},   {"sab", 7},       {"sabado", 7},   {"7a", 7},      {"sat", 7},
    {"saturday", 7}};
// Words that join weekdays or follow them: "segunda e quarta", "2ª feira".
constexpr const char* JOINING_WORDS[] = {"e", "and", "feira", "feiras"};

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool one_of(const char* word, const char* const* words, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (std::strcmp(word, words[i]) == 0)
            return true;
    return false;
}

// One folded word: a weekday, a run of weekday digits, or a joining word.
bool add_day_word(const char* word, DaySet& days)
{
    if (std::strspn(word, "0123456789") == std::strlen(word)) {
        for (const char* d = word; *d != '\0'; ++d) {
            if (*d < '1' || *d > '7')
                return false;
            days |= static_cast<DaySet>(1u << (*d - '0'));
        }
        return true;
    }
    for (const DayWord& day : DAY_WORDS)
        if (std::strcmp(word, day.word) == 0) {
            days |= static_cast<DaySet>(1u << day.weekday);
            return true;
        }
    return one_of(word, JOINING_WORDS, std::size(JOINING_WORDS));
}

// Reads a clock "HH:MM", "H:MM:00", "8h", "08h30" at `text` (length
// `length`); NOT_READ for anything else.
int32_t clock_minutes(const char* text, std::size_t length)
{
    std::size_t i = 0;
    int hours = 0, minutes = 0;
    for (; i < length && i < 2 && is_digit(text[i]); ++i)
        hours = hours * 10 + (text[i] - '0');
    if (i == 0 || i == length || (text[i] != ':' && text[i] != 'h' && text[i] != 'H'))
        return NOT_READ;
    bool colon = text[i++] == ':';
    std::size_t digits = 0;
    for (; i < length && digits < 2 && is_digit(text[i]); ++i, ++digits)
        minutes = minutes * 10 + (text[i] - '0');
    if ((colon || digits > 0) && digits != 2)
        return NOT_READ;
    if (colon && i + 3 == length && text[i] == ':' && text[i + 1] == '0' && text[i + 2] == '0')
        i += 3;  // the seconds a spreadsheet adds
    if (!colon && i + 3 == length && std::strncmp(text + i, "min", 3) == 0)
        i += 3;
    if (i != length || hours > 23 || minutes > 59)
        return NOT_READ;
    return hours * 60 + minutes;
}

// Whether the bytes at `text` start a range's separator: "-", an en or em
// dash; returns its length, 0 for none.
std::size_t dash_at(const char* text)
{
    if (*text == '-')
        return 1;
    if (std::strncmp(text, "\xE2\x80\x93", 3) == 0 || std::strncmp(text, "\xE2\x80\x94", 3) == 0)
        return 3;
    return 0;
}

// The words between two times of a range ("a", "às", "to", "até").
constexpr const char* RANGE_WORDS[] = {"a", "as", "to", "ate"};

// A schedule cell cut into words at blanks, ",", ";", "/", "+" and "|" (a
// range's dash kept inside its word). The cell is copied whole, so no word
// is cut or dropped: a cell of CSV_FIELD_SIZE - 1 bytes has at most one word
// in two of its bytes.
constexpr const char* WORD_SEPARATORS = " \t\r\n,;/+|";
struct Words {
    std::array<char, CSV_FIELD_SIZE> text;
    std::array<const char*, CSV_FIELD_SIZE / 2> word;
    std::size_t count;
};

// False, with no words, for a cell longer than a spreadsheet's field.
bool cut_words(const char* cell, Words& words)
{
    words.count = 0;
    if (std::strlen(cell) >= words.text.size())
        return false;
    char* c = std::strcpy(words.text.data(), cell);
    while (*(c += std::strspn(c, WORD_SEPARATORS)) != '\0') {
        words.word[words.count++] = c;
        c += std::strcspn(c, WORD_SEPARATORS);
        if (*c != '\0')
            *c++ = '\0';
    }
    return true;
}

// A word that is a whole range, "08:00-09:40", or the start of one,
// "08:00-": its times (end NOT_READ when it ends at the dash); both
// NOT_READ otherwise.
bool word_range(const char* word, int32_t& start, int32_t& end)
{
    start = end = NOT_READ;
    std::size_t length = std::strlen(word);
    for (const char* at = word; *at != '\0'; ++at)  // a dash first leaves no start: no range
        if (std::size_t dash = dash_at(at)) {
            std::size_t i = static_cast<std::size_t>(at - word);
            start = clock_minutes(word, i);
            end = i + dash == length ? NOT_READ : clock_minutes(word + i + dash, length - i - dash);
            return start >= 0 && (end >= 0 || i + dash == length);
        }
    return false;
}

bool is_range_word(const char* word)
{
    char folded[16];
    fold_text(word, folded, sizeof folded);
    return dash_at(word) == std::strlen(word) || one_of(folded, RANGE_WORDS, std::size(RANGE_WORDS));
}

// "24M12": the weekday digits, the shift's letter, the period digits.
bool is_schedule_code(const char* word)
{
    std::size_t days = std::strspn(word, "1234567");
    if (days == 0 || !((word[days] >= 'A' && word[days] <= 'Z') || (word[days] >= 'a' && word[days] <= 'z')))
        return false;
    const char* periods = word + days + 1;
    return *periods != '\0' && std::strspn(periods, "123456789") == std::strlen(periods);
}

// The times of a schedule code: one per run of consecutive periods, on
// every weekday of the code.
int code_times(const char* word, std::array<CellTime, MAX_CELL_TIMES>& times, int count, const char*& reason)
{
    DaySet days{};
    const char* c = word;
    for (; is_digit(*c); ++c)
        days |= static_cast<DaySet>(1u << (*c - '0'));
    int shift = (*c >= 'a' ? *c - 'a' : *c - 'A');
    for (++c; *c != '\0'; ++c) {
        int period = *c - '0';
        int32_t start = shift_periods.start[shift][period], end = shift_periods.end[shift][period];
        if (start < 0) {
            reason = "periodo do codigo de horario fora de --turnos";
            return NOT_READ;
        }
        std::span<CellTime> made(times.data(), static_cast<std::size_t>(count));
        if (!made.empty() && made.back().days == days && made.back().end == start)
            made.back().end = end;  // the next period of a run
        else if (count == MAX_CELL_TIMES) {
            reason = "horarios demais numa celula";
            return NOT_READ;
        } else
            times[count++] = {days, start, end};
    }
    return count;
}

}  // namespace

bool read_days(const char* cell, DaySet& days)
{
    char folded[256];
    fold_text(cell, folded, sizeof folded);
    days = 0;
    bool all_days = true;
    for (char* word = folded; *word != '\0';) {
        std::size_t length = std::strcspn(word, " ");
        bool last = word[length] == '\0';
        word[length] = '\0';
        all_days = add_day_word(word, days) && all_days;
        word += length + (last ? 0 : 1);
    }
    return all_days;
}

int32_t read_time(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    std::size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t'))
        --length;
    return clock_minutes(text, length);
}

void clear_shift_periods()
{
    for (auto& shift : shift_periods.start)
        shift.fill(NOT_READ);
    for (auto& shift : shift_periods.end)
        shift.fill(NOT_READ);
    shift_periods.given = false;
}

const char* read_shift_file(const char* name, int32_t& line)
{
    clear_shift_periods();
    std::FILE* stream = open_regular_file(name);
    line = 0;
    if (stream == nullptr)
        return "nao pode ser aberto";
    char text[256];
    const char* fault = nullptr;
    while (fault == nullptr && std::fgets(text, sizeof text, stream) != nullptr) {
        ++line;
        text[std::strcspn(text, "\r\n")] = '\0';
        if (text[std::strspn(text, " \t")] == '\0' || text[std::strspn(text, " \t")] == '#')
            continue;
        char start[8] = "", end[8] = "";
        char letter{};
        int period{}, used{};
        if (std::sscanf(text, " %c|%d|%7[^|]|%7[^|]|%n", &letter, &period, start, end, &used) != 4 ||
            text[used + static_cast<int>(std::strspn(text + used, " \t"))] != '\0') {
            fault = "registro mal formado (use M|1|07:00|07:50|)";
            break;
        }
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
        int32_t from = read_time(start), to = read_time(end);
        if (letter < 'A' || letter > 'Z' || period < 1 || period > 9)
            fault = "turno deve ser uma letra e periodo de 1 a 9";
        else if (from < 0 || to < 0 || to <= from)
            fault = "horario invalido";
        else if (shift_periods.start[letter - 'A'][period] >= 0)
            fault = "periodo repetido";
        else {
            shift_periods.start[letter - 'A'][period] = from;
            shift_periods.end[letter - 'A'][period] = to;
        }
    }
    if (fault == nullptr && std::ferror(stream))
        fault = "nao pode ser lido";
    std::fclose(stream);
    shift_periods.given = fault == nullptr;
    return fault;
}

int read_schedule(const char* cell, DaySet default_days, std::array<CellTime, MAX_CELL_TIMES>& times,
                  const char*& reason)
{
    static Words words;
    reason = nullptr;
    if (!cut_words(cell, words)) {
        reason = "celula longa demais";
        return NOT_READ;
    }
    int count = 0;
    DaySet days = 0;
    for (std::size_t w = 0; w < words.count; ++w) {
        const char* word = words.word[w];
        int32_t start, end;
        if (is_schedule_code(word)) {
            if (!shift_periods.given) {
                reason = "codigo de horario sem --turnos";
                return NOT_READ;
            }
            count = code_times(word, times, count, reason);
            if (count < 0)
                return NOT_READ;
            continue;
        }
        if (!word_range(word, start, end)) {
            if ((start = read_time(word)) < 0) {
                DaySet more;
                if (!read_days(word, more)) {
                    reason = "nao e dia nem horario";
                    return NOT_READ;
                }
                days |= more;
                continue;
            }
            if (w + 2 < words.count && is_range_word(words.word[w + 1]))
                ++w;  // "08:00 - 09:40", "8h às 9h40"
        }
        if (end < 0) {  // the end is the next word, perhaps after its dash: "08:00 -09:40", "08:00- 09:40"
            const char* next = w + 1 < words.count ? words.word[++w] : "";
            end = read_time(next + dash_at(next));
        }
        if (end < 0) {
            reason = "horario sem fim";
            return NOT_READ;
        }
        if (count == MAX_CELL_TIMES) {
            reason = "horarios demais numa celula";
            return NOT_READ;
        }
        times[count++] = {days != 0 ? days : default_days, start, end};
        days = 0;
    }
    if (days != 0) {
        reason = "dia sem horario";
        return NOT_READ;
    }
    return count;
}

bool read_count(const char* text, int32_t& value)
{
    std::size_t digits = std::strspn(text, "0123456789");
    if (digits == 0 || digits > 6)
        return false;
    const char* rest = text + digits;
    if ((*rest == '.' || *rest == ',') && rest[1] != '\0' && std::strspn(rest + 1, "0") == std::strlen(rest + 1))
        rest += std::strlen(rest);
    if (*rest != '\0')
        return false;
    value = 0;
    for (std::size_t i = 0; i < digits; ++i)
        value = value * 10 + (text[i] - '0');
    return true;
}

bool has_digit(const char* text)
{
    return std::strpbrk(text, "0123456789") != nullptr;
}
