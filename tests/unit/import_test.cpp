// The importer's reading of a registrar's cells, its numbering of codes and
// sections, and the week it writes for the times it read.
#include <algorithm>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "app/importar/cells.hpp"
#include "app/importar/classes.hpp"
#include "app/importar/import.hpp"
#include "app/importar/import_report.hpp"
#include "app/importar/numbering.hpp"
#include "app/importar/sheet.hpp"
#include "app/importar/week_plan.hpp"
#include "io/csv.hpp"
#include "io/encoding.hpp"
#include "model/records.hpp"
#include "search/random.hpp"
#include "test_support.hpp"

namespace {

std::string folded(const char* text)
{
    char out[128];
    fold_text(text, out, sizeof out);
    return out;
}

TEST(ImportCells, WordsFoldWithoutCaseOrAccents)
{
    const std::pair<const char*, const char*> cases[] = {
        {"In\xC3\xAD" "cio", "inicio"},         // UTF-8
        {"IN\xCD" "CIO", "inicio"},             // Windows-1252, as a byte of its own
        {"Cod. Disc.", "cod disc"},
        {"  Hora_de   In\xC3\xAD" "cio ", "hora de inicio"},
        {"2\xC2\xAA-feira", "2a feira"},         // "2ª": the ordinal sign is an a
        {"S\xC3\x81" "BADO", "sabado"},
        {"\xE2\x80\x94", ""},                   // a dash alone is no word
        {"Prédio", "predio"},
        {"\xC0\xFF", "ay"}};                    // the first and last Latin-1 letters
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(folded(text), expected) << text;
    // A long text is cut where a blank and a letter no longer fit before the buffer's end.
    EXPECT_EQ(folded(std::string(200, 'A').c_str()), std::string(126, 'a'));
}

// A spreadsheet's fields lose the blanks and tabs around them, but for a
// tab that separates them.
TEST(ImportCells, FieldsLoseTheBlanksAroundThem)
{
    auto fields = [](const char* text) {
        const char* name = "fields_test.csv";
        std::FILE* file = std::fopen(name, "wb");
        std::fputs(text, file);
        std::fclose(file);
        CsvFile csv;
        static CsvRecord record;
        std::string read;
        if (open_csv(name, csv) && read_csv_header(csv, record) == CsvRead::Record &&
            read_csv_record(csv, record) == CsvRead::Record)
            for (int i = 0; i < record.count; ++i)
                read += std::string(i ? "|" : "") + record.fields[i].data();
        close_csv(csv);
        std::remove(name);
        return read;
    };
    EXPECT_EQ(fields("dia;inicio\n\t SEG\t; \t08:00 \n"), "SEG|08:00");
    EXPECT_EQ(fields("dia\tinicio\nSEG\t\t08:00\n"), "SEG||08:00");  // tabs separate: an empty field between
    // A header longer than the bytes looked at for its separator reads on from the file.
    std::string long_header = "dia;" + std::string(20000, 'x') + "\nSEG;1\n";
    EXPECT_EQ(fields(long_header.c_str()), "SEG|1");
}

TEST(ImportCells, WeekdaysAsRegistrarsWriteThem)
{
    auto days = [](const char* cell) {
        DaySet set = 0;
        return read_days(cell, set) ? static_cast<int>(set) : -1;
    };
    auto bits = [](std::initializer_list<int> weekdays) {
        int set = 0;
        for (int weekday : weekdays)
            set |= 1 << weekday;
        return set;
    };
    EXPECT_EQ(days("SEG/QUA"), bits({2, 4}));
    EXPECT_EQ(days("2,4"), bits({2, 4}));
    EXPECT_EQ(days("246"), bits({2, 4, 6}));
    EXPECT_EQ(days("2\xC2\xAA"), bits({2}));         // 2ª in UTF-8
    EXPECT_EQ(days("2\xAA / 4\xAA"), bits({2, 4}));  // and as Windows-1252 bytes
    EXPECT_EQ(days("segunda-feira e quarta-feira"), bits({2, 4}));
    EXPECT_EQ(days("Ter\xC3\xA7" "a"), bits({3}));
    EXPECT_EQ(days("Mon, Wed; Fri"), bits({2, 4, 6}));
    EXPECT_EQ(days("Saturday"), bits({7}));
    EXPECT_EQ(days("S\xC3\xA1" "b."), bits({7}));
    EXPECT_EQ(days("dom"), bits({1}));
    EXPECT_EQ(days("1"), bits({1}));
    EXPECT_EQ(days(""), 0);
    EXPECT_EQ(days("XYZ"), -1);
    EXPECT_EQ(days("8"), -1);   // no weekday 8
    EXPECT_EQ(days("208"), -1);
    // every word a weekday goes by, alone
    const std::pair<const char*, int> words[] = {
        {"domingo", 1}, {"sun", 1},    {"sunday", 1},    {"seg", 2},    {"segunda", 2},  {"2a", 2},
        {"mon", 2},     {"monday", 2}, {"ter", 3},       {"terca", 3},  {"3a", 3},       {"tue", 3},
        {"tues", 3},    {"tuesday", 3}, {"qua", 4},      {"quarta", 4}, {"4a", 4},       {"wed", 4},
        {"wednesday", 4}, {"qui", 5},  {"quinta", 5},    {"5a", 5},     {"thu", 5},      {"thur", 5},
        {"thurs", 5},   {"thursday", 5}, {"sex", 6},     {"sexta", 6},  {"6a", 6},       {"fri", 6},
        {"friday", 6},  {"sab", 7},    {"sabado", 7},    {"7a", 7},     {"sat", 7},      {"saturday", 7}};
    for (const auto& [word, weekday] : words)
        EXPECT_EQ(days(word), bits({weekday})) << word;
}

TEST(ImportCells, TimesAsPeopleTypeThem)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"8h", 480},   {"08h00", 480}, {"8h30", 510}, {"8:00", 480},   {"08:00", 480}, {"08:00:00", 480},
        {" 07:50 ", 470}, {"23:59", 1439}, {"8H15", 495}, {"8h30min", 510}, {"0:00", 0},
        {"24:00", -1}, {"8:60", -1}, {"8:5", -1},  {"0800", -1},    {"8", -1},      {"08:00:30", -1}, {"08:00:05", -1},
        {"8h3", -1},   {"8h30mix", -1}, {"", -1},       {"h30", -1},   {"08:00-09:40", -1}, {"008:00", -1}, {"8:000", -1}};
    for (const auto& [text, minutes] : cases)
        EXPECT_EQ(read_time(text), minutes) << "'" << text << "'";
}

