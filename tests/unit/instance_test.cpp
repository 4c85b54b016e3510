// Reading capacidade.txt, demanda.txt and horario.txt into the tables.
#include "model/instance.hpp"

#include "model/calendar.hpp"
#include "model/digest.hpp"
#include "model/load_warnings.hpp"
#include "model/rules/room_sets.hpp"
#include "model/rules/rules.hpp"
#include "test_support.hpp"

namespace {

struct ReadResult {
    bool ok;
    int64_t line;
    std::string error;
};

ReadResult read_text(bool (*reader)(RecordFile&), const std::string& text)
{
    std::FILE* stream = text_stream(text);
    RecordFile file{stream, "teste.txt", 0, nullptr};
    bool ok = reader(file);
    std::fclose(stream);
    return {ok, file.line, ok ? "" : file.error};
}

void load(const std::string& demands, const std::string& timetable)
{
    ASSERT_TRUE(read_text(read_sections, demands).ok);
    ASSERT_TRUE(read_text(read_timetable, timetable).ok);
}

const Meeting& meeting(int section, int m)
{
    return sections[section].meetings[m];
}

}  // namespace

class RoomCapacities : public FreshTables {};

TEST_F(RoomCapacities, LaterRecordReplacesEarlierAndEveryLoadStartsFromNoSeats)
{
    room_capacity[3] = 77;
    ASSERT_TRUE(read_text(read_room_capacities, "1|40|\n2|60|\n1|35|\n").ok);
    EXPECT_EQ(room_capacity[1], 35);
    EXPECT_EQ(room_capacity[2], 60);
    EXPECT_EQ(room_capacity[0], 0);
    EXPECT_EQ(room_capacity[3], 0);
    ASSERT_TRUE(read_text(read_room_capacities, "2|50|\n").ok);
    EXPECT_EQ(room_capacity[1], 0);
    EXPECT_EQ(room_capacity[2], 50);
}

TEST_F(RoomCapacities, ColumnOutsideZeroTo999NegativeSeatsOrABadNameAreRefusedWithTheirLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {{"1|40|\n\n1000|30|\n", "sala fora do intervalo 0..999"},
                 {"1|40|\n\n-1|30|\n", "sala fora do intervalo 0..999"},
                 {"1|40|\n\n2|-1|\n", "capacidade negativa"},
                 {"1|40|\n\n1000|-1|Lab|\n", "sala fora do intervalo 0..999"},  // the column first
                 {"1|40|\n\n2|-1|  |\n", "capacidade negativa"},               // then the seats, then the name
                 {"1|40|\n\n2|30|  |\n", "nome de sala vazio"},
                 {"1|40|\n\n2|30||\n", "nome de sala vazio"},
                 {"1|40|\n\n2|30|12345678901234567890123456789012345678901|\n", "nome de sala com mais de 40 bytes"},
                 {"1|40|\n\n2|30|Lab\tde Redes|\n", "nome de sala com caractere de controle"},
                 {"1|40|\n\n2|30|Lab\x7F|\n", "nome de sala com caractere de controle"},
                 {"1|40|\n\n2|30|\x1FLab|\n", "nome de sala com caractere de controle"},  // the first byte
                 {"1|40|\n\n2|30|Lab de Redes\n", "registro mal formado"},
                 {"1|40|\n\n2|30|Lab|x\n", "registro mal formado"}};
    for (const auto& c : cases) {
        ReadResult result = read_text(read_room_capacities, c.text);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.line, 3) << c.text;
        EXPECT_EQ(result.error, c.error) << c.text;
    }
    EXPECT_TRUE(read_text(read_room_capacities, "2|0|\n1|5|\n").ok);
    EXPECT_EQ(last_room, 2);
    EXPECT_TRUE(read_text(read_room_capacities, "0|10|\n").ok);  // sv alone: no room
    EXPECT_EQ(last_room, 0);
}

TEST_F(RoomCapacities, TheHighestColumnNamedIsTheLastRoomAndEveryRoomBelowItMustBeNamed)
{
    // Names are held in UTF-8: a valid UTF-8 name as it is, any other read byte by byte as Latin-1.
    ASSERT_TRUE(read_text(read_room_capacities, "3|45| \t Lab. de Redes \t|  \n1|30|Audit\xC3\xB3rio|\n2|40|\xC1rea 2|\n"
                                                "4|20|Qu\xC3mica|\n5|20|\xE2\x80\x9CSala\xE2\x80\x9D|\n").ok);
    EXPECT_EQ(last_room, 5);
    EXPECT_EQ(first_unnamed_room(), 0);
    EXPECT_STREQ(room_names[3].data(), "Lab. de Redes");
    EXPECT_STREQ(room_names[1].data(), "Audit\xC3\xB3rio");
    EXPECT_STREQ(room_names[2].data(), "\xC3\x81rea 2");
    EXPECT_STREQ(room_names[4].data(), "Qu\xC3\x83mica");  // C3 before "m" is no UTF-8: Latin-1 "Ã"
    EXPECT_STREQ(room_names[5].data(), "\xE2\x80\x9CSala\xE2\x80\x9D");  // beyond Latin-1, kept
    // The 40-byte limit counts the file's bytes: 20 x "é" in UTF-8 is 40, and 40 in Latin-1 become 80.
    std::string twenty, forty(40, '\xE9');
    for (int i = 0; i < 20; ++i)
        twenty += "\xC3\xA9";
    ASSERT_TRUE(read_text(read_room_capacities, "1|30|" + twenty + "|\n2|30|" + forty + "|\n").ok);
    EXPECT_EQ(std::string(room_names[1].data()), twenty);
    EXPECT_EQ(std::string(room_names[2].data()), twenty + twenty);
    EXPECT_FALSE(read_text(read_room_capacities, "1|30|" + twenty + "x|\n").ok);
    ASSERT_TRUE(read_text(read_room_capacities, "3|45|Lab.|\n1|30|\n2|40|\n").ok);
    EXPECT_STREQ(room_names[1].data(), "");
    EXPECT_STREQ(room_names[0].data(), "");
    ASSERT_TRUE(read_text(read_room_capacities, "0|10|\n2|30|\n5|50|\n1|20|\n").ok);
    EXPECT_EQ(last_room, 5);
    EXPECT_EQ(first_unnamed_room(), 3);
    EXPECT_STREQ(room_names[3].data(), "");  // every reading starts afresh
    ASSERT_TRUE(read_text(read_room_capacities, "0|10|\n").ok);
    EXPECT_EQ(first_unnamed_room(), 1);
    ASSERT_TRUE(read_text(read_room_capacities, "").ok);
    EXPECT_EQ(first_unnamed_room(), 1);
    ASSERT_TRUE(read_text(read_room_capacities, "999|10|\n").ok);
    EXPECT_EQ(first_unnamed_room(), 1);
    std::string every;
    for (int room = 999; room >= 1; --room)
        every += std::to_string(room) + "|" + std::to_string(room % 90) + "|\n";
    ASSERT_TRUE(read_text(read_room_capacities, every).ok);
    EXPECT_EQ(last_room, 999);
    EXPECT_EQ(first_unnamed_room(), 0);
    EXPECT_EQ(room_capacity[999], 999 % 90);
}

class SectionRecords : public FreshTables {};

TEST_F(SectionRecords, RecordsBecomeEntriesInFileOrder)
{
    load("1|121|2|60|\n4|230|1|35|\n6|110|3|12|\n", "");
    EXPECT_EQ(section_count, 3);
    EXPECT_STREQ(sections[1].course_code, "MTM");
    EXPECT_EQ(sections[1].course_number, 121);
    EXPECT_EQ(sections[1].section_number, 2);
    EXPECT_EQ(sections[1].demand, 60);
    EXPECT_STREQ(sections[2].course_code, "CIC");
    EXPECT_EQ(sections[3].demand, 12);
    EXPECT_EQ(meeting(3, 1).weekday, 0);
}

TEST_F(SectionRecords, ReloadClearsMeetingsKeepsMarksAndLeavesHigherEntries)
{
    load("1|121|1|60|\n1|121|2|30|\n", "1|121|1|K|2|07:30|08:20|\n");
    ASSERT_EQ(meeting(1, 1).first_slot, 1);
    load("1|121|1|60|\n", "");
    EXPECT_EQ(section_count, 1);
    EXPECT_EQ(meeting(1, 1).weekday, 0);
    EXPECT_EQ(meeting(1, 1).first_slot, 0);
    EXPECT_EQ(sections[1].timetable_mark, 'K');
    EXPECT_EQ(sections[2].demand, 30);
    // Fresh tables filled by hand to the same count are searched by their keys, not the last load's index.
    reset_tables();
    section_count = 1;
    sections[1] = {};
    sections[1].course_code = course_code(3);
    sections[1].course_number = 210;
    sections[1].section_number = 4;
    EXPECT_EQ(find_section(course_code(3), 210, 4), 1);
    EXPECT_EQ(find_section(course_code(1), 121, 1), 0);
}

TEST_F(SectionRecords, EmptyFileHasNoSections)
{
    section_count = 5;
    load("", "");
    EXPECT_EQ(section_count, 0);
    load("\n  \n", "");
    EXPECT_EQ(section_count, 0);
}