TEST(ImportCells, CountsOfStudents)
{
    const std::pair<const char*, int32_t> cases[] = {{"45", 45}, {"45.0", 45}, {"45,00", 45}, {"0", 0},
                                                     {"", -1},   {"4 5", -1},  {"-3", -1},    {"quarenta", -1},
                                                     {"45,5", -1}, {"45.", -1}, {"999999", 999999}, {"1234567", -1}};
    for (const auto& [text, expected] : cases) {
        int32_t value = 12345;
        bool read = read_count(text, value);
        EXPECT_EQ(read, expected >= 0) << "'" << text << "'";
        EXPECT_EQ(value, read ? expected : 12345) << "'" << text << "'";  // a count refused leaves the value
    }
}

// "2 08:00-09:40": each time of a schedule, its weekdays as digits.
std::string schedule(const char* cell, DaySet default_days = 0)
{
    std::array<CellTime, MAX_CELL_TIMES> times;
    const char* reason = nullptr;
    int count = read_schedule(cell, default_days, times, reason);
    if (count < 0)
        return std::string("! ") + reason;
    std::string text;
    for (int i = 0; i < count; ++i) {
        for (int weekday = 1; weekday <= 7; ++weekday)
            if (times[i].days & (1 << weekday))
                text += static_cast<char>('0' + weekday);
        char range[32];
        std::snprintf(range, sizeof range, " %02d:%02d-%02d:%02d;", times[i].start / 60, times[i].start % 60,
                      times[i].end / 60, times[i].end % 60);
        text += range;
    }
    return text;
}

TEST(ImportCells, SchedulesWholeOrByCode)
{
    clear_shift_periods();
    EXPECT_EQ(schedule("08:00-09:40", 1 << 2), "2 08:00-09:40;");
    EXPECT_EQ(schedule("SEG 08:00-09:40; QUA 10:00-11:40"), "2 08:00-09:40;4 10:00-11:40;");
    EXPECT_EQ(schedule("SEG/QUA 08:00 - 09:40"), "24 08:00-09:40;");
    EXPECT_EQ(schedule("2,4 8h \xC3\xA0s 9h40"), "24 08:00-09:40;");        // "às"
    EXPECT_EQ(schedule("ter 19:00\xE2\x80\x93" "20:40"), "3 19:00-20:40;");  // an en dash
    EXPECT_EQ(schedule("ter 19:00\xE2\x80\x94" "20:40"), "3 19:00-20:40;");  // an em dash
    EXPECT_EQ(schedule("ter 19:00\xE2\x80\xA6" "20:40"), "! nao e dia nem horario");  // an ellipsis is none
    EXPECT_EQ(schedule("Mon 08:00 -09:40\nWed 08:00- 09:40"), "2 08:00-09:40;4 08:00-09:40;");
    EXPECT_EQ(schedule("qua 22:00-0:00"), "4 22:00-00:00;");  // read as written: the row refuses an end before the start
    EXPECT_EQ(schedule("SEG 08:00 QUA 10:00-11:40"), "! horario sem fim");
    EXPECT_EQ(schedule("SEG 25:00-09:40"), "! nao e dia nem horario");
    EXPECT_EQ(schedule("SEG 8-09:40"), "! nao e dia nem horario");
    EXPECT_EQ(schedule("SEG"), "! dia sem horario");
    EXPECT_EQ(schedule("SEG 08:00 09:40"), "2 08:00-09:40;");
    EXPECT_EQ(schedule("SEG 08:00"), "! horario sem fim");  // the words of the cell before are not read
    EXPECT_EQ(schedule("SEG 08:00-"), "! horario sem fim");
    EXPECT_EQ(schedule("sala 3 08:00-09:40"), "! nao e dia nem horario");
    EXPECT_EQ(schedule("24M12"), "! codigo de horario sem --turnos");
    EXPECT_EQ(schedule("M12"), "! nao e dia nem horario");  // a code has weekdays, then a letter
    EXPECT_EQ(schedule("24-12"), "! dia sem horario");      // weekdays 1, 2 and 4, not a code
    std::string sixteen, spaced, sixteen_read;  // a cell holds at most 16 times
    for (int hour = 7; hour < 23; ++hour) {
        sixteen += "SEG " + std::to_string(hour) + "h-" + std::to_string(hour) + "h50 ";
        spaced += "SEG " + std::to_string(hour) + "h - " + std::to_string(hour) + "h50 ";
        sixteen_read += "2 " + std::string(hour < 10 ? "0" : "") + std::to_string(hour) + ":00-" +
                        (hour < 10 ? "0" : "") + std::to_string(hour) + ":50;";
    }
    EXPECT_EQ(schedule(sixteen.c_str()), sixteen_read);
    EXPECT_EQ(schedule(spaced.c_str()), sixteen_read);  // 64 words
    EXPECT_EQ(schedule((std::string(63, '2') + "8 08:00-09:40").c_str()), "! nao e dia nem horario");  // no cut
    std::string full(254, ' ');  // a field's 255 bytes, a word in every other one
    for (std::size_t i = 0; i < full.size(); i += 2)
        full[i] = '2';
    EXPECT_EQ(schedule((full + "2").c_str()), "! dia sem horario");
    EXPECT_EQ(schedule((full + "22").c_str()), "! celula longa demais");
    EXPECT_EQ(schedule((sixteen + "TER 23h-23h50").c_str()), "! horarios demais numa celula");
    shift_periods.start[12][1] = 420, shift_periods.end[12][1] = 470;  // M1 07:00-07:50
    shift_periods.start[12][2] = 470, shift_periods.end[12][2] = 520;  // M2 07:50-08:40
    shift_periods.start[12][4] = 540, shift_periods.end[12][4] = 590;  // M4 09:00-09:50, after a break
    shift_periods.given = true;
    EXPECT_EQ(schedule("24M12"), "24 07:00-08:40;");
    shift_periods.start[0][1] = 420, shift_periods.end[0][1] = 470;      // A1, or a1
    shift_periods.start[25][1] = 1200, shift_periods.end[25][1] = 1250;  // Z1, or z1
    EXPECT_EQ(schedule("2A1 3a1 4Z1 5z1"), "2 07:00-07:50;3 07:00-07:50;4 20:00-20:50;5 20:00-20:50;");
    EXPECT_EQ(schedule("24M12 6M4"), "24 07:00-08:40;6 09:00-09:50;");
    EXPECT_EQ(schedule("3M124"), "3 07:00-08:40;3 09:00-09:50;");  // the break parts the periods
    EXPECT_EQ(schedule("3M3"), "! periodo do codigo de horario fora de --turnos");
    EXPECT_EQ(schedule("2M1 3M1 4M1 5M1 6M1 7M1 2M4 3M4 4M4 5M4 6M4 7M4 2M2 3M2 4M2 5M2").substr(0, 15),
              "2 07:00-07:50;3");  // sixteen runs, none joined to the one before
    EXPECT_EQ(schedule("2M1 3M1 4M1 5M1 6M1 7M1 2M4 3M4 4M4 5M4 6M4 7M4 2M2 3M2 4M2 5M2 6M2"),
              "! horarios demais numa celula");
    clear_shift_periods();
}