TEST_F(SectionRecords, CourseTypeOutsideOneToSixOrNegativeDemandIsRefused)
{
    ReadResult result = read_text(read_sections, "1|121|1|60|\n7|121|1|60|\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(result.error, "tipo de disciplina fora de 1..6");
    result = read_text(read_sections, "1|121|1|0|\n1|121|2|-1|\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(result.error, "numero de alunos negativo");
}

TEST_F(SectionRecords, TenThousandthSectionIsRefused)
{
    std::string text;
    for (int i = 1; i <= MAX_SECTIONS; ++i)
        text += "1|100|" + std::to_string(i) + "|10|\n";
    EXPECT_TRUE(read_text(read_sections, text).ok);
    EXPECT_EQ(section_count, 9999);
    // The rules reach the last section as any other.
    last_room = 3;
    room_capacity[1] = room_capacity[2] = room_capacity[3] = 40;
    ReadResult rules_read = read_text(read_rules, "evita|1|100|9999|1|\nsalas|1|100|9999|2-3|\nreservada|3|1|100|9999|\n"
                                                  "prefere|1|100|9999|2|10|\nmesma_sala|5|\n");
    ASSERT_TRUE(rules_read.ok) << rules_read.error;
    EXPECT_TRUE(avoided_rooms[9999][1]);
    EXPECT_FALSE(room_allowed(9999, 1, 1, 1));
    EXPECT_TRUE(room_allowed(9999, 3, 1, 1));
    EXPECT_FALSE(room_allowed(9998, 3, 1, 1));  // reserved for the last section
    ReadResult result = read_text(read_sections, text + "1|100|10000|10|\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 10000);
    EXPECT_EQ(result.error, "mais de 9999 turmas");
}

class InstanceFiles : public InScratchDirectory {};

// The menu loads the instance again for each new solution: a cursos.txt or a semana.txt deleted in between is
// forgotten, not kept from the load before, and no load keeps a file open.
TEST_F(InstanceFiles, EachLoadForgetsTheOptionalFilesOfTheLoadBeforeAndClosesItsOwn)
{
    long open_before = open_descriptor_count();
    write_file("capacidade.txt", "1|40|\n");
    write_file("demanda.txt", "1|121|1|30|\n");
    write_file("horario.txt", "1|121|1|T|2|07:30|08:20|\n");
    write_file("cursos.txt", "7|ELE|\n");
    write_file("semana.txt", "2|07:30|08:20|\n");
    start_console_capture();
    read_instance();
    EXPECT_STREQ(course_code(7), "ELE");
    EXPECT_TRUE(own_week);
    std::filesystem::remove("cursos.txt");
    std::filesystem::remove("semana.txt");
    load_instance();
    console_capture();
    EXPECT_EQ(course_code(7), NO_COURSE_CODE);
    EXPECT_FALSE(own_week);
    EXPECT_EQ(open_descriptor_count(), open_before);
}

class CourseCodes : public FreshTables {};

TEST_F(CourseCodes, CursosTxtRenamesAndAddsTypesOverTheBuiltInOnes)
{
    ASSERT_TRUE(read_text(read_course_codes, "1|MAT|\n7|ELE|\n\n  999 |Z9|  \r\n8|QUI|\n").ok);
    EXPECT_STREQ(course_code(1), "MAT");
    EXPECT_STREQ(course_code(2), "QUI");  // built in, untouched
    EXPECT_STREQ(course_code(7), "ELE");
    EXPECT_STREQ(course_code(999), "Z9");
    EXPECT_NE(course_code(8), course_code(2));  // the same code, two types: matched by type
    EXPECT_EQ(course_code(9), NO_COURSE_CODE);
    load("8|100|1|20|\n2|100|1|30|\n", "2|100|1|T|2|07:30|08:20|\n");
    EXPECT_EQ(meeting(1, 1).weekday, 0);
    EXPECT_EQ(meeting(2, 1).weekday, 2);
    EXPECT_EQ(read_text(read_sections, "9|100|1|20|\n").error, "tipo de disciplina fora de 1..6 e de cursos.txt");
    ASSERT_TRUE(read_text(read_course_codes, "7|ELE|\n").ok);  // every reading starts from the built-in six
    EXPECT_STREQ(course_code(1), "MTM");
    EXPECT_EQ(course_code(999), NO_COURSE_CODE);
    ASSERT_TRUE(read_text(read_course_codes, "999|Z9|\n").ok);
    reset_course_codes();
    EXPECT_EQ(course_code(7), NO_COURSE_CODE);
    EXPECT_EQ(course_code(999), NO_COURSE_CODE);  // the last type too
    EXPECT_EQ(read_text(read_sections, "7|100|1|20|\n").error, "tipo de disciplina fora de 1..6");
}

TEST_F(CourseCodes, EachMistakeIsRefusedWithItsLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {{"1|MTM", "registro mal formado"},
                 {"x|MTM|", "registro mal formado"},
                 {"1 MTM|", "registro mal formado"},
                 {"1|MTM|x", "registro mal formado"},
                 {"0|ABC|", "tipo de disciplina fora do intervalo 1..999"},
                 {"1000|ABC|", "tipo de disciplina fora do intervalo 1..999"},
                 {"-3|ABC|", "tipo de disciplina fora do intervalo 1..999"},
                 {"99999999999999999999|ABC|", "tipo de disciplina fora do intervalo 1..999"},
                 {"7|abc|", "codigo deve ter de 1 a 8 letras maiusculas ou digitos"},
                 {"7||", "codigo deve ter de 1 a 8 letras maiusculas ou digitos"},
                 {"7|ABCDEFGHI|", "codigo deve ter de 1 a 8 letras maiusculas ou digitos"},
                 {"7| ABC|", "codigo deve ter de 1 a 8 letras maiusculas ou digitos"},
                 {"7|\xC1" "BC|", "codigo deve ter de 1 a 8 letras maiusculas ou digitos"},
                 {"7|ABC|\n\n7|ABD|", "tipo 7 repete a linha 2"}};
    for (const auto& c : cases) {
        ReadResult result = read_text(read_course_codes, std::string("1|MAT|\n") + c.text + "\n");
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.error, c.error) << c.text;
        EXPECT_EQ(result.line, std::string(c.text).find("\n\n") == std::string::npos ? 2 : 4) << c.text;
    }
    EXPECT_EQ(read_text(read_course_codes, "1|MAT|\n1|MTM|\n").error, "tipo 1 repete a linha 1");
}

class TimetableRecords : public FreshTables {};

TEST_F(TimetableRecords, BlocksOfTwoWeekdaysMakeTwoMeetings)
{
    load("1|121|2|40|\n",
         "1|121|2|A|2|07:30|08:20|\n1|121|2|A|2|08:20|09:10|\n"
         "1|121|2|A|4|07:30|08:20|\n1|121|2|B|4|08:20|09:10|\n");
    EXPECT_EQ(meeting(1, 1).weekday, 2);
    EXPECT_EQ(meeting(1, 1).earliest_start, 450);
    EXPECT_EQ(meeting(1, 1).latest_start, 500);
    EXPECT_EQ(meeting(1, 1).first_slot, 1);
    EXPECT_EQ(meeting(1, 1).last_slot, 2);
    EXPECT_EQ(meeting(1, 2).weekday, 4);
    EXPECT_EQ(meeting(1, 2).first_slot, 35);
    EXPECT_EQ(meeting(1, 2).last_slot, 36);
    EXPECT_EQ(meeting(1, 1).end_time, 550);  // 09:10, as the line of its last block says
    EXPECT_EQ(sections[1].timetable_mark, 'B');
    EXPECT_EQ(meeting(1, 0).weekday, 0);
}

TEST_F(TimetableRecords, MeetingSpansFromSmallestToLargestStartWhateverTheOrder)
{
    load("1|121|1|40|\n1|121|2|40|\n",
         "1|121|1|T|2|08:20|09:10|\n1|121|1|T|2|07:30|08:20|\n"
         "1|121|2|T|2|07:30|08:20|\n1|121|2|T|2|09:30|10:20|\n1|121|2|T|2|08:20|09:10|\n");
    EXPECT_EQ(meeting(1, 1).earliest_start, 450);
    EXPECT_EQ(meeting(1, 1).latest_start, 500);
    EXPECT_EQ(meeting(2, 1).earliest_start, 450);
    EXPECT_EQ(meeting(2, 1).latest_start, 570);
    EXPECT_EQ(meeting(2, 1).first_slot, 1);
    EXPECT_EQ(meeting(2, 1).last_slot, 3);
}

TEST_F(TimetableRecords, MeetingsAreNumberedByFirstAppearanceNotByDay)
{
    load("2|110|1|40|\n", "2|110|1|T|4|07:30|08:20|\n2|110|1|T|2|07:30|08:20|\n");
    EXPECT_EQ(meeting(1, 1).weekday, 4);
    EXPECT_EQ(meeting(1, 2).weekday, 2);
    EXPECT_EQ(meeting(1, 2).first_slot, 1);
}

TEST_F(TimetableRecords, ThirdWeekdayChangesOnlyTheMark)
{
    load("2|110|1|40|\n",
         "2|110|1|a|2|07:30|08:20|\n2|110|1|b|4|07:30|08:20|\n2|110|1|c|6|09:30|10:20|\n");
    EXPECT_EQ(meeting(1, 1).weekday, 2);
    EXPECT_EQ(meeting(1, 2).weekday, 4);
    EXPECT_EQ(meeting(1, 2).last_slot, 35);
    EXPECT_EQ(sections[1].timetable_mark, 'c');
}

TEST_F(TimetableRecords, SectionWithOneMeetingHasMeetingTwoAbsent)
{
    load("2|110|1|40|\n", "2|110|1|T|7|11:20|12:10|\n");
    EXPECT_EQ(meeting(1, 1).first_slot, 90);
    EXPECT_EQ(meeting(1, 2).weekday, 0);
    EXPECT_EQ(meeting(1, 2).first_slot, 0);
    EXPECT_EQ(meeting(1, 2).last_slot, 0);
}

TEST_F(TimetableRecords, CodesMatchByIdentityOfTheCourseType)
{
    load("1|121|1|40|\n2|121|1|40|\n", "2|121|1|T|3|07:30|08:20|\n");
    EXPECT_EQ(meeting(1, 1).weekday, 0);
    EXPECT_EQ(meeting(2, 1).weekday, 3);
}

TEST_F(TimetableRecords, DuplicateSectionGetsNothingAllRecordsGoToTheFirst)
{
    load("1|121|1|40|\n1|121|1|50|\n", "1|121|1|T|2|07:30|08:20|\n1|121|1|T|3|07:30|08:20|\n");
    EXPECT_EQ(meeting(1, 1).weekday, 2);
    EXPECT_EQ(meeting(1, 2).weekday, 3);
    EXPECT_EQ(meeting(2, 1).weekday, 0);
    EXPECT_EQ(meeting(2, 2).weekday, 0);
}

TEST_F(TimetableRecords, RecordOfAnotherDepartmentIsCheckedForSyntaxOnly)
{
    load("1|121|1|40|\n",
         "1|999|1|T|9|07:31|08:20|\n9|121|1|T|2|00:00|00:00|\n1|121|1|T|2|07:30|08:20|\n");
    EXPECT_EQ(meeting(1, 1).weekday, 2);
    EXPECT_EQ(meeting(1, 2).weekday, 0);
    ReadResult result = read_text(read_timetable, "1|999|1|T|9|07:31|08:20\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "registro incompleto");
}

TEST_F(TimetableRecords, MatchedRecordNeedsATeachingDayAndABlockStart)
{
    load("1|121|1|40|\n", "");
    const char* const bad_weekday[] = {"1|121|1|T|1|07:30|08:20|\n", "1|121|1|T|8|07:30|08:20|\n"};
    for (const char* text : bad_weekday)
        EXPECT_EQ(read_text(read_timetable, text).error, "dia da semana fora de 2..7");
    const char* const bad_start[] = {"1|121|1|T|2|07:31|08:20|\n", "1|121|1|T|2|00:00|08:20|\n",
                                     "1|121|1|T|7|12:10|13:00|\n", "1|121|1|T|2|99999999:00|0:0|\n",
                                     "1|121|1|T|2|06:90|08:20|\n", "1|121|1|T|2|08:-30|08:20|\n",
                                     "1|121|1|T|2|-1:510|08:20|\n", "1|121|1|T|2|24:-990|08:20|\n"};
    for (const char* text : bad_start)
        EXPECT_EQ(read_text(read_timetable, text).error, "inicio fora dos blocos de aula desse dia");
}

TEST_F(TimetableRecords, ThirdWeekdayIsValidatedToo)
{
    load("1|121|1|40|\n", "");
    ReadResult result = read_text(read_timetable,
                                  "1|121|1|T|2|07:30|08:20|\n1|121|1|T|3|07:30|08:20|\n"
                                  "1|121|1|T|4|07:35|08:20|\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 3);
}

TEST_F(TimetableRecords, LastRecordWithoutLineEndReadsTheSame)
{
    load("1|121|1|40|\n", "1|121|1|T|2|07:30|08:20|\n1|121|1|T|2|08:20|09:10|");
    EXPECT_EQ(meeting(1, 1).last_slot, 2);
}

TEST_F(TimetableRecords, AnyCharacterIsAMark)
{
    load("1|121|1|40|\n", "1|121|1|||2|07:30|08:20|\n");
    EXPECT_EQ(sections[1].timetable_mark, '|');
    load("1|121|1|40|\n", "1|121|1| |2|07:30|08:20|\n");
    EXPECT_EQ(sections[1].timetable_mark, ' ');
}

TEST_F(TimetableRecords, EndIsTheLastBlockLinesWhenThatIsOneBlockAndTheRoomIsHeldUntilThen)
{
    // A line that is not one block ends where its block's interval does:
    // 50 minutes on, or at the next block's start when that comes sooner.
    // The meeting holds every block of its day that starts before its end.
    const struct {
        const char* lines;
        int32_t end;
        int last_slot;
    } cases[] = {
        {"1|121|1|T|2|08:20|09:05|\n1|121|1|T|2|07:30|08:20|\n", 545, 2},    // the last block's line, read first
        {"1|121|1|T|3|18:30|19:20|\n", 1160, 31},                             // 18:30 to 19:20 holds 19:00 too
        {"1|121|1|T|3|18:30|19:20|\n1|121|1|T|3|07:30|08:20|\n", 1160, 31},  // the last block, not the last line
        {"1|121|1|T|3|17:40|18:30|\n", 1110, 29},                             // ending as 18:30 starts
        {"1|121|1|T|3|17:40|18:31|\n", 1111, 30},                             // a minute into 18:30
        {"1|121|1|T|3|17:40|19:10|\n", 1150, 31},                             // one block still, reaching 19:00
        {"1|121|1|T|3|18:30|20:00|\n", 1140, 30},                             // not one block: 18:30 ends at 19:00
        {"1|121|1|T|3|07:30|09:10|\n", 500, 18},                              // two blocks on a line: 07:30 + 50
        {"1|121|1|T|3|07:30|07:30|\n", 500, 18},                              // no later than its start
        {"1|121|1|T|6|21:50|23:59|\n", 1439, 85},                             // the day's last block
        {"1|121|1|T|7|11:20|12:00|\n1|121|1|T|7|11:20|12:05|\n", 725, 90},   // the later of two lines
        {"1|121|1|T|2|07:30|99999999:00|\n", 500, 1},                         // beyond 32 bits in minutes
    };
    for (const auto& c : cases) {
        load("1|121|1|40|\n", c.lines);
        EXPECT_EQ(meeting(1, 1).end_time, c.end) << c.lines;
        EXPECT_EQ(meeting(1, 1).last_slot, c.last_slot) << c.lines;
    }
}

class InstanceDigest : public FreshTables {};

// A plan records the digest of the data it was made for: each field a plan
// depends on changes it, those of sv, the last room, the last section's
// seventh meeting and the last rule included; the same data give it back.
TEST_F(InstanceDigest, EachFieldAPlanDependsOnChangesIt)
{
    load_three_section_example();
    std::snprintf(room_names[LAST_ROOM].data(), room_names[LAST_ROOM].size(), "Lab");
    sections[3].course_code = "MTM";
    for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m) {
        Meeting& meeting = sections[3].meetings[m];
        meeting.weekday = m;
        meeting.earliest_start = 480;
        meeting.end_time = 580;
        meeting.first_slot = 10 * m;
        meeting.last_slot = 10 * m + 1;
    }
    features.count = 1;
    std::snprintf(features.names[0].data(), features.names[0].size(), "projetor");
    RoomSet last;
    last.set(LAST_ROOM);
    rules[0] = {RuleKind::Avoid, 1, 3, 0, 0, 0, 0, 0};
    rules[1] = {RuleKind::Feature, 2, 0, 0, 0, 0, 0, 0, keep_room_set(last), {1, 121, 1}, 0};
    rule_count = 2;
    Meeting& seventh = sections[3].meetings[MAX_MEETINGS];
    Rule& rule = rules[1];
    int32_t* fields[] = {&slot_count, &week_slots[slot_count].weekday, &week_slots[slot_count].start,
                         &week_slots[slot_count].end, &last_room, &room_capacity[OVERFLOW_COLUMN],
                         &room_capacity[LAST_ROOM], &section_count, &sections[3].course_number,
                         &sections[3].section_number, &sections[3].demand, &seventh.weekday,
                         &seventh.earliest_start, &seventh.end_time, &seventh.first_slot, &seventh.last_slot,
                         &excess_weight, &idle_weight, &rule_count, &rule.section, &rule.room, &rule.weekday,
                         &rule.from, &rule.to, &rule.weight, &rule.selector.type, &rule.selector.course,
                         &rule.selector.number, &rule.feature};
    const uint64_t digest = instance_digest();
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        int32_t kept = *fields[i];
        *fields[i] = kept - 1;
        EXPECT_NE(instance_digest(), digest) << "field " << i;
        *fields[i] = kept;
        EXPECT_EQ(instance_digest(), digest) << "field " << i;
    }
    rule.kind = RuleKind::Prefer;
    EXPECT_NE(instance_digest(), digest);
    rule.kind = RuleKind::Feature;
    rule.rooms = NO_ROOM_SET;
    EXPECT_NE(instance_digest(), digest);
    rule.rooms = keep_room_set(last);
    features.names[0][0] = 'P';
    EXPECT_NE(instance_digest(), digest);
    features.names[0][0] = 'p';
    sections[3].course_code = "FIS";
    EXPECT_NE(instance_digest(), digest);
    sections[3].course_code = "MTM";
    room_names[LAST_ROOM][0] = 'l';
    EXPECT_NE(instance_digest(), digest);
    room_names[LAST_ROOM][0] = 'L';
    EXPECT_EQ(instance_digest(), digest);
}

class OwnWeek : public FreshTables {};

TEST_F(OwnWeek, BlocksBecomeSlotsByWeekdayThenStart)
{
    ASSERT_TRUE(read_text(read_week, "2|13:30|15:10|\n\n1|10:00|11:40|\n2|08:00|09:40|\n7|08:00|08:01|\n").ok);
    EXPECT_TRUE(own_week);
    EXPECT_EQ(slot_count, 4);
    const WeekSlot expected[] = {{1, 600, 700}, {2, 480, 580}, {2, 810, 910}, {7, 480, 481}};
    for (int slot = 1; slot <= 4; ++slot) {
        EXPECT_EQ(slot_weekday(slot), expected[slot - 1].weekday) << slot;
        EXPECT_EQ(slot_start(slot), expected[slot - 1].start) << slot;
        EXPECT_EQ(slot_end(slot), expected[slot - 1].end) << slot;
    }
    EXPECT_EQ(day_slots_of(3).first, 2);
    EXPECT_EQ(day_slots_of(3).last, 3);
    EXPECT_TRUE(is_day_off(3));
    EXPECT_FALSE(is_day_off(SUNDAY));
    EXPECT_EQ(weekly_slot(810, 2), 3);
    EXPECT_EQ(weekly_slot(450, 2), NO_SLOT);
    // 48 half-hour blocks on each of the seven days: the largest week, 336 slots.
    std::string full;
    char line[32];
    for (int weekday = 1; weekday <= 7; ++weekday)
        for (int block = 0; block < 48; ++block) {
            std::snprintf(line, sizeof line, "%d|%02d:%02d|%02d:%02d|\n", weekday, block / 2, block % 2 * 30,
                          block / 2, block % 2 * 30 + 29);
            full += line;
        }
    ASSERT_TRUE(read_text(read_week, full).ok);
    EXPECT_EQ(slot_count, 336);
    EXPECT_EQ(slot_start(336), 23 * 60 + 30);
    EXPECT_EQ(slot_weekday(336), SATURDAY);
    ReadResult more = read_text(read_week, full + "3|23:59|23:59|\n");
    EXPECT_EQ(more.error, "bloco termina antes de comecar");
    ASSERT_TRUE(read_text(read_week, "4|10:00|10:50|\n").ok);  // the smallest week
    EXPECT_EQ(slot_count, 1);
    EXPECT_EQ(day_slots_of(1).first, 1);
    EXPECT_EQ(day_slots_of(1).last, 1);
    EXPECT_TRUE(is_day_off(MONDAY));
    use_standard_week();
    EXPECT_FALSE(own_week);
    EXPECT_EQ(slot_count, 90);
    EXPECT_TRUE(read_text(read_week, "\n\n").ok);  // no block: the loader refuses the file whole
    EXPECT_FALSE(own_week);
}

TEST_F(OwnWeek, EachMistakeInSemanaTxtIsRefusedWithItsLine)
{
    const struct {
        const char* text;
        const char* error;
        int64_t line;
    } cases[] = {
        {"2|08:00|09:40", "registro mal formado", 1},
        {"2|08:00|09:40|x", "registro mal formado", 1},
        {"2|0800|09:40|", "registro mal formado", 1},
        {"0|08:00|09:40|", "dia da semana fora do intervalo 1..7", 1},
        {"8|08:00|09:40|", "dia da semana fora do intervalo 1..7", 1},
        {"2|24:00|24:50|", "horario invalido", 1},
        {"2|08:60|09:40|", "horario invalido", 1},
        {"2|08:00|-9:40|", "horario invalido", 1},
        {"2|99999999:00|09:40|", "horario invalido", 1},
        {"2|08:00|08:00|", "bloco termina antes de comecar", 1},
        {"2|09:40|08:00|", "bloco termina antes de comecar", 1},
        {"2|08:00|09:40|\n3|08:00|09:40|\n\n2|09:39|10:00|", "bloco sobreposto ao da linha 1", 4},
        {"2|08:00|09:40|\n2|07:00|12:00|", "bloco sobreposto ao da linha 1", 2},
        {"2|08:00|09:40|\n2|09:40|10:00|\n2|07:00|08:01|", "bloco sobreposto ao da linha 1", 3},
    };
    for (const auto& c : cases) {
        ReadResult result = read_text(read_week, std::string(c.text) + "\n");
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.error, c.error) << c.text;
        EXPECT_EQ(result.line, c.line) << c.text;
    }
    std::string day;
    char line[32];
    for (int block = 0; block < 49; ++block) {
        std::snprintf(line, sizeof line, "4|%02d:%02d|%02d:%02d|\n", block / 3, block % 3 * 20, block / 3,
                      block % 3 * 20 + 10);
        day += line;
    }
    ReadResult crowded = read_text(read_week, day);
    EXPECT_EQ(crowded.error, "mais de 48 blocos nesse dia");
    EXPECT_EQ(crowded.line, 49);
}

TEST_F(OwnWeek, LinesOfAWeekdayMakeOneMeetingOverEveryBlockTheyMeet)
{
    // Monday 08:00-09:40, 09:50-11:30, 13:30-15:10; Tuesday 08:00-09:40;
    // Sunday 10:00-11:40; Wednesday to Saturday 19:00-20:40, and Saturday 22:00-23:59.
    const char* week = "2|08:00|09:40|\n2|09:50|11:30|\n2|13:30|15:10|\n3|08:00|09:40|\n1|10:00|11:40|\n"
                       "4|19:00|20:40|\n5|19:00|20:40|\n6|19:00|20:40|\n7|19:00|20:40|\n7|22:00|23:59|\n";
    const struct {
        const char* lines;
        int m;
        int32_t weekday, first_slot, last_slot, start, end;
    } cases[] = {
        {"1|121|1|T|2|08:30|10:00|\n", 1, 2, 2, 3, 510, 600},                      // meets two blocks
        {"1|121|1|T|2|08:00|09:50|\n", 1, 2, 2, 2, 480, 590},                      // ends as 09:50 starts
        {"1|121|1|T|2|08:00|09:51|\n", 1, 2, 2, 3, 480, 591},                      // a minute into it
        {"1|121|1|T|2|09:40|09:50|\n", 1, 2, NO_SLOT, 0, 0, 0},                   // between blocks: refused below
        // A gap between blocks belongs to the block before it, so classes whose times overlap share a slot:
        {"1|121|1|T|2|09:41|11:30|\n", 1, 2, 2, 3, 581, 690},                      // a minute into the gap
        {"1|121|1|T|2|08:00|09:45|\n", 1, 2, 2, 2, 480, 585},                      // ends in the gap
        {"1|121|1|T|2|11:31|13:31|\n", 1, 2, 3, 4, 691, 811},                      // and a minute into the next
        {"1|121|1|T|2|15:09|17:00|\n", 1, 2, 4, 4, 909, 1020},                     // the day's last block
        {"1|121|1|T|7|23:40|23:59|\n", 1, 7, 10, 10, 1420, 1439},                  // held up to midnight
        {"1|121|1|T|3|09:00|12:00|\n", 1, 3, 5, 5, 540, 720},                      // a weekday of one block
        {"1|121|1|T|2|13:30|15:10|\n1|121|1|T|2|08:00|09:40|\n", 1, 2, 2, 4, 480, 910},  // the last block first
        {"1|121|1|T|1|11:39|12:30|\n", 1, 1, 1, 1, 699, 750},                      // Sunday, by one minute
        {"1|121|1|T|2|08:00|09:40|\n1|121|1|T|3|08:00|09:40|\n1|121|1|T|4|19:00|20:40|\n"
         "1|121|1|T|5|19:00|20:40|\n1|121|1|T|7|19:00|20:00|\n", 5, 7, 9, 9, 1140, 1200},  // a fifth weekday
    };
    for (const auto& c : cases) {
        reset_tables();
        ASSERT_TRUE(read_text(read_week, week).ok);
        ASSERT_TRUE(read_text(read_sections, "1|121|1|40|\n").ok);
        ReadResult result = read_text(read_timetable, c.lines);
        if (c.first_slot == NO_SLOT) {
            EXPECT_EQ(result.error, "horario fora dos blocos de aula desse dia") << c.lines;
            continue;
        }
        ASSERT_TRUE(result.ok) << c.lines << result.error;
        EXPECT_EQ(meeting(1, c.m).weekday, c.weekday) << c.lines;
        EXPECT_EQ(meeting(1, c.m).first_slot, c.first_slot) << c.lines;
        EXPECT_EQ(meeting(1, c.m).last_slot, c.last_slot) << c.lines;
        EXPECT_EQ(meeting(1, c.m).earliest_start, c.start) << c.lines;
        EXPECT_EQ(meeting(1, c.m).end_time, c.end) << c.lines;
    }
    EXPECT_EQ(meeting(1, 4).weekday, 5);
    EXPECT_EQ(meeting(1, 6).weekday, 0);
    EXPECT_EQ(sections[1].timetable_mark, 'T');  // the mark is kept under the own week too
    const struct {
        const char* line;
        const char* error;
    } refused[] = {
        {"1|121|1|T|0|08:00|09:40|", "dia da semana fora do intervalo 1..7"},
        {"1|121|1|T|8|08:00|09:40|", "dia da semana fora do intervalo 1..7"},
        {"1|121|1|T|2|08:00|24:00|", "horario invalido"},
        {"1|121|1|T|2|-1:00|09:40|", "horario invalido"},
        {"1|121|1|T|2|08:00|99999999:00|", "horario invalido"},
        {"1|121|1|T|2|08:60|09:40|", "horario invalido"},
        {"1|121|1|T|2|08:00|09:60|", "horario invalido"},
        {"1|121|1|T|2|09:40|09:40|", "termina antes de comecar"},
        {"1|121|1|T|2|10:00|09:00|", "termina antes de comecar"},
        {"1|121|1|T|3|11:30|12:00|", "horario fora dos blocos de aula desse dia"},
    };
    for (const auto& c : refused)
        EXPECT_EQ(read_text(read_timetable, std::string(c.line) + "\n").error, c.error) << c.line;
    reset_tables();
    ASSERT_TRUE(read_text(read_week, "3|08:00|09:40|\n").ok);
    ASSERT_TRUE(read_text(read_sections, "1|121|1|40|\n").ok);
    EXPECT_EQ(read_text(read_timetable, "1|121|1|T|2|08:00|09:40|\n").error, "dia sem blocos em semana.txt");
}

class LoadWarnings : public FreshTables {
protected:
    // Loads the two files, then lists the warnings of the timetable read again.
    std::string warnings_of(const std::string& demands, const std::string& timetable)
    {
        load(demands, timetable);
        std::FILE* stream = text_stream(timetable);
        std::string said;
        int count = list_load_warnings(
            stream, [](const char* text, void* context) { *static_cast<std::string*>(context) += text; }, &said);
        std::fclose(stream);
        EXPECT_EQ(count, std::count(said.begin(), said.end(), '\n'));
        return said;
    }
};

TEST_F(LoadWarnings, EachMistakeIsNamedWithItsFileLineAndClassInOrder)
{
    // The day's last block held past its end: both clocks as written.
    EXPECT_EQ(warnings_of("1|121|1|40|\n", "1|121|1|T|2|21:00|21:55|\n"),
              "Aviso: horario.txt, linha 1: turma MTM 121-1, segunda-feira, termina as 21:55; a sala fica reservada "
              "ate o bloco das 21:50.\n");
    std::string demands = "1|121|1|90|\n"  // its timetable has a typo: 112
                          "2|110|1|40|\n"
                          "\n"
                          "3|200|2|30|\n"
                          "4|300|1|25|\n"
                          "2|110|1|50|\n";  // line 2 again
    std::string timetable = "1|112|1|T|2|07:30|08:20|\n"
                            "2|110|1|T|2|07:30|08:20|\n"
                            "2|110|1|T|4|07:30|08:20|\n"
                            "2|110|1|T|6|07:30|08:20|\n"   // a third weekday
                            "3|200|2|T|3|07:30|09:10|\n"   // two blocks on one line
                            "3|200|2|T|3|09:30|10:20|\n"   // so 08:20 has no line
                            "4|300|1|T|2|07:30|08:20|\n"   // a lecture and a lab on one Monday
                            "4|300|1|T|2|15:00|15:50|\n"
                            "5|999|1|T|9|07:31|08:20|\n"   // another department's
                            "2|110|1|T|6|09:30|-5:07|\n"   // a third weekday only
                            "4|300|1|T|2|15:50|-5:07|\n"   // an end before the start
                            "3|200|2|T|5|18:30|19:20|\n"   // holds the 19:00 block too
                            "3|200|2|T|5|17:40|18:30|\n";
    // regras.txt: a pin of the section without timetable, a closure of no
    // block (Saturday afternoon), and a closure and an avoidance that act.
    rules[rule_count++] = {RuleKind::Pin, 3, 1, 2, 0, 0, 0, 0};
    rules[rule_count++] = {RuleKind::Closed, 4, 0, 1, SATURDAY, 13 * 60, 18 * 60, 0};
    rules[rule_count++] = {RuleKind::Closed, 5, 0, 1, SATURDAY, 11 * 60, 11 * 60 + 30, 0};
    rules[rule_count++] = {RuleKind::Avoid, 6, 2, 1, 0, 0, 0, 0};
    // Rules for sections by a field or three: those that name none are said, a type without a code
    // by its number.
    const SectionSelector selectors[] = {{ANY_FIELD, ANY_FIELD, 2}, {ANY_FIELD, ANY_FIELD, 3}, {ANY_FIELD, 200, ANY_FIELD},
                                         {ANY_FIELD, 201, ANY_FIELD}, {3, ANY_FIELD, ANY_FIELD}, {5, ANY_FIELD, ANY_FIELD},
                                         {3, 121, ANY_FIELD}, {3, 200, 2}, {7, ANY_FIELD, ANY_FIELD}};
    for (const SectionSelector& selector : selectors) {
        rules[rule_count] = {RuleKind::Avoid, 7 + rule_count - 4, 0, 0, 0, 0, 0, 0};
        rules[rule_count++].selector = selector;
    }
    EXPECT_EQ(warnings_of(demands, timetable),
              "Aviso: horario.txt, linha 4: turma QUI 110-1 ja tem dois dias; este dia fica de fora.\n"
              "Aviso: horario.txt, linha 5: 07:30 a 09:10 nao e um bloco de aula; cada bloco tem a sua linha.\n"
              "Aviso: horario.txt, linha 10: turma QUI 110-1 ja tem dois dias; este dia fica de fora.\n"
              "Aviso: horario.txt, linha 11: 15:50 a -5:07 nao e um bloco de aula; cada bloco tem a sua linha.\n"
              "Aviso: horario.txt, linha 12: turma FIS 200-2, quinta-feira, termina as 19:20; a sala fica reservada "
              "ate o bloco das 19:00.\n"
              "Aviso: demanda.txt, linha 1: turma MTM 121-1 sem horario em horario.txt; fica sem sala.\n"
              "Aviso: turma FIS 200-2, terca-feira: blocos nao consecutivos; a sala fica reservada do bloco das "
              "07:30 ao das 09:30.\n"
              "Aviso: turma CIC 300-1, segunda-feira: blocos nao consecutivos; a sala fica reservada do bloco das "
              "07:30 ao das 15:50.\n"
              "Aviso: demanda.txt, linha 6: turma QUI 110-1 repete a linha 2; fica sem horario e sem sala.\n"
              "Aviso: horario.txt: 2 linhas de turmas fora de demanda.txt (a primeira na linha 1); ignoradas.\n"
              "Aviso: regras.txt, linha 3: turma MTM 121-1 sem horario em horario.txt; regra sem efeito.\n"
              "Aviso: regras.txt, linha 4: nenhum bloco de aula comeca nesse intervalo; regra sem efeito.\n"
              "Aviso: regras.txt, linha 8: nenhuma turma de demanda.txt e *|*|3; regra sem efeito.\n"
              "Aviso: regras.txt, linha 10: nenhuma turma de demanda.txt e *|201|*; regra sem efeito.\n"
              "Aviso: regras.txt, linha 12: nenhuma turma de demanda.txt e COM|*|*; regra sem efeito.\n"
              "Aviso: regras.txt, linha 13: nenhuma turma de demanda.txt e FIS|121|*; regra sem efeito.\n"
              "Aviso: regras.txt, linha 15: nenhuma turma de demanda.txt e 7|*|*; regra sem efeito.\n");
}

TEST_F(LoadWarnings, OneUnmatchedLineIsNamedAndACleanInstanceHasNone)
{
    EXPECT_EQ(warnings_of("1|121|1|40|\n", "1|121|1|T|2|07:30|08:20|\n\n1|121|2|T|2|07:30|08:20|\n"),
              "Aviso: horario.txt, linha 3: turma fora de demanda.txt; linha ignorada.\n");
    EXPECT_EQ(warnings_of("1|121|1|40|\n6|1|1|5|\n",
                          "1|121|1|T|7|11:20|13:00|\n1|121|1|T|3|18:30|19:20|\n1|121|1|T|3|19:00|19:50|\n"
                          "1|121|1|T|7|10:20|11:10|\n6|1|1|T|6|21:50|23:59|\n"),
              "");
}

TEST_F(LoadWarnings, UnderTheOwnWeekOnlyHolesAndIdleClosuresAreNamed)
{
    ASSERT_TRUE(read_text(read_week, "1|10:00|11:40|\n2|08:00|09:40|\n2|09:50|11:30|\n2|13:30|15:10|\n"
                                     "3|08:00|09:40|\n4|08:00|09:40|\n").ok);
    rules[rule_count++] = {RuleKind::Closed, 1, 0, 1, SUNDAY, 11 * 60 + 39, 12 * 60, 0};  // a minute of 10:00's block
    rules[rule_count++] = {RuleKind::Closed, 2, 0, 1, MONDAY, 11 * 60 + 30, 13 * 60 + 30, 0};  // between blocks
    EXPECT_TRUE(closure_covers(rules[0], 1));
    EXPECT_FALSE(closure_covers(rules[1], 3));
    EXPECT_FALSE(closure_covers(rules[1], 4));
    EXPECT_EQ(warnings_of("1|121|1|40|\n1|121|2|40|\n",
                          "1|121|1|T|2|08:00|08:50|\n"    // two lines a block apart
                          "1|121|1|T|2|13:30|15:10|\n"
                          "1|121|1|T|3|08:00|09:00|\n"    // a third and a fourth weekday, not a block
                          "1|121|1|T|4|08:00|09:40|\n"
                          "1|121|1|T|1|10:00|12:00|\n"    // Sunday, past its block
                          "1|121|2|T|1|11:00|11:10|\n"
                          "1|121|2|T|1|10:00|10:30|\n"   // two lines within one block
                          "1|121|2|T|2|09:45|11:00|\n"),  // from a gap: its room is held from 08:00, no hole
              "Aviso: turma MTM 121-1, segunda-feira: blocos nao consecutivos; a sala fica reservada do bloco das "
              "08:00 ao das 13:30.\n"
              "Aviso: regras.txt, linha 2: nenhum bloco de aula cai nesse intervalo; regra sem efeito.\n");
    EXPECT_EQ(meeting(1, 4).weekday, SUNDAY);
    EXPECT_EQ(meeting(1, 4).end_time, 12 * 60);
    EXPECT_EQ(meeting(2, 2).first_slot, 2);
    // A closure of an own week takes Sunday, and names 1..7 when it refuses a weekday.
    EXPECT_TRUE(read_text(read_rules, "fechada|1|1|10:30|10:40|\n").ok);
    EXPECT_TRUE(read_text(read_rules, "fechada|1|1|18:00|24:00|\n").ok);  // to the day's end
    EXPECT_TRUE(read_text(read_rules, "fechada|1|1|7:30|9:00|\n").ok);    // an hour of one digit
    EXPECT_EQ(read_text(read_rules, "fechada|1|0|10:30|10:40|\n").error,
              "dia da semana deve ser um numero de 1 (domingo) a 7 (sabado)");
    EXPECT_STREQ(weekday_name(meeting(1, 4).weekday), "domingo");
    // A class of all seven weekdays: the hole of its seventh meeting is named too.
    reset_tables();
    std::string days = "7|10:00|11:40|\n7|13:00|14:40|\n", times;
    for (int day = SUNDAY; day <= SATURDAY; ++day) {
        days += std::to_string(day) + "|08:00|09:40|\n";
        times += "1|121|1|T|" + std::to_string(day) + "|08:00|09:40|\n";
    }
    ASSERT_TRUE(read_text(read_week, days).ok);
    ASSERT_TRUE(read_text(read_rules, "").ok);
    EXPECT_EQ(warnings_of("1|121|1|40|\n", times + "1|121|1|T|7|13:00|13:50|\n"),
              "Aviso: turma MTM 121-1, sabado: blocos nao consecutivos; a sala fica reservada do bloco das 08:00 ao das "
              "13:00.\n");
}

class RoomRules : public FreshTables {
protected:
    // Sections 1 (MTM 121-1: Monday 07:30-09:10, Wednesday 07:30-08:20),
    // 2 (FIS 210-1: Monday 08:20-09:10) and 3 (MTM 121-2: Friday 10:20).
    void SetUp() override
    {
        FreshTables::SetUp();
        load("1|121|1|40|\n3|210|1|30|\n1|121|2|20|\n",
             "1|121|1|T|2|07:30|08:20|\n1|121|1|T|2|08:20|09:10|\n1|121|1|T|4|07:30|08:20|\n"
             "3|210|1|T|2|08:20|09:10|\n1|121|2|T|6|10:20|11:10|\n");
    }
};

TEST_F(RoomRules, RecordsFillTheTablesAndCommentsAndBlankLinesAreSkipped)
{
    // A course type by its code reads as by its number: "FIS" is type 3.
    ReadResult result = read_text(read_rules, "# regras\n\nfixa|1|121|1|3|\n  evita | FIS | 210 | 1 | 3 |\nevita|3|210|1|5|\n"
                                              "fechada|2|6|09:30|11:10|\r\nmesma_sala|30|\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(rule_count, 5);
    EXPECT_EQ(rules[0].line, 3);
    EXPECT_EQ(pinned_room[1], 3);
    EXPECT_EQ(pinned_grid[1][3], 1);
    EXPECT_EQ(pinned_grid[2][3], 1);
    EXPECT_EQ(pinned_grid[35][3], 1);
    EXPECT_EQ(pinned_grid[3][3], 0);
    EXPECT_TRUE(avoided_rooms[2][3] && avoided_rooms[2][5] && !avoided_rooms[2][4]);
    // Friday is slots 69..85: 09:30 and 10:20 are its blocks 3 and 4; the block of 11:20 stays open.
    for (int slot = 69; slot <= 85; ++slot)
        EXPECT_EQ(closed_cells[slot][2], slot == 71 || slot == 72) << slot;
    EXPECT_EQ(closed_rows_up_to[70], 0);
    EXPECT_EQ(closed_rows_up_to[71], 1);
    EXPECT_EQ(closed_rows_up_to[90], 2);
    EXPECT_EQ(same_room_weight, 30);
    EXPECT_FALSE(room_allowed(1, 2, 1, 2));
    EXPECT_FALSE(room_allowed(2, 5, 2, 2));
    EXPECT_FALSE(room_allowed(3, 2, 72, 72));
    EXPECT_TRUE(room_allowed(3, 2, 73, 73));
    apply_rules(0);  // without the pin
    EXPECT_EQ(pinned_room[1], 0);
    EXPECT_EQ(pinned_grid[1][3], 0);
    EXPECT_TRUE(avoided_rooms[2][5]);
    apply_rules();
    EXPECT_EQ(pinned_room[1], 3);
}

TEST_F(RoomRules, SetsFeaturesAndStarsNameRoomsAndSectionsAndPreferencesArePriced)
{
    // A feature may be named before its recurso lines, which add up, and is
    // compared without case; a range runs from 1 to the last room.
    ReadResult result = read_text(read_rules, "salas|MTM|121|*|laboratorio,7|\n"
                                              "recurso|1-2|laboratorio|\nrecurso|5|Laboratorio|\n"
                                              "evita|*|*|*|7|\n"
                                              "reservada|6|FIS|*|*|\n"
                                              "prefere|FIS|210|1|1,2|10|\nprefere|*|*|*|1-1|5|\n"
                                              "fixa|1|121|*|2|\n");
    ASSERT_TRUE(result.ok) << result.error << " at " << result.line;
    EXPECT_EQ(features.count, 1);
    auto avoided = [](int32_t section) {
        std::string rooms;
        for (int room = 0; room <= last_room; ++room)
            rooms += avoided_rooms[section][static_cast<std::size_t>(room)] ? '1' : '0';
        return rooms;
    };
    EXPECT_EQ(avoided(1), "00011011");  // MTM 121: the labs 1, 2, 5 and room 7, which everyone avoids; 6 is FIS's
    EXPECT_EQ(avoided(3), "00011011");
    EXPECT_EQ(avoided(2), "00000001");  // FIS 210-1 owns room 6
    EXPECT_TRUE(sections_with_room_rules[2]);
    EXPECT_EQ(pinned_room[1], 2);  // "*" in turma pins each section of the course
    EXPECT_EQ(pinned_room[3], 2);
    EXPECT_EQ(pinned_room[2], 0);
    // Each meeting outside a preference's rooms pays its weight, sv included; preferences add up.
    EXPECT_EQ(preference_price(2, 1), 0);
    EXPECT_EQ(preference_price(2, 2), 5);
    EXPECT_EQ(preference_price(2, 3), 15);
    EXPECT_EQ(preference_price(2, OVERFLOW_COLUMN), 15);
    EXPECT_EQ(preference_price(1, 1), 0);
    EXPECT_EQ(preference_price(1, 2), 5);
    EXPECT_EQ(preference_profile[1], preference_profile[3]);  // the same lines: one profile
    EXPECT_NE(preference_profile[1], preference_profile[2]);
    apply_rules(5);  // without the first preference, FIS 210-1 prices as the others
    EXPECT_EQ(preference_price(2, 3), 5);
    EXPECT_EQ(preference_profile[1], preference_profile[2]);
    apply_rules();
    // A line of 4095 characters, the longest, is read.
    EXPECT_TRUE(read_text(read_rules, std::string(1, '#').append(4094, 'x').append("\nmesma_sala|1|\n")).ok);
    // A preference on the file's first line counts as any other.
    ASSERT_TRUE(read_text(read_rules, "prefere|1|121|1|1|9|\n").ok);
    EXPECT_EQ(preference_price(1, 2), 9);
    EXPECT_EQ(preference_price(1, last_room), 9);
    EXPECT_EQ(preference_price(1, 1), 0);
    // "*" for the rooms is every room from 1 to the last, and not sv.
    ASSERT_TRUE(read_text(read_rules, "prefere|1|121|1|*|9|\n").ok);
    for (int room = 1; room <= last_room; ++room)
        EXPECT_EQ(preference_price(1, room), 0) << room;
    EXPECT_EQ(preference_price(1, OVERFLOW_COLUMN), 9);
    // A "*" that names no section reads, without effect (a warning says so).
    EXPECT_TRUE(read_text(read_rules, "evita|CBI|*|*|3|\nreservada|4|QUI|999|*|\n").ok);
    EXPECT_EQ(avoided(2), "00001000");  // room 4 is reserved for sections there are none of
    // A rule for sections by "*" is broken by a section it names, in any row.
    ASSERT_TRUE(read_text(read_rules, "evita|MTM|*|*|3|\n").ok);
    static AllocationGrid grid{};
    grid[2][3] = 2;  // FIS 210-1 in room 3: not named
    EXPECT_FALSE(find_breach(grid, rules[0]).broken);
    const int friday = sections[3].meetings[FIRST_MEETING].first_slot;
    grid[friday][3] = 3;  // MTM 121-2 in room 3 on Friday
    RuleBreach breach = find_breach(grid, rules[0]);
    EXPECT_TRUE(breach.broken);
    EXPECT_EQ(breach.row, friday);
    EXPECT_EQ(breach.room, 3);
    EXPECT_EQ(breach.section, 3);
    grid[friday][3] = 0;
    grid[slot_count][3] = 3;  // in the week's last slot
    EXPECT_EQ(find_breach(grid, rules[0]).row, slot_count);
    grid[slot_count][3] = 0;
    grid[friday][3] = 3;
    // A pinned section in sv breaks its pin there, in column 0.
    ASSERT_TRUE(read_text(read_rules, "fixa|1|121|2|3|\n").ok);
    EXPECT_FALSE(find_breach(grid, rules[0]).broken);
    grid[friday][3] = 0;
    grid[friday][OVERFLOW_COLUMN] = 3;
    breach = find_breach(grid, rules[0]);
    EXPECT_TRUE(breach.broken);
    EXPECT_EQ(breach.row, friday);
    EXPECT_EQ(breach.room, OVERFLOW_COLUMN);
    grid[friday][OVERFLOW_COLUMN] = 0;
    grid[friday][last_room] = 3;  // and in the last room, named there
    EXPECT_EQ(find_breach(grid, rules[0]).room, last_room);
    grid[friday][last_room] = 0;
    grid[friday][OVERFLOW_COLUMN] = 3;
    // A pin of every section of a course is broken by the first that breaks
    // it, though one after it keeps it: MTM 121-1 is out of room 3.
    ASSERT_TRUE(read_text(read_rules, "fixa|1|121|*|3|\n").ok);
    grid[friday][OVERFLOW_COLUMN] = 0;
    grid[friday][3] = 3;
    breach = find_breach(grid, rules[0]);
    EXPECT_TRUE(breach.broken);
    EXPECT_EQ(breach.section, 1);
    // A room reserved for one section is broken by another in it (FIS 210-1), not by that one.
    ASSERT_TRUE(read_text(read_rules, "reservada|3|1|121|2|\n").ok);
    breach = find_breach(grid, rules[0]);
    EXPECT_TRUE(breach.broken);
    EXPECT_EQ(breach.section, 2);
    EXPECT_EQ(breach.row, 2);
    // A pin of every section (which the reader refuses, as two meet at once) broken by two at
    // the same row is broken by the first section.
    const Rule pin_all{RuleKind::Pin, 1, 0, 3, 0, 0, 0, 0, NO_ROOM_SET, {ANY_FIELD, ANY_FIELD, ANY_FIELD}};
    static AllocationGrid tied{};
    tied[1][3] = 1;  // MTM 121-1 in room 3 at 07:30, then in room 4 at 08:20 beside FIS 210-1 in room 5
    tied[2][4] = 1;
    tied[2][5] = 2;
    breach = find_breach(tied, pin_all);
    EXPECT_EQ(breach.row, 2);
    EXPECT_EQ(breach.section, 1);
    // The same restriction as evita lines and as a salas line is the same table.
    ASSERT_TRUE(read_text(read_rules, "evita|1|121|1|1-3|\nevita|1|121|1|5-7|\n").ok);
    std::string by_avoidance = avoided(1);
    ASSERT_TRUE(read_text(read_rules, "salas|1|121|1|4|\n").ok);
    EXPECT_EQ(avoided(1), by_avoidance);
    static AllocationGrid in_last_room{};  // a salas line is broken in every other room, the last one too
    in_last_room[sections[1].meetings[FIRST_MEETING].first_slot][last_room] = 1;
    EXPECT_EQ(find_breach(in_last_room, rules[0]).room, last_room);
    static AllocationGrid split{};  // in room 4 at 07:30, out of it in the meeting's last row only
    split[1][4] = 1;
    split[2][last_room] = 1;
    breach = find_breach(split, rules[0]);
    EXPECT_EQ(breach.row, 2);
    EXPECT_EQ(breach.room, last_room);
    // A set read anew holds only what its text names, whatever it held before.
    RoomSet reused = real_rooms();
    ASSERT_EQ(parse_room_set("3", reused), nullptr);
    EXPECT_EQ(reused.count(), 1u);
    // Rules forgotten leave no section marked as having any, nor priced by a preference.
    ASSERT_TRUE(read_text(read_rules, "prefere|1|121|1|1|9|\n").ok);
    ASSERT_TRUE(sections_with_room_rules[1]);
    ASSERT_EQ(preference_price(1, 2), 9);
    reset_rules();
    EXPECT_FALSE(sections_with_room_rules[1]);
    EXPECT_EQ(preference_price(1, 2), 0);
}

// Each distinct set is kept once, however many share a slot of the index,
// until the table is full: then no new one is.
TEST_F(RoomRules, EachDistinctSetIsKeptOnceUntilTheTableIsFull)
{
    reset_room_sets();
    auto numbered = [](int number) {  // the bits of number over rooms 1..17, and room 999 in every one
        RoomSet rooms(static_cast<unsigned long long>(number) << 1);
        return rooms.set(MAX_ROOM);
    };
    for (int number = 0; number < MAX_ROOM_SETS; ++number)
        ASSERT_EQ(keep_room_set(numbered(number)), number);
    EXPECT_EQ(keep_room_set(numbered(MAX_ROOM_SETS)), NO_ROOM_SET);
    for (int number : {0, 1, 4097, MAX_ROOM_SETS - 1})
        EXPECT_EQ(keep_room_set(numbered(number)), number);
    EXPECT_EQ(room_sets.count, MAX_ROOM_SETS);
    reset_room_sets();
}

TEST_F(RoomRules, EachMistakeIsRefusedWithItsLine)
{
    const struct {
        std::string text;
        std::string error;
    } cases[] = {{"fixa|1|121|1|3", "a regra fixa tem a forma fixa|tipo|curso|turma|sala|"},
                 {"fixa|1|121|1|", "a regra fixa tem a forma fixa|tipo|curso|turma|sala|"},
                 {"fixa|1|121|1|3|4|", "a regra fixa tem a forma fixa|tipo|curso|turma|sala|"},
                 {"fixa|1|121|1|3| x", "a regra fixa tem a forma fixa|tipo|curso|turma|sala|"},
                 {"fixa|1|121|1|3|\r4", "a regra fixa tem a forma fixa|tipo|curso|turma|sala|"},
                 {"fixa|1|121|x|3|", "a regra fixa tem a forma fixa|tipo|curso|turma|sala|"},
                 {"fixa|1|121|-2147483648|3|", "a regra fixa tem a forma fixa|tipo|curso|turma|sala|"},  // what "*" reads as
                 {"fixa|1|121|1|-2147483648|", "sala fora de 1..7"},
                 {"evita|1|121|", "a regra evita tem a forma evita|tipo|curso|turma|SALAS|"},
                 {"fechada|3|2|07:30|", "a regra fechada tem a forma fechada|SALAS|dia|HH:MM|HH:MM|"},
                 {"mesma_sala|", "a regra mesma_sala tem a forma mesma_sala|peso|"},
                 {"mesma_sala|x|", "a regra mesma_sala tem a forma mesma_sala|peso|"},
                 {"sala|1|121|1|3|", "regra desconhecida 'sala' (use fixa, evita, salas, reservada, prefere, fechada, recurso, mesma_sala ou mudanca)"},
                 {"fixo|1|121|1|3|", "regra desconhecida 'fixo' (use fixa, evita, salas, reservada, prefere, fechada, recurso, mesma_sala ou mudanca)"},
                 {"mesma sala|30|", "regra desconhecida 'mesma sala' (use fixa, evita, salas, reservada, prefere, fechada, recurso, mesma_sala ou mudanca)"},
                 {"fixa 1 121 1 3", "regra desconhecida 'fixa 1 121 1 3' (use fixa, evita, salas, reservada, prefere, fechada, recurso, mesma_sala ou mudanca)"},
                 {"fixa|ELE|121|1|3|", "tipo deve ser o numero ou o codigo de um curso (cursos.txt)"},
                 {"fixa|1|121|9|3|", "turma MTM 121-9 fora de demanda.txt"},
                 {"evita|2|121|1|3|", "turma QUI 121-1 fora de demanda.txt"},
                 {"evita|QUI|121|1|3|", "turma QUI 121-1 fora de demanda.txt"},
                 {"evita|17|121|1|3|", "turma de tipo 17, curso 121, turma 1 fora de demanda.txt"},
                 {"fixa|1|121|1|Lab|", "sala deve ser o numero da coluna em capacidade.txt"},
                 {"fechada|Lab|2|07:30|09:00|", "recurso 'Lab' que nenhuma sala tem (recurso|SALAS|NOME|)"},
                 {"fixa|1|121|1|8|", "sala fora de 1..7"},
                 {"evita|1|121|1|0|", "sala 0 fora de 1..7"},
                 {"fechada|8|2|07:30|09:00|", "sala 8 fora de 1..7"},
                 {"fechada|1|1|07:30|09:00|", "dia da semana deve ser um numero de 2 (segunda-feira) a 7 (sabado)"},
                 {"fechada|1|8|07:30|09:00|", "dia da semana deve ser um numero de 2 (segunda-feira) a 7 (sabado)"},
                 {"fechada|1|sexta|07:30|09:00|", "dia da semana deve ser um numero de 2 (segunda-feira) a 7 (sabado)"},
                 {"fechada|1|2|7h30|09:00|", "horario mal formado (HH:MM)"},
                 {"fechada|1|2|07:30|25:00|", "horario mal formado (HH:MM)"},
                 {"fechada|1|2|07:60|09:00|", "horario mal formado (HH:MM)"},
                 {"fechada|1|2|07:30|24:01|", "horario mal formado (HH:MM)"},
                 {"fechada|1|2|07:30x|09:00|", "horario mal formado (HH:MM)"},
                 {"fechada|1|2|09:00|09:00|", "fechada com inicio que nao antecede o fim"},
                 {"fixa|1|121|1|3|\nevita|1|121|1|3|", "turma MTM 121-1 fixa nesta sala (linha 2)"},
                 {"evita|1|121|1|3|\nfixa|1|121|1|3|", "turma MTM 121-1 evita esta sala (linha 2)"},
                 {"fixa|1|121|1|3|\nfixa|1|121|1|4|", "turma ja fixa na sala 3 (linha 2)"},
                 {"fixa|1|121|1|3|\nfixa|3|210|1|3|",
                  "turma fixa no mesmo horario e sala que a turma MTM 121-1 (linha 2)"},
                 {"fechada|3|4|07:30|08:00|\nfixa|1|121|1|3|", "turma fixa em horario fechado (linha 2)"},
                 {"fixa|1|121|1|3|\nfechada|3|2|08:00|09:00|", "fecha o horario da turma MTM 121-1, fixa nesta sala (linha 2)"},
                 {"fixa|1|121|1|3|\nfechada|3|2|07:00|08:00|", "fecha o horario da turma MTM 121-1, fixa nesta sala (linha 2)"},
                 {"fechada|3|2|07:00|08:00|\nfixa|1|121|1|3|", "turma fixa em horario fechado (linha 2)"},  // the week's first slot
                 {"mesma_sala|-1|", "peso negativo"},
                 {"mesma_sala|1|\nmesma_sala|2|", "segunda linha mesma_sala (a primeira e a linha 2)"},
                 {"mudanca|1|\nmudanca|2|", "segunda linha mudanca (a primeira e a linha 2)"},
                 {"mudanca|-1|", "peso negativo"},
                 {"mudanca|", "a regra mudanca tem a forma mudanca|peso|"},
                 {std::string(1, '#').append(4095, 'x'), "linha longa demais"},  // 4096 characters: one past a line's
                 // Sets of rooms, features, "*" and what they leave a section.
                 {"recurso|1|lab|\nfixa|1|121|1|8|", "sala fora de 1..7"},  // and the next file knows no lab
                 {"evita|1|121|1|lab|", "recurso 'lab' que nenhuma sala tem (recurso|SALAS|NOME|)"},
                 {"evita|1|121|1|3-|", "sala '3-' nao e coluna, intervalo (30-34) nem recurso"},
                 {"evita|1|121|1|0000000003|", "sala '0000000003' nao e coluna, intervalo (30-34) nem recurso"},
                 {"evita|1|121|1|5-2|", "intervalo 5-2 ao contrario"},
                 {"evita|1|121|1|3-9|", "intervalo 3-9 passa da sala 7"},
                 {"salas|1|121|1|9|", "sala 9 fora de 1..7"},
                 {"salas|1|121|1|1,,2|", "conjunto de salas com item vazio (use 1,4,30-34,laboratorio)"},
                 {"salas|1|121|1|3d|", "sala '3d' nao e coluna, intervalo (30-34) nem recurso"},
                 {"salas|1|121|1||", "falta o conjunto de salas (use 1,4,30-34,laboratorio)"},
                 {"fechada|*|2|07:30|09:00|", "fechada nao aceita *: diga as salas (1,4,30-34,laboratorio)"},
                 {"fixa|*|121|1|3|", "fixa aceita * so na turma: fixa|tipo|curso|*|sala|"},
                 {"fixa|1|121|1|1-2|", "sala deve ser o numero da coluna em capacidade.txt"},
                 {"evita|1|121|x|3|", "a regra evita tem a forma evita|tipo|curso|turma|SALAS|"},
                 {"prefere|1|121|1|3|-1|", "peso negativo"},
                 {"prefere|1|121|1|3|", "a regra prefere tem a forma prefere|tipo|curso|turma|SALAS|PESO|"},
                 {"reservada|3|1|121|", "a regra reservada tem a forma reservada|SALAS|tipo|curso|turma|"},
                 {"reservada|9|MTM|*|*|", "sala 9 fora de 1..7"},
                 {"reservada|3|MTM|121|9|", "turma MTM 121-9 fora de demanda.txt"},
                 {"prefere|1|121|9|3|10|", "turma MTM 121-9 fora de demanda.txt"},
                 {"prefere|1|121|1|lab|10|", "recurso 'lab' que nenhuma sala tem (recurso|SALAS|NOME|)"},
                 {"evita|1|121|1|lab.2|", "recurso 'lab.2' mal escrito (letras, digitos, _ e -, ate 30)"},
                 {"evita|1|121|1|" + std::string(31, 'a') + "|",
                  "recurso '" + std::string(31, 'a') + "' mal escrito (letras, digitos, _ e -, ate 30)"},
                 {"evita|1|121|1|" + std::string(45, 'b') + "|",  // shown to its 40th character
                  "recurso '" + std::string(40, 'b') + "' mal escrito (letras, digitos, _ e -, ate 30)"},
                 {"recurso|1|3d|", "nome de recurso: uma letra, depois letras, digitos, _ ou -, ate 30"},
                 {"recurso|1|" + std::string(31, 'a') + "|", "nome de recurso: uma letra, depois letras, digitos, _ ou -, ate 30"},
                 {"recurso|projetor|lab|", "recurso 'projetor' numa linha recurso: use colunas e intervalos"},
                 {"salas|1|121|1|1|\nevita|1|121|1|1|", "as regras deixam a turma MTM 121-1 sem nenhuma sala (so sv)"},
                 {"salas|1|121|1|1-2|\nfixa|1|121|1|3|", "sala fora das salas da turma MTM 121-1 (linha 2)"},
                 {"fixa|1|121|1|3|\nsalas|MTM|*|*|1-2|", "turma MTM 121-1 fixa numa sala fora destas (linha 2)"},
                 {"reservada|3|2|*|*|\nfixa|1|121|1|3|", "sala reservada a outras turmas que a MTM 121-1 (linha 2)"},
                 {"fixa|1|121|1|3|\nreservada|3-4|FIS|*|*|", "reserva a sala da turma MTM 121-1, fixa nela (linha 2)"},
                 {"salas|3|210|1|1-2|\nreservada|1-2|1|*|*|", "as regras deixam a turma FIS 210-1 sem nenhuma sala (so sv)"},
                 {"salas|1|121|2|1|\nevita|1|121|2|1|", "as regras deixam a turma MTM 121-2 sem nenhuma sala (so sv)"}};  // the last
    for (const auto& c : cases) {
        ReadResult result = read_text(read_rules, "# primeira linha\n" + c.text + "\n");
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.error, c.error) << c.text;
        EXPECT_EQ(result.line, c.text.find('\n') == std::string::npos ? 2 : 3) << c.text;
    }
    // A NUL byte, as in every other byte of a file saved as UTF-16, is named as such.
    const std::string null_bytes[] = {std::string("# primeira linha\nfixa|1|121|1|3|") + '\0' + "\n",
                                      std::string("\xFF\xFEm\0e\0s\0m\0a\0", 12)};
    for (const std::string& text : null_bytes) {
        ReadResult result = read_text(read_rules, text);
        EXPECT_EQ(result.error, "arquivo de texto com byte nulo (UTF-16?)");
        EXPECT_EQ(result.line, text[0] == '#' ? 2 : 1);
    }
    // A code that cursos.txt gives a second type names both, and where each comes from.
    set_course_code(7, "QUI", 3);
    EXPECT_EQ(read_text(read_rules, "evita|QUI|121|1|3|\n").error,
              "codigo QUI de dois tipos, tipo 2 (embutido) e tipo 7 (cursos.txt, linha 3): use o numero do tipo");
    set_course_code(2, "QUI", 1);
    EXPECT_EQ(read_text(read_rules, "evita|QUI|121|1|3|\n").error,
              "codigo QUI de dois tipos, tipo 2 (cursos.txt, linha 1) e tipo 7 (cursos.txt, linha 3): use o numero "
              "do tipo");
    reset_course_codes();
    // The same pin twice, and a closure beside a pinned meeting, are accepted.
    EXPECT_TRUE(read_text(read_rules, "fixa|1|121|1|3|\nfixa|1|121|1|3|\nfechada|3|2|09:10|12:00|\n").ok);
    // A column of nine digits reads; ten are refused above.
    EXPECT_TRUE(read_text(read_rules, "evita|1|121|1|000000003|\n").ok);
    // Closures at the ends of a day's clock: 0:00, 07:59 and 24:00.
    EXPECT_TRUE(read_text(read_rules, "fechada|3|2|0:00|07:59|\nfechada|3|2|22:00|24:00|\n").ok);
    // A week of its own: a class of all seven weekdays meets its pins and closures at its seventh meeting too.
    reset_tables();
    last_room = LAST_ROOM;
    std::string days, times;
    for (int day = SUNDAY; day <= SATURDAY; ++day) {
        days += std::to_string(day) + "|08:00|09:40|\n";
        times += "1|121|1|T|" + std::to_string(day) + "|08:00|09:40|\n";
    }
    ASSERT_TRUE(read_text(read_week, days).ok);
    load("1|121|1|40|\n3|210|1|30|\n", times + "3|210|1|T|7|08:00|09:40|\n");
    const std::pair<const char*, const char*> saturday[] = {
        {"fechada|3|7|09:00|10:00|\nfixa|1|121|1|3|\n", "turma fixa em horario fechado (linha 1)"},
        {"fixa|1|121|1|3|\nfixa|3|210|1|3|\n", "turma fixa no mesmo horario e sala que a turma MTM 121-1 (linha 1)"}};
    for (const auto& [text, error] : saturday)
        EXPECT_EQ(read_text(read_rules, text).error, error) << text;
}