// A --turnos table names its first faulty line, and takes none of it.
TEST(ImportCells, ShiftTablesNameTheirFirstFaultyLine)
{
    const struct {
        const char* text;
        const char* fault;
        int32_t line;
    } cases[] = {
        {"# manha\n\nM|1|07:00|07:50|\nn|9|22:10|23:00|\n", nullptr, 4},
        {"A|1|07:00|07:50|\nz|1|07:00|07:50|\n", nullptr, 2},  // the first letter and the last
        {"M|1|07:00|07:50|\nM|0|07:50|08:40|\n", "turno deve ser uma letra e periodo de 1 a 9", 2},
        {"M|10|07:50|08:40|\n", "turno deve ser uma letra e periodo de 1 a 9", 1},
        {"1|1|07:50|08:40|\n", "turno deve ser uma letra e periodo de 1 a 9", 1},
        {"M|1|07:50|07:50|\n", "horario invalido", 1},
        {"M|1|07:50|7h|\n", "horario invalido", 1},
        {"M|1|25:00|26:00|\n", "horario invalido", 1},
        {"M|1|7:00:00|7:50:00|\n", nullptr, 1},  // seven characters fill the field
        {"M|1|07:00|07:50| x\n", "registro mal formado (use M|1|07:00|07:50|)", 1},
        {"M|1|07:00|07:50|\nM|1|07:00|07:50|\n", "periodo repetido", 2},
        {"N|1|00:00|00:50|\nN|1|00:00|00:50|\n", "periodo repetido", 2},  // at midnight too
    };
    std::string name = (std::filesystem::temp_directory_path() / ("turnos-" + std::to_string(getpid()))).string();
    for (const auto& c : cases) {
        write_file(name, c.text);
        int32_t line = -1;
        const char* fault = read_shift_file(name.c_str(), line);
        EXPECT_STREQ(fault, c.fault) << c.text;
        EXPECT_EQ(line, c.line) << c.text;
        EXPECT_EQ(shift_periods.given, c.fault == nullptr) << c.text;
    }
    EXPECT_EQ(shift_periods.start[13][9], -1);  // the last table was refused
    write_file(name, "n|9|22:10|23:00|\n");
    int32_t line = 0;
    EXPECT_EQ(read_shift_file(name.c_str(), line), nullptr);
    EXPECT_EQ(shift_periods.start[13][9], 22 * 60 + 10);
    EXPECT_EQ(shift_periods.end[13][9], 23 * 60);
    std::remove(name.c_str());
    EXPECT_STREQ(read_shift_file(name.c_str(), line), "nao pode ser aberto");
    clear_shift_periods();
}

// A room's or a class's feature: folded, blanks as "_", cut at 30 bytes,
// starting with a letter; each name once, at most 128 of them.
TEST(ImportCells, FeatureNamesStartWithALetter)
{
    clear_import();
    EXPECT_EQ(find_or_add_feature("Acess\xC3\xADvel"), 0);
    EXPECT_EQ(find_or_add_feature("Zoom"), 1);
    EXPECT_EQ(find_or_add_feature(" ACESSIVEL "), 0);
    EXPECT_EQ(find_or_add_feature("Ar condicionado"), 2);
    EXPECT_STREQ(import_features.names[2].data(), "ar_condicionado");
    EXPECT_EQ(find_or_add_feature(std::string(40, 'x').c_str()), 3);
    EXPECT_EQ(import_features.names[3].data(), std::string(30, 'x'));
    for (const char* refused : {"3D", "", " - "})
        EXPECT_EQ(find_or_add_feature(refused), NOT_FOUND) << refused;
    for (char name[16]; import_features.count < MAX_IMPORT_FEATURES;) {
        std::snprintf(name, sizeof name, "f%d", import_features.count);
        find_or_add_feature(name);
    }
    EXPECT_EQ(find_or_add_feature("zoom"), 1);
    EXPECT_EQ(find_or_add_feature("mais um"), NOT_FOUND);
    clear_import();
}

// ---------------------------------------------------------------- numbering

// A course and a class as the reader would have added them.
int32_t add_course(const char* key)
{
    ImportCourse& course = import_courses.courses[import_courses.count];
    course = {};
    std::snprintf(course.key.data(), course.key.size(), "%s", key);
    std::snprintf(course.text.data(), course.text.size(), "%s", key);
    return import_courses.count++;
}

int32_t add_class(int32_t course, const char* label)
{
    ImportClass& entry = import_classes.classes[++import_classes.count];
    entry = {};
    entry.course = course;
    std::snprintf(entry.label.data(), entry.label.size(), "%s", label);
    return import_classes.count;
}

std::string course_name(int32_t course)
{
    const ImportCourse& entry = import_courses.courses[course];
    return std::string(entry.code.data()) + " " + std::to_string(entry.number) + (entry.made ? " *" : "");
}

TEST(ImportNumbers, CodesAndSectionsNumberedWithoutClashes)
{
    clear_import();
    int32_t plain = add_course("mtm121"), zero = add_course("mtm0121"), words = add_course("calculoi"),
            digits = add_course("121"), letters = add_course("estagio"), bare = add_course("mtm"),
            other = add_course("mtm1");
    int32_t long_code = add_course("engenhariaproducao101");
    int32_t nine_digits = add_course("mtm999999999"), ten_digits = add_course("mtm1000000000");
    int32_t t02 = add_class(plain, "T02"), two = add_class(plain, "2"), a = add_class(plain, "A"),
            b = add_class(plain, "B"), zero_two = add_class(plain, "02"), nought = add_class(plain, "0"),
            t3 = add_class(other, "T3"), t20 = add_class(other, "T20"), t19 = add_class(other, "T19"),
            letter_one = add_class(words, "T1"), one = add_class(words, "1");
    ASSERT_EQ(number_courses_and_classes(), nullptr);
    EXPECT_EQ(course_name(plain), "MTM 121");
    EXPECT_EQ(course_name(zero), "MTM 2 *");  // 121 is taken: the first number free but 1, which mtm1 has
    EXPECT_EQ(course_name(words), "CALCULOI 1 *");
    EXPECT_EQ(course_name(digits), "DISC 121 *");
    EXPECT_EQ(course_name(letters), "ESTAGIO 1 *");
    EXPECT_EQ(course_name(bare), "MTM 3 *");  // no number: after mtm1 has its own, though listed before it
    EXPECT_EQ(course_name(other), "MTM 1");
    EXPECT_EQ(course_name(long_code), "ENGENHAR 101 *");  // the code cut to 8 letters
    EXPECT_EQ(course_name(nine_digits), "MTM 999999999");    // the largest number a column holds
    EXPECT_EQ(course_name(ten_digits), "MTM 4 *");
    EXPECT_EQ(import_courses.type_count, 5);           // MTM, CALCULOI, DISC, ESTAGIO, ENGENHAR
    EXPECT_EQ(import_classes.classes[two].number, 2);  // a label of digits keeps its number first
    EXPECT_EQ(import_classes.classes[t02].number, 1);  // 2 taken: T02 the first free
    EXPECT_EQ(import_classes.classes[a].number, 3);      // the rest in the order they came
    EXPECT_EQ(import_classes.classes[b].number, 4);
    EXPECT_EQ(import_classes.classes[zero_two].number, 5);
    EXPECT_FALSE(section_label_made("2", 2));
    EXPECT_TRUE(section_label_made("02", 5));
    EXPECT_TRUE(section_label_made("T02", 1));
    EXPECT_EQ(import_classes.classes[nought].number, 6);  // no section 0: it takes the first number free
    EXPECT_EQ(import_classes.classes[t3].number, 3);      // digits among letters keep a number that is free
    EXPECT_EQ(import_classes.classes[t20].number, 20);    // the last digits whole, 0 and 9 among them
    EXPECT_EQ(import_classes.classes[t19].number, 19);
    EXPECT_EQ(import_classes.classes[one].number, 1);  // section 1 too is kept by a label of digits
    EXPECT_EQ(import_classes.classes[letter_one].number, 2);
    clear_import();
}

// ---------------------------------------------------------------- the week

// Reads the importer's own week as the programs read semana.txt.
void load_import_week()
{
    std::string text;
    for (int i = 0; i < import_week.count; ++i) {
        const WeekSlot& block = import_week.blocks[i];
        char line[40];
        std::snprintf(line, sizeof line, "%d|%02d:%02d|%02d:%02d|\n", block.weekday, block.start / 60,
                      block.start % 60, block.end / 60, block.end % 60);
        text += line;
    }
    std::FILE* stream = text_stream(text);
    RecordFile file{stream, "semana.txt", 0, nullptr};
    ASSERT_TRUE(read_week(file)) << file.error << " at " << file.line;
    std::fclose(stream);
}

// The slots a time holds, as the loader gives a line of horario.txt.
std::pair<int32_t, int32_t> held_slots(const TimeLine& time)
{
    int32_t first = first_block_held(time.weekday, time.start, time.end), last = first;
    while (last < week_days[time.weekday].last && slot_start(last + 1) < time.end)
        ++last;
    return {first, last};
}

TEST(ImportWeek, TwoTimesShareABlockExactlyWhenTheyOverlap)
{
    restart_random_sequence();
    for (int trial = 0; trial < sweep(40); ++trial) {
        clear_import();
        int32_t times = 2 + random_below(30);
        for (int32_t index = 1; index <= times; ++index) {
            import_classes.classes[index] = {};
            int32_t weekday = 2 + random_below(2), start = 7 * 60 + 5 * random_below(150);
            import_times.lines[import_times.count++] = {index, weekday, start, start + 5 + 5 * random_below(40),
                                                        index, 0};
            import_classes.classes[index].first_line[weekday] = index;
        }
        import_classes.count = times;
        ASSERT_EQ(plan_week(), nullptr);
        ASSERT_FALSE(import_week.standard);
        load_import_week();
        for (int32_t i = 0; i < times; ++i)
            for (int32_t j = i + 1; j < times; ++j) {
                const TimeLine &a = import_times.lines[i], &b = import_times.lines[j];
                auto [a_first, a_last] = held_slots(a);
                auto [b_first, b_last] = held_slots(b);
                bool share = a.weekday == b.weekday && a_first <= b_last && b_first <= a_last;
                bool overlap = a.weekday == b.weekday && a.start < b.end && b.start < a.end;
                ASSERT_EQ(share, overlap) << "trial " << trial << ": " << a.start << "-" << a.end << " and "
                                          << b.start << "-" << b.end;
            }
    }
    clear_import();
    use_standard_week();
}

TEST(ImportWeek, StandardBlocksKeepTheStandardWeekUnlessAClassMeetsThrice)
{
    clear_import();
    import_classes.count = 1;
    import_classes.classes[1] = {};
    for (int32_t weekday : {2, 4}) {
        import_times.lines[import_times.count++] = {1, weekday, 7 * 60 + 30, 9 * 60 + 10, weekday, 0};
        import_classes.classes[1].first_line[weekday] = weekday;
    }
    ASSERT_EQ(plan_week(), nullptr);
    EXPECT_TRUE(import_week.standard);
    import_times.lines[import_times.count++] = {1, 6, 7 * 60 + 30, 9 * 60 + 10, 6, 0};  // a third weekday
    import_classes.classes[1].first_line[6] = 6;
    ASSERT_EQ(plan_week(), nullptr);
    EXPECT_FALSE(import_week.standard);
    import_times.count = 1;
    import_classes.classes[1].first_line = {};
    import_classes.classes[1].first_line[2] = 2;
    import_times.lines[0].start = 8 * 60;  // 08:00 is no standard block
    ASSERT_EQ(plan_week(), nullptr);
    EXPECT_FALSE(import_week.standard);
    ASSERT_EQ(import_week.count, 1);
    EXPECT_EQ(import_week.blocks[0].end, 9 * 60 + 10);  // the day's last block ends at its latest end
    import_times.lines[import_times.count++] = {1, 3, 23 * 60 + 10, 23 * 60 + 50, 3, 0};  // the day's last hour
    import_classes.classes[1].first_line[3] = 3;
    ASSERT_EQ(plan_week(), nullptr);
    ASSERT_EQ(import_week.count, 2);
    EXPECT_EQ(import_week.blocks[1].start, 23 * 60 + 10);
    import_times.count = 1;
    import_classes.classes[1].first_line[3] = 0;
    ASSERT_EQ(plan_week(), nullptr);
    load_import_week();  // that week loaded, a time of the standard week is judged against the standard week
    import_times.lines[0].start = 7 * 60 + 30;
    ASSERT_EQ(plan_week(), nullptr);
    EXPECT_TRUE(import_week.standard);
    clear_import();
    use_standard_week();
}

class ImportSheet : public InScratchDirectory {};

// A sheet whose header cannot be used is closed before its fault is told;
// one that opens is closed by close_sheet.
TEST_F(ImportSheet, IsClosedAndReadAfresh)
{
    static Sheet sheet;
    long open_before = open_descriptor_count();
    write_file("vazio.csv", "");
    EXPECT_STREQ(open_sheet(sheet, "vazio.csv"), "arquivo vazio");
    write_file("aspas.csv", "\"disciplina;turma\n");
    EXPECT_STREQ(open_sheet(sheet, "aspas.csv"), "cabecalho mal formado (aspas abertas)");
    EXPECT_EQ(open_descriptor_count(), open_before);
    write_file("turmas.csv", "disciplina;turma\n");
    EXPECT_EQ(open_sheet(sheet, "turmas.csv"), nullptr);
    close_sheet(sheet);
    EXPECT_EQ(open_descriptor_count(), open_before);
    // Read twice in one process, a class sheet gives the same classes: the
    // index of the first reading does not stay.
    write_file("turmas.csv", "disciplina;turma;alunos;dia;inicio;fim\nMTM101;1;30;SEG;08:00;09:40\n"
                             "MTM101;2;20;TER;08:00;09:40\n");
    for (int reading = 1; reading <= 2; ++reading) {
        clear_import();
        ASSERT_EQ(open_sheet(sheet, "turmas.csv"), nullptr);
        EXPECT_EQ(read_class_sheet(sheet, false), nullptr);
        close_sheet(sheet);
        EXPECT_EQ(import_courses.count, 1) << "reading " << reading;
        EXPECT_EQ(import_classes.count, 2) << "reading " << reading;
    }
    clear_import();
}

class ImportReport : public InScratchDirectory {};

// A line's outcome is kept for the lines a sheet may have, no further.
TEST_F(ImportReport, OutcomesKeptForTheLinesOfASheet)
{
    clear_import();
    set_outcome(turmas_outcomes, MAX_SHEET_LINES, Outcome::Refused, "alunos", "x", "nao e numero");
    set_outcome(turmas_outcomes, MAX_SHEET_LINES + 1, Outcome::Refused, "alunos", "y", "nao e numero");
    EXPECT_EQ(turmas_outcomes.last_line, MAX_SHEET_LINES);
    EXPECT_STREQ(turmas_outcomes.lines[MAX_SHEET_LINES].value.data(), "x");
    clear_import();
}

// importacao.txt lists the notes it keeps and counts those past them.
TEST_F(ImportReport, NotesPastTheKeptOnesAreCountedInTheSingularAfterOne)
{
    clear_import();
    for (int note = 1; note <= MAX_NOTES + 1; ++note)
        add_note("aviso %d", note);
    write_import_report({"turmas.csv", nullptr, false, {}});
    const std::string last_kept = "\naviso " + std::to_string(MAX_NOTES) + "\n";
    EXPECT_NE(read_file("importacao.txt").find(last_kept + "e mais 1 aviso\n"), std::string::npos);
    add_note("aviso %d", MAX_NOTES + 2);
    write_import_report({"turmas.csv", nullptr, false, {}});
    EXPECT_NE(read_file("importacao.txt").find(last_kept + "e mais 2 avisos\n"), std::string::npos);
    clear_import();
}

}  // namespace
