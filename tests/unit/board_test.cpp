// The weekly room board page: its layout, labels, escaping and flags.
#include "report/board/board.hpp"

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "model/calendar.hpp"
#include "model/instance.hpp"
#include "model/rules/rules.hpp"
#include "report/board/export_set.hpp"
#include "report/board/markup.hpp"
#include "report/board/plan_files.hpp"
#include "report/left_out_file.hpp"
#include "report/moved_file.hpp"
#include "report/plan_csv.hpp"
#include "report/planning_file.hpp"
#include "search/cost.hpp"
#include "search/kept_plan.hpp"
#include "search/planning.hpp"
#include "test_support.hpp"

namespace {

// The text between `from` and the next `to` after it; empty when absent.
std::string between(const std::string& text, const std::string& from, const std::string& to)
{
    std::size_t start = text.find(from);
    if (start == std::string::npos)
        return "";
    std::size_t end = text.find(to, start + from.size());
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The row of a weekday board that starts with the block label `clock`.
std::string board_row(const std::string& board, const std::string& clock)
{
    return between(board, "<tr><th scope=\"row\">" + clock, "</tr>");
}

}  // namespace

class BoardPage : public InScratchDirectory {
protected:
    void SetUp() override
    {
        InScratchDirectory::SetUp();
        room_capacity = {0, 30, 40, 45, 50, 60, 75, 90};
        excess_weight = 5;
        idle_weight = 1;
        add_section(1, 121, 2, 60, 2, 4);    // Monday 08:20 to 10:20, three blocks
        add_section(3, 120, 1, 20, 86, 90);  // Saturday's five blocks
        write_file("horario.txt", "");       // read again for the warnings
        board_solutions = {};
        board_planning = {};
        room_change_count = spare_seat_count = 0;
        left_out = {};
        left_out.count = 0;
        moved_from = {};  // a moves file read by an earlier test
        moved_count = 0;
        moves_read = false;
    }
    void add_section(int32_t type, int32_t number, int32_t turma, int32_t demand, int first, int last)
    {
        Section& section = sections[++section_count];
        section.course_code = course_code(type);
        section.course_number = number;
        section.section_number = turma;
        section.demand = demand;
        section.meetings[1] = {0, slot_weekday(first), slot_start(first), slot_start(last), first, last,
                               ~0u, slot_start(last) + BLOCK_MINUTES, 0};
    }
    void place(SolutionKind kind, int32_t section, int first, int last, int room)
    {
        BoardSolution& solution = board_solutions[kind];
        solution.present = true;
        for (int row = first; row <= last; ++row)
            solution.report.grid[row][room] = section;
        grid_cost(solution.report.grid, solution.report.cost);
        solution.report.proven = true;
        solution.report.lower_bound = solution.report.cost;
    }
    std::string page()
    {
        write_board_page();
        return read_file("quadro.html");
    }
};

TEST_F(BoardPage, MeetingIsOneCellOverItsRowsInItsRoomsColumn)
{
    place(ANNEALING_SOLUTION, 1, 2, 4, 3);
    place(ANNEALING_SOLUTION, 2, 86, 90, 7);
    std::string monday = between(page(), "id=\"annealing-2\"", "</section>");
    ASSERT_NE(monday, "");
    EXPECT_EQ(occurrences(monday, "<tr><th scope=\"row\">"), 17);
    EXPECT_EQ(occurrences(monday, "<tr><th scope=\"row\">18:30&ndash;19:00</th>"), 1);  // each row its interval
    std::string first = board_row(monday, "08:20");
    EXPECT_EQ(occurrences(first, "<td"), 8);
    EXPECT_EQ(occurrences(first, "<td></td>"), 7);
    EXPECT_NE(first.find("<td rowspan=\"3\" class=\"meeting over\">MTM 121-2 <small>(01)</small><br>60 alunos<br>"
                         "<span class=\"fit\">&#9888; 15 alunos acima da capacidade</span></td>"),
              std::string::npos);
    EXPECT_LT(first.find("<td></td><td></td><td></td><td rowspan"), first.size());  // sv, 01, 02, then 03
    EXPECT_EQ(occurrences(board_row(monday, "09:30"), "<td"), 7);
    EXPECT_EQ(occurrences(board_row(monday, "10:20"), "<td"), 7);
    EXPECT_EQ(occurrences(board_row(monday, "11:20"), "<td"), 8);
    EXPECT_NE(board_row(monday, "21:50"), "");
    std::string saturday = between(page(), "id=\"annealing-7\"", "</section>");
    EXPECT_EQ(occurrences(saturday, "<tr><th scope=\"row\">"), 5);
    EXPECT_NE(board_row(saturday, "11:20"), "");
    EXPECT_EQ(board_row(saturday, "12:10"), "");
    EXPECT_NE(saturday.find("<td rowspan=\"5\" class=\"meeting\">FIS 120-1 <small>(02)</small><br>20 alunos<br>"
                            "<span class=\"fit\">70 lugares livres</span></td>"),
              std::string::npos);
    add_section(4, 101, 1, 89, 60, 60);  // one seat free, and one student above
    add_section(4, 102, 1, 46, 61, 61);
    place(ANNEALING_SOLUTION, 3, 60, 60, 7);
    place(ANNEALING_SOLUTION, 4, 61, 61, 3);
    std::string thursday = between(page(), "id=\"annealing-5\"", "</section>");
    EXPECT_NE(thursday.find("<span class=\"fit\">1 lugar livre</span>"), std::string::npos);
    EXPECT_NE(thursday.find("<span class=\"fit\">&#9888; 1 aluno acima da capacidade</span>"), std::string::npos);
}

TEST_F(BoardPage, ColumnsAreTheOverflowAndTheSevenRoomsWithTheirSeats)
{
    place(INITIAL_SOLUTION, 1, 2, 4, 0);
    std::string header = between(page(), "id=\"inicial-2\"", "</thead>");
    EXPECT_NE(header.find("<th scope=\"col\">Hor\xC3\xA1rio</th><th scope=\"col\">sv<br><small>0 lugares</small></th>"
                          "<th scope=\"col\">sala 01<br><small>30 lugares</small></th>"),
              std::string::npos);
    EXPECT_NE(header.find("<th scope=\"col\">sala 07<br><small>90 lugares</small></th></tr>"), std::string::npos);
    EXPECT_EQ(occurrences(header, "<th scope=\"col\">"), 9);
    // Twelve rooms, one named: each weekday in two tables of as many columns as can be, 0..6 and 7..12.
    last_room = 12;
    room_capacity[12] = 120;
    std::strcpy(room_names[12].data(), "Audit\xC3\xB3rio <A>");  // names are held in UTF-8
    std::string text = page();
    std::string first = between(text, "id=\"inicial-2\"", "</thead>");
    EXPECT_EQ(occurrences(first, "<th scope=\"col\">"), 8);
    EXPECT_NE(first.find("Segunda-feira &middot; Solu\xC3\xA7\xC3\xA3o inicial &middot; colunas 0 a 6</h3>"),
              std::string::npos);
    std::string second = between(text, "id=\"inicial-2-7\"", "</thead>");
    EXPECT_EQ(occurrences(second, "<th scope=\"col\">"), 7);
    EXPECT_EQ(text.find("id=\"inicial-2-10\""), std::string::npos);
    // The seats of the columns, ten to a table: 0..9, then 10..12.
    EXPECT_EQ(occurrences(between(text, "<table class=\"rooms\">", "</table>"), "<th scope=\"col\">"), 10);
    EXPECT_EQ(occurrences(text, "<table class=\"rooms\">"), 2);
    // 41 columns: five tables of 9, 8, 8, 8 and 8, not four of 10 and one of 1.
    last_room = 40;
    text = page();
    EXPECT_EQ(occurrences(text, "<table class=\"rooms\">"), 5);  // the seats: 0..9 to 30..39, and 40 alone
    for (const char* table : {"colunas 0 a 8<", "colunas 9 a 16<", "colunas 17 a 24<", "colunas 25 a 32<",
                              "colunas 33 a 40<"})
        EXPECT_EQ(occurrences(text, std::string("Segunda-feira &middot; Solu\xC3\xA7\xC3\xA3o inicial &middot; ") + table),
                  1)
            << table;
    // A room's name comes first: it is what people read.
    EXPECT_NE(second.find("<th scope=\"col\">Audit\xC3\xB3rio &lt;A&gt; &middot; sala 12<br><small>120 lugares</small></th>"),
              std::string::npos);
}

TEST_F(BoardPage, OnlySolutionsPresentHaveBoardsAndLinks)
{
    std::string empty = page();
    EXPECT_NE(empty.find("Nenhuma solu\xC3\xA7\xC3\xA3o ainda"), std::string::npos);
    EXPECT_EQ(empty.find("class=\"day\""), std::string::npos);
    EXPECT_EQ(empty.find("class=\"avisos\""), std::string::npos);  // no warnings, no box
    write_file("horario.txt", "1|999|1|T|2|07:30|08:20|\n");
    EXPECT_NE(page().find("<header>\n<h1>Quadro de salas</h1>\n<p>2 turmas, 2 reuni\xC3\xB5" "es."), std::string::npos);
    EXPECT_NE(between(page(), "</p>\n<section class=\"avisos\"", "</section>\n<table class=\"rooms\">")
                  .find("<ul>\n<li>Aviso: horario.txt, linha 1: turma fora de demanda.txt; linha ignorada.</li>\n</ul>"),
              std::string::npos);
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);
    std::string optimum = page();
    // Classes meet on Monday and Saturday only: no other weekday has a board, or a link.
    EXPECT_EQ(occurrences(optimum, "class=\"day\""), 2);
    EXPECT_EQ(occurrences(optimum, "<a href=\"#otimo-"), 2);
    EXPECT_EQ(optimum.find("id=\"otimo-3\""), std::string::npos);
    EXPECT_EQ(optimum.find("href=\"#inicial"), std::string::npos);
    EXPECT_EQ(optimum.find("mudancas\""), std::string::npos);  // no annealing to compare: no list, no link
    place(ANNEALING_SOLUTION, 1, 2, 4, 5);                      // the annealing reached the optimum
    std::string both = page();
    EXPECT_LT(both.find("<section class=\"solution\" id=\"otimo\">"),  // the plan first, on screen too
              both.find("<section class=\"solution screen\" id=\"annealing\">"));
    std::string same = between(both, "id=\"mudancas\"", "</section>");
    EXPECT_NE(same.find("<p>0 reuni\xC3\xB5" "es mudam de sala com economia"), std::string::npos);
    EXPECT_EQ(same.find("<table>"), std::string::npos);
}

TEST_F(BoardPage, MissingAndSplitMeetingsAreFlaggedAndSplitPiecesShown)
{
    place(ANNEALING_SOLUTION, 1, 2, 3, 1);
    place(ANNEALING_SOLUTION, 1, 4, 4, 2);  // the third block in another room; section 2 missing
    sections[1].meetings[2] = {0, 3, 0, 0, 20, 21, ~0u, 0, 0};  // and section 1's Tuesday meeting
    std::string text = page();
    EXPECT_NE(between(text, "<th scope=\"row\"><a href=\"#annealing\">", "</tr>")
                  .find("<td class=\"flag\">&#9888; 3 ausentes ou divididas</td>"),
              std::string::npos);
    std::string monday = between(text, "id=\"annealing-2\"", "</section>");
    EXPECT_NE(board_row(monday, "08:20").find("<td rowspan=\"2\" class=\"meeting over\">MTM 121-2"), std::string::npos);
    EXPECT_NE(board_row(monday, "10:20").find("<td rowspan=\"1\" class=\"meeting over\">MTM 121-2"), std::string::npos);
    // A cell of a section where it has no meeting is flagged too.
    place(ANNEALING_SOLUTION, 1, 40, 40, 4);
    EXPECT_NE(between(page(), "<th scope=\"row\"><a href=\"#annealing\">", "</tr>")
                  .find("<td class=\"flag\">&#9888; 3 ausentes ou divididas; 1 c\xC3\xA9lula fora das reuni\xC3\xB5" "es</td>"),
              std::string::npos);
    // And alone, beside every meeting whole.
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);
    place(OPTIMAL_SOLUTION, 1, 20, 21, 5);
    place(OPTIMAL_SOLUTION, 2, 86, 90, 1);
    place(OPTIMAL_SOLUTION, 1, 40, 40, 6);
    place(OPTIMAL_SOLUTION, 1, 41, 41, 0);  // sv's cells are counted too
    EXPECT_NE(between(page(), "<th scope=\"row\"><a href=\"#otimo\">", "</tr>")
                  .find("<td class=\"flag\">&#9888; 2 c\xC3\xA9lulas fora das reuni\xC3\xB5" "es</td>"),
              std::string::npos);
    place(OPTIMAL_SOLUTION, 0, 86, 90, 1);  // and after one meeting missing
    EXPECT_NE(between(page(), "<th scope=\"row\"><a href=\"#otimo\">", "</tr>")
                  .find("<td class=\"flag\">&#9888; 1 ausente ou dividida; 2 c\xC3\xA9lulas fora das reuni\xC3\xB5" "es</td>"),
              std::string::npos);
}

TEST_F(BoardPage, SummaryRecomputesTheFiguresAndChangesListWhatTheOptimumSaves)
{
    place(ANNEALING_SOLUTION, 1, 2, 4, 3);  // 60 students in 45 seats
    place(ANNEALING_SOLUTION, 2, 86, 90, 1);
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);    // 60 in 60
    place(OPTIMAL_SOLUTION, 2, 86, 90, 1);
    std::string text = page();
    int32_t annealed = board_solutions[ANNEALING_SOLUTION].report.cost;
    int32_t optimal = board_solutions[OPTIMAL_SOLUTION].report.cost;
    // Three blocks: 15 above in room 03 (75), instead of 45 idle there and 0 in room 05 against its 60 idle.
    EXPECT_EQ(annealed - optimal, 3 * (15 * 5 + 60 - 45));
    std::string row = between(text, "<th scope=\"row\"><a href=\"#annealing\">", "</tr>");
    // Students above (15, the meeting counted once), meetings in sv, idle seats of occupied rooms (10 in room 01,
    // the meeting counted once too, though it lasts five blocks), then the costs and the three cells above capacity.
    EXPECT_NE(row.find("</th><td>15</td><td>0</td><td>10</td><td>" + std::to_string(annealed) + "</td><td>" +
                       std::to_string(annealed) + "</td><td>3</td><td>15 alunos a mais</td>"),
              std::string::npos);
    EXPECT_NE(between(text, "<th scope=\"row\"><a href=\"#otimo\">", "</tr>").find("<td>nenhum aluno a mais</td>"),
              std::string::npos);
    EXPECT_NE(row.find("<td>todas inteiras</td>"), std::string::npos);
    room_capacity[3] = 59;  // one student above: the singular
    place(ANNEALING_SOLUTION, 1, 2, 4, 3);
    EXPECT_NE(between(page(), "<th scope=\"row\"><a href=\"#annealing\">", "</tr>").find("<td>1 aluno a mais</td>"),
              std::string::npos);
    room_capacity[3] = 45;
    place(ANNEALING_SOLUTION, 1, 2, 4, 3);
    // An optimum not proven says so where the plan is named, with its bound and gap, and figures are against it.
    board_solutions[OPTIMAL_SOLUTION].report.proven = false;
    board_solutions[OPTIMAL_SOLUTION].report.lower_bound = optimal - 100;
    std::string unproven = page();
    board_solutions[OPTIMAL_SOLUTION].report.proven = true;
    EXPECT_NE(unproven.find("<p>Plano: Melhor aloca\xC3\xA7\xC3\xA3o encontrada, n\xC3\xA3o provado (otima.txt)."),
              std::string::npos);
    EXPECT_NE(unproven.find("otima.txt: n\xC3\xA3o provado. Melhor custo encontrado " + std::to_string(optimal) +
                            ", limite inferior " + std::to_string(optimal - 100) + ", diferen\xC3\xA7" "a 100 (0,29 %)"),
              std::string::npos);
    EXPECT_NE(between(unproven, "<th scope=\"row\"><a href=\"#annealing\">", "</tr>")
                  .find("<td>15 alunos a mais que o melhor encontrado</td>"),
              std::string::npos);
    // The best allocation found may be beaten: the other plan then has fewer students above.
    auto move_first_class = [&](SolutionKind kind, int from, int to) {
        for (int slot = 2; slot <= 4; ++slot)
            board_solutions[kind].report.grid[slot][from] = 0;
        place(kind, 1, 2, 4, to);
    };
    move_first_class(ANNEALING_SOLUTION, 3, 5);
    move_first_class(OPTIMAL_SOLUTION, 5, 3);
    board_solutions[OPTIMAL_SOLUTION].report.proven = false;
    EXPECT_NE(between(page(), "<th scope=\"row\"><a href=\"#annealing\">", "</tr>")
                  .find("<td>15 alunos a menos que o melhor encontrado</td>"),
              std::string::npos);
    move_first_class(ANNEALING_SOLUTION, 5, 3);
    move_first_class(OPTIMAL_SOLUTION, 3, 5);
    std::string changes = between(text, "id=\"mudancas\"", "</section>");
    EXPECT_EQ(occurrences(changes, "<tr><td>"), 1);
    add_section(5, 150, 3, 30, 40, 40);  // Wednesday 12:10, one block
    place(ANNEALING_SOLUTION, 3, 40, 40, 2);
    place(OPTIMAL_SOLUTION, 3, 40, 40, 1);
    add_section(5, 150, 4, 20, 41, 41);  // from the overflow column to a room
    place(ANNEALING_SOLUTION, 4, 41, 41, 0);
    place(OPTIMAL_SOLUTION, 4, 41, 41, 3);
    changes = between(page(), "id=\"mudancas\"", "</section>");
    EXPECT_EQ(occurrences(changes, "<tr><td>"), 2);  // COM 150-3 saves nothing: counted, not listed
    EXPECT_EQ(changes.find("COM 150-3"), std::string::npos);
    EXPECT_NE(changes.find("<p>2 reuni\xC3\xB5" "es mudam de sala com economia no custo;"), std::string::npos);
    EXPECT_NE(changes.find(" 1 reuni\xC3\xA3o muda de sala sem mudar o custo.</p>"), std::string::npos);
    // In sv, 20 students above its 0 seats cost 100; in room 03 they leave 25 seats idle instead of 45.
    EXPECT_NE(changes.find("COM 150-4 (20 alunos)</th><td>sv (0 lugares)</td><td>sala 03 (45 lugares)</td>"
                           "<td>120</td></tr>"),
              std::string::npos);
    EXPECT_NE(changes.find("<tr><td>Segunda-feira</td><td>08:20, 3 blocos</td><th scope=\"row\">MTM 121-2 (60 alunos)"
                           "</th><td>sala 03 (45 lugares)</td><td>sala 05 (60 lugares)</td><td>" +
                           std::to_string(annealed - optimal) + "</td></tr>"),
              std::string::npos);
}

TEST(BoardText, EveryTextIsEscapedAndWrittenInUtf8)
{
    std::FILE* out = std::tmpfile();
    write_page_text(out, "<a href=\"x\"> & 'b' \xE7\xE3");
    std::rewind(out);
    char text[128] = {};
    std::fread(text, 1, sizeof text - 1, out);
    std::fclose(out);
    EXPECT_STREQ(text, "&lt;a href=&quot;x&quot;&gt; &amp; &#39;b&#39; \xC3\xA7\xC3\xA3");
}

// A rule's rooms as runs of columns, the last room's own run included.
TEST_F(BoardPage, RuleRoomsAreWrittenAsRunsOfColumnsUpToTheLastRoom)
{
    auto set_of = [](std::initializer_list<int> columns) {
        RoomSet set;
        for (int column : columns)
            set.set(static_cast<std::size_t>(column));
        return keep_room_set(set);
    };
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);
    rules[rule_count++] = {RuleKind::Avoid, 1, 1, 0, 0, 0, 0, 0, set_of({1, 7})};
    EXPECT_NE(page().find("<a href=\"#regras\">Regras</a>"), std::string::npos);  // one rule has its link too
    rules[rule_count++] = {RuleKind::Avoid, 2, 1, 0, 0, 0, 0, 0, set_of({1, 2, 3, 5})};
    rules[rule_count++] = {RuleKind::Avoid, 3, 1, 0, 0, 0, 0, 0, set_of({7})};
    rules[rule_count++] = {RuleKind::Avoid, 4, 1, 0, 0, 0, 0, 0, set_of({6, 7})};
    std::string rules_text = between(page(), "<section id=\"regras\"", "</section>");
    EXPECT_NE(rules_text.find("salas 01, 07<"), std::string::npos) << rules_text;
    EXPECT_NE(rules_text.find("salas 01&ndash;03, 05<"), std::string::npos) << rules_text;
    EXPECT_NE(rules_text.find("sala 07<"), std::string::npos) << rules_text;
    EXPECT_NE(rules_text.find("salas 06&ndash;07<"), std::string::npos) << rules_text;
    // A class of seven meetings that changes rooms only at its seventh: every meeting is listed with its room.
    add_section(2, 130, 1, 25, 3, 3);
    Section& seven = sections[section_count];
    for (int m = FIRST_MEETING; m <= MAX_MEETINGS; ++m) {
        int slot = m < MAX_MEETINGS ? 3 + (m - 1) * 17 : 90;  // Monday..Saturday at 09:10, then Saturday 10:50
        seven.meetings[m] = {0, slot_weekday(slot), slot_start(slot), slot_start(slot), slot, slot,
                             ~0u, slot_end(slot), 0};
        place(OPTIMAL_SOLUTION, section_count, slot, slot, m < MAX_MEETINGS ? 6 : 7);
    }
    std::string moving = between(page(), "mudam de sala durante a semana no plano", "</ul>");
    EXPECT_EQ(occurrences(moving, " na "), MAX_MEETINGS) << moving;
    EXPECT_NE(moving.find(", sala 07 na S\xC3\xA1" "bado</li>"), std::string::npos) << moving;
}

TEST_F(BoardPage, WhereToInvestShowsTheFirstChangeOfEachColumnThatSeatsStudentsThenTheSpareSeats)
{
    std::string without = page();
    EXPECT_EQ(without.find("id=\"investir\""), std::string::npos);
    board_planning = {true, false, {1000, 50}};
    room_change_count = 8;
    room_changes[0] = {3, 45, 60, 38, -12, 1100, 2, true};
    room_changes[1] = {3, 45, 70, 38, -12, 1200, 2, true};  // a second of the same column
    room_changes[2] = {8, 0, 20, 45, -5, 1300, 3, false};  // one more room
    room_changes[3] = {7, 90, 60, 50, 0, 900, 4, true};
    room_changes[4] = {7, 90, 40, 50, 0, 800, 4, true};     // the fewest seats that change nothing
    room_changes[5] = {1, 30, 20, 50, 0, 990, 4, true};
    room_changes[6] = {2, 40, 30, 52, 2, 700, 5, true};     // a cut that seats fewer
    room_changes[7] = {4, 50, 120, 50, 0, 1500, 4, true};   // seats added that seat nobody
    std::string section = between(page(), "id=\"investir\"", "</section>");
    EXPECT_NE(section.find("No \xC3\xB3timo de hoje, 50 alunos acima da capacidade (custo \xC3\xB3timo 1000). A mudan"
                           "\xC3\xA7" "a de cada coluna que mais os diminui, entre 8 avaliadas"),
              std::string::npos);
    EXPECT_EQ(occurrences(section, "<tr><th scope=\"row\">"), 2);
    EXPECT_NE(section.find("<tr><th scope=\"row\">sala 03: 45 &rarr; 60 lugares</th><td class=\"saving\"><span "
                           "class=\"bar\" style=\"width:12.0em\">&nbsp;</span>12</td><td>38</td><td>1100</td></tr>\n"
                           "<tr><th scope=\"row\">uma sala a mais (sala 08) com 20 lugares</th><td class=\"saving\">"
                           "<span class=\"bar\" style=\"width:5.0em\">&nbsp;</span>5</td><td>45</td>"
                           "<td>1300 (n\xC3\xA3o provado)</td></tr>"),
              std::string::npos);
    EXPECT_EQ(section.find("<li>"), std::string::npos);  // the set that holds at once is read, not made up
    room_change_count = 1;  // a table of one change is closed as one of many
    EXPECT_EQ(occurrences(between(page(), "id=\"investir\"", "</section>"), "</tr>\n</tbody>\n</table>"), 1);
    room_change_count = 8;
    spare_seat_count = 2;
    spare_seats[0] = {7, 90, 40};
    spare_seats[1] = {1, 30, 20};
    section = between(page(), "id=\"investir\"", "</section>");
    EXPECT_NE(section.find("<h3>Lugares que sobram (todas juntas, sem piorar o otimo)</h3>\n<ul>\n"
                           "<li>sala 07 pode ficar com 40 lugares (hoje 90)</li>\n"
                           "<li>sala 01 pode ficar com 20 lugares (hoje 30)</li>\n</ul>"),
              std::string::npos);
    room_change_count = spare_seat_count = 0;  // a planning of its header alone: a line each, no empty table
    section = between(page(), "id=\"investir\"", "</section>");
    EXPECT_NE(section.find("Nenhuma das 0 mudan\xC3\xA7" "as"), std::string::npos);
    EXPECT_NE(section.find("<p>Nenhuma sala pode ficar com menos lugares sem mais alunos acima.</p>"),
              std::string::npos);
    EXPECT_EQ(section.find("<table>"), std::string::npos);
    EXPECT_EQ(section.find("<ul>"), std::string::npos);
    // A planning cut short says so above all, and claims nothing of the changes it did not evaluate.
    board_planning.today.evaluated = 2;
    board_planning.today.planned = 5;
    section = between(page(), "id=\"investir\"", "</section>");
    EXPECT_NE(section.find("<h2>Onde investir</h2>\n<p class=\"flag\">(planejamento incompleto: 2 de 5 mudan\xC3\xA7"
                           "as avaliadas)</p>\n<p>No \xC3\xB3timo de hoje"),
              std::string::npos)
        << section;
    EXPECT_NE(section.find("avaliadas at\xC3\xA9 aqui os diminui."), std::string::npos);
    EXPECT_EQ(section.find("Nenhuma sala pode ficar"), std::string::npos);
}

TEST_F(BoardPage, PlanningOfOtherDataIsLeftOutWithTheLineThatSaysWhy)
{
    write_file("planejamento.txt", "Planejamento de salas: custo otimo atual 1000, alunos acima atual 7\n"
                                   "3|45|20|9|2|900|1|1|\n");
    const struct {
        bool optimum_present;
        int32_t optimum_cost, seats_of_room_3;
        bool current;
    } cases[] = {{true, 1000, 45, true}, {true, 999, 45, false}, {true, 1000, 40, false}, {false, 1000, 45, false}};
    room_capacity[0] = 10;  // sv has seats: only the records read are compared, none past them
    for (const auto& c : cases) {
        board_solutions[OPTIMAL_SOLUTION].present = c.optimum_present;
        board_solutions[OPTIMAL_SOLUTION].report.cost = c.optimum_cost;
        room_capacity[3] = c.seats_of_room_3;
        start_console_capture();
        read_board_planning();
        std::string console = console_capture();
        EXPECT_EQ(board_planning.present, c.current);
        EXPECT_EQ(board_planning.stale, !c.current);
        std::string section = between(page(), "id=\"investir\"", "</section>");
        EXPECT_EQ(section.find("<h3>Lugares que sobram (") != std::string::npos, c.current)
            << c.optimum_cost << " " << c.seats_of_room_3;
        EXPECT_EQ(section.find("planejamento.txt e de outra versao dos dados; rode alocacao-otimo --planejar.</p>") !=
                      std::string::npos,
                  !c.current);
        EXPECT_EQ(console, c.current ? "" : "planejamento.txt e de outra versao dos dados; rode alocacao-otimo --planejar\n");
    }
    // The prices of the rules must be one per pin, avoidance and closure of regras.txt, on their lines.
    write_file("planejamento.txt", "Planejamento de salas: custo otimo atual 1000, alunos acima atual 7\n"
                                   "3|45|20|9|2|900|1|1|\n"
                                   "regras.txt, linha 2: sem esta regra, custo otimo 990 (-10), alunos acima 5 (-2)\n");
    board_solutions[OPTIMAL_SOLUTION].present = true;
    board_solutions[OPTIMAL_SOLUTION].report.cost = 1000;
    const struct {
        std::vector<Rule> rules;
        bool current;
    } rule_cases[] = {{{{RuleKind::Closed, 2, 0, 1, MONDAY, 450, 500, 0}}, true},
                      {{{RuleKind::SameRoom, 1, 0, 0, 0, 0, 0, 5}, {RuleKind::Avoid, 2, 1, 1, 0, 0, 0, 0}}, true},
                      {{{RuleKind::Closed, 3, 0, 1, MONDAY, 450, 500, 0}}, false},
                      {{}, false},
                      {{{RuleKind::Pin, 2, 1, 1, 0, 0, 0, 0}, {RuleKind::Avoid, 4, 1, 2, 0, 0, 0, 0}}, false}};
    for (const auto& c : rule_cases) {
        rule_count = 0;
        for (const Rule& rule : c.rules)
            rules[rule_count++] = rule;
        start_console_capture();
        read_board_planning();
        console_capture();
        EXPECT_EQ(board_planning.present, c.current) << c.rules.size();
    }
}

TEST_F(BoardPage, PlanningFileIsReadBackOnlyAsAlocacaoOtimoWritesIt)
{
    PlanningBaseline today{};
    EXPECT_FALSE(read_planning_file(today));
    const std::string header = "Planejamento de salas: custo otimo atual 1000, alunos acima atual 50\n";
    write_file("planejamento.txt", header + "3|40|60|38|-12|900|1|1|\n8|0|60|45|-5|1100|0|0|\n");
    ASSERT_TRUE(read_planning_file(today));
    EXPECT_EQ(today.optimum_cost, 1000);
    EXPECT_EQ(today.students_above, 50);
    ASSERT_EQ(room_change_count, 2);
    EXPECT_EQ(room_changes[0].students_above, 38);
    EXPECT_EQ(room_changes[0].variation, -12);
    EXPECT_EQ(room_changes[0].cost, 900);
    EXPECT_EQ(room_changes[1].proposed_seats, 60);
    EXPECT_FALSE(room_changes[1].proven);
    write_planning_file(today);  // and written again as read
    EXPECT_EQ(read_file("planejamento.txt"), header + "3|40|60|38|-12|900|1|1|\n8|0|60|45|-5|1100|0|0|\n");
    // Costs past 32 bits, as an instance of large weights plans them, are read back whole; and each count at 0.
    write_file("planejamento.txt", header + "3|40|20|50|0|3400000000|1|1|\n5|30|0|0|-50|0|0|0|\n");
    ASSERT_TRUE(read_planning_file(today));
    EXPECT_EQ(room_changes[0].cost, 3400000000);
    ASSERT_EQ(room_change_count, 2);
    EXPECT_EQ(room_changes[1].proposed_seats, 0);
    EXPECT_EQ(room_changes[1].cost, 0);
    // The prices of the rules follow the records, proven or not.
    const std::string price = "regras.txt, linha 4: sem esta regra, custo otimo 990 (-10), alunos acima 52 (+2)\n";
    write_file("planejamento.txt", header + "3|40|60|38|-12|900|1|1|\nsobra|7|90|40|\n" + price +
                                       "regras.txt, linha 6: sem esta regra, custo entre 960 e 1000\n");
    ASSERT_TRUE(read_planning_file(today));
    EXPECT_FALSE(today.outdated);
    ASSERT_EQ(spare_seat_count, 1);  // the spare seats that hold at once, between the records and the prices
    EXPECT_EQ(spare_seats[0].column, 7);
    EXPECT_EQ(spare_seats[0].proposed_seats, 40);
    ASSERT_EQ(rule_price_count, 2);
    EXPECT_EQ(rule_prices[0].line, 4);
    EXPECT_EQ(rule_prices[0].students_change, 2);
    EXPECT_TRUE(rule_prices[0].proven);
    EXPECT_FALSE(rule_prices[1].proven);
    EXPECT_EQ(rule_prices[1].lower_bound, 960);
    EXPECT_EQ(rule_prices[1].cost, 1000);
    // An earlier version wrote an unproven price as if it were one: read, and said to be of another version.
    write_file("planejamento.txt", header + "regras.txt, linha 6: sem esta regra, custo otimo 1000 (+0), alunos "
                                            "acima 50 (+0), otimalidade nao provada\n");
    ASSERT_TRUE(read_planning_file(today));
    EXPECT_TRUE(today.outdated);
    const std::string refused[] = {
        header + "regras.txt, linha 6: sem esta regra, custo entre 1001 e 1000\n",  // a range upside down
        header + "regras.txt, linha 6: sem esta regra, custo entre 960 e 1000 \n",
        "Planejamento de salas (incompleto: 3 de 3 mudancas avaliadas): custo otimo atual 1000, alunos acima atual "
        "50\n",
        "Planejamento de salas (so lugares; so regras): custo otimo atual 1000, alunos acima atual 50\n",
        "Planejamento de salas (): custo otimo atual 1000, alunos acima atual 50\n",
        header + price + "3|40|60|38|-12|900|1|1|\n",  // a record after a price
        header + "sobra|7|90|40|\n3|40|60|38|-12|900|1|1|\n", header + price + "sobra|7|90|40|\n",
        header + "sobra|7|90|90|\n", header + "sobra|0|90|40|\n", header + "sobra|7|90|40\n",
        header + "regras.txt, linha 4: sem esta regra, custo otimo 990 (-11), alunos acima 52 (+2)\n",
        header + "regras.txt, linha 4: sem esta regra, custo otimo 990 (-10), alunos acima 52 (2)\n",
        header + "regras.txt, linha 4: sem esta regra, custo otimo 990 (-10), alunos acima 52 (+2) \n",
        header + "regras.txt, linha 0: sem esta regra, custo otimo 990 (-10), alunos acima 52 (+2)\n",
        header + "3|40|60|38|-11|900|1|1|\n", header + "3|40|60|38|-12|900|1|2|\n", header + "9|40|60|38|-12|900|1|1|\n",
        header + "0|0|60|45|-5|1100|0|0|\n",
        header + "3|-50|60|38|-12|900|1|1|\n", header + "3|40|60|38|-12|-2000000000|1|1|\n",
        header + "3|40|60|-1|-51|900|1|1|\n", header + "3|40|060|38|-12|900|1|1|\n", header + "3|+40|60|38|-12|900|1|1|\n",
        header + "3|40|60|38|-12|900|1|1| \n", header + "3|40|60|38|-12|900|1|1|",  // no line end
        header + "3|40|60|38|-12|99999999999999999999|1|1|\n", header + "3|40|60|38|-12|900|1|\n",
        "Planejamento de salas: custo otimo atual +0034268, alunos acima atual 50\n",
        "Planejamento de salas: custo otimo atual 34268\n",
        "Planejamento de salas: custo otimo atual 34268, alunos acima atual 50" + std::string(100000, ' ') + "\n",
        "Planejamento de salas: custo otimo atual -9223372036854775808, alunos acima atual 50\n3|40|60|38|-12|900|1|1|\n",
        "Planejamento de salas: custo otimo atual 1000, alunos acima atual -9223372036854775808\n3|40|60|38|-12|900|1|1|\n",
        "Planejamento de salas: custo otimo atual 9223372036854775808, alunos acima atual 50\n"};
    for (const std::string& text : refused) {
        write_file("planejamento.txt", text);
        EXPECT_EXIT((skip_leak_check_at_exit(), std::freopen("/dev/null", "r", stdin), read_planning_file(today)),
                    ::testing::ExitedWithCode(1),
                    "")
            << text.substr(0, 120);
    }
    std::filesystem::remove("planejamento.txt");  // there, but no file to read
    std::filesystem::create_directory("planejamento.txt");
    EXPECT_EXIT(
        (skip_leak_check_at_exit(), dup2(2, 1), std::freopen("/dev/null", "r", stdin), read_planning_file(today)),
        ::testing::ExitedWithCode(1), "Arquivo planejamento.txt nao pode ser lido.");
    std::filesystem::remove("planejamento.txt");
}

TEST_F(BoardPage, MeetingsLeftOutOfAPartialPlanAreReadBackOnlyAsWrittenAndListed)
{
    place(OPTIMAL_SOLUTION, 1, 2, 4, 3);  // Saturday's section out of the grid
    mark_left_out(board_solutions[OPTIMAL_SOLUTION].report.grid);
    write_left_out_file();
    const std::string written = "Reunioes fora da grade de otima.txt: 1\n2|7|07:30|12:10|\n";
    EXPECT_EQ(read_file("fora_da_grade.txt"), written);
    left_out = {};
    read_left_out_file();
    EXPECT_TRUE(left_out.marked[2][1]);
    EXPECT_FALSE(left_out.marked[1][1]);
    ASSERT_EQ(left_out.count, 1);
    std::string summary = between(page(), "<section id=\"resumo\">", "</section>");
    EXPECT_NE(summary.find("todas inteiras; 1 fora da grade"), std::string::npos) << summary;
    EXPECT_NE(summary.find("<li>turma 2 (FIS 120-1), 20 alunos, S\xC3\xA1" "bado 07:30&ndash;12:10: fora da grade</li>"),
              std::string::npos)
        << summary;
    // Holding a meeting the file names is a fault of the plan, as is lacking one it does not name.
    place(OPTIMAL_SOLUTION, 2, 86, 90, 1);
    EXPECT_NE(between(page(), "<section id=\"resumo\">", "</section>").find("1 ausente ou dividida"),
              std::string::npos);
    left_out = {};
    left_out.count = 0;
    board_solutions[OPTIMAL_SOLUTION].report.grid[2][3] = 0;
    EXPECT_NE(between(page(), "<section id=\"resumo\">", "</section>").find("1 ausente ou dividida"),
              std::string::npos);
    // A whole plan takes the file away, and no mark of an earlier plan stays, the last section's included.
    ASSERT_EQ(section_count, 2);
    left_out.marked[2][1] = true;
    mark_left_out(board_solutions[OPTIMAL_SOLUTION].report.grid);
    EXPECT_FALSE(left_out.marked[2][1]);
    left_out.marked[1][1] = false;
    left_out.count = 0;
    errno = 0;  // no failure left over from before: the removal alone says how it went
    write_left_out_file();
    EXPECT_FALSE(std::filesystem::exists("fora_da_grade.txt"));
    read_left_out_file();
    EXPECT_EQ(left_out.count, 0);
    const std::string header = "Reunioes fora da grade de otima.txt: 1\n";
    const std::string refused[] = {
        header,                                 // a record short
        header + "2|7|07:30|12:10|\n2|7|07:30|12:10|\n",  // a record more
        "Reunioes fora da grade de otima.txt: 2\n2|7|07:30|12:10|\n2|7|07:30|12:10|\n",  // repeated
        "Reunioes fora da grade de otima.txt: 0\n", "Reunioes fora da grade de otima.txt: 01\n2|7|07:30|12:10|\n",
        header + "3|7|07:30|12:10|\n",  // no such section
        header + "2|6|07:30|12:10|\n", header + "2|7|07:31|11:50|\n", header + "2|7|07:30|12:00|\n",
        header + "2|7|7:30|11:50|\n", header + "2|7|07:30|11:50\n", header + "2|7|07:30|12:10|",  // no line end
        header + "2|7|07:30|24:50|\n", header + "02|7|07:30|12:10|\n"};
    for (const std::string& text : refused) {
        write_file("fora_da_grade.txt", text);
        EXPECT_EXIT((skip_leak_check_at_exit(), std::freopen("/dev/null", "r", stdin), read_left_out_file()),
                    ::testing::ExitedWithCode(1), "")
            << text;
    }
    write_file("fora_da_grade.txt", header + "3|7|07:30|12:10|\n");  // the line at fault is named
    EXPECT_EXIT((skip_leak_check_at_exit(), dup2(2, 1), std::freopen("/dev/null", "r", stdin), read_left_out_file()),
                ::testing::ExitedWithCode(1), "fora_da_grade.txt, linha 2: ");
    write_file("fora_da_grade.txt", refused[1]);  // the first line past the count
    EXPECT_EXIT((skip_leak_check_at_exit(), dup2(2, 1), std::freopen("/dev/null", "r", stdin), read_left_out_file()),
                ::testing::ExitedWithCode(1), "fora_da_grade.txt, linha 3: mais linhas que o cabecalho conta");
    write_file("fora_da_grade.txt", refused[3]);  // and the header
    EXPECT_EXIT((skip_leak_check_at_exit(), dup2(2, 1), std::freopen("/dev/null", "r", stdin), read_left_out_file()),
                ::testing::ExitedWithCode(1), "fora_da_grade.txt, linha 1: cabecalho inesperado");
    // The first section, left out, is listed as any other.
    board_solutions[OPTIMAL_SOLUTION] = {};
    place(OPTIMAL_SOLUTION, 2, 86, 90, 1);
    mark_left_out(board_solutions[OPTIMAL_SOLUTION].report.grid);
    EXPECT_NE(between(page(), "<section id=\"resumo\">", "</section>")
                  .find("<li>turma 1 (MTM 121-2), 60 alunos, Segunda-feira 08:20&ndash;"),
              std::string::npos);
    EXPECT_NE(page().find("o plano (otima.txt) deixa esta 1 fora da grade."), std::string::npos);
    // And a section's last meeting, Wednesday's.
    sections[1].meetings[MAX_MEETINGS] = {0, 4, slot_start(35), slot_start(35), 35, 35, ~0u, slot_start(35) + 50, 0};
    mark_left_out(board_solutions[OPTIMAL_SOLUTION].report.grid);
    EXPECT_NE(between(page(), "<section id=\"resumo\">", "</section>")
                  .find("<li>turma 1 (MTM 121-2), 60 alunos, Quarta-feira 07:30&ndash;"),
              std::string::npos);
    sections[1].meetings[MAX_MEETINGS] = {};
}

// mudancas.txt not as alocacao-otimo writes it is refused, naming the line at fault.
TEST_F(BoardPage, MovesFileNotAsWrittenIsRefusedAtItsLine)
{
    const std::string header = "Reunioes que mudam de sala em relacao ao plano mantido: ";
    const struct {
        std::string text, fault;
    } refused[] = {
        {header + "0\nmais uma\n", "linha 2: mais linhas que o cabecalho conta"},
        {header + "2\n1|2|08:20|3|-1|\n", "linha 3: faltam reunioes que o cabecalho conta"},
        {header + "-1\n", "linha 1: cabecalho inesperado"},
        {header + "1 \n1|2|08:20|3|-1|\n", "linha 1: cabecalho inesperado"},
        {"Reunioes que mudam: 1\n1|2|08:20|3|-1|\n", "linha 1: cabecalho inesperado"},
        {"", "linha 1: cabecalho inesperado"},
        {header + "1\n1|2|08:20|3|-2|\n", "linha 2: formato inesperado"},
        {header + "1\n1|2|08:20|-1|1|\n", "linha 2: formato inesperado"},
        {header + "1\n1|2|08:20|3|1000|\n", "linha 2: formato inesperado"},
        {header + "1\n1|2|08:20|3|1|x\n", "linha 2: formato inesperado"},
        {header + "1\n1|2|8:20|3|1|\n", "linha 2: formato inesperado"},
        {header + "1\n1|2|0A:20|3|1|\n", "linha 2: formato inesperado"},  // 'A' - '0' would make 17:20
        {header + "1\n1|2|08:2A|3|1|\n", "linha 2: formato inesperado"},  // and 08:37
        {header + "1\n1|2|24:00|3|1|\n", "linha 2: formato inesperado"},
        {header + "1\n1|2|08:60|3|1|\n", "linha 2: formato inesperado"},
    };
    for (const auto& [text, fault] : refused) {
        write_file("mudancas.txt", text);
        EXPECT_EXIT((skip_leak_check_at_exit(), dup2(2, 1), std::freopen("/dev/null", "r", stdin),
                     read_moved_file(board_solutions[OPTIMAL_SOLUTION].report.grid)),
                    ::testing::ExitedWithCode(1), "mudancas.txt, " + fault)
            << text;
    }
    // Rooms at their bounds read: 999 rooms, and -1 for none.
    write_file("mudancas.txt", header + "1\n1|2|08:20|999|-1|\n");
    EXPECT_TRUE(read_moved_file(board_solutions[OPTIMAL_SOLUTION].report.grid));
    EXPECT_EQ(moved_from[1][1], 999 + 1);
    // The day's last clock reads; no meeting starts then, so the list is not this plan's.
    write_file("mudancas.txt", header + "1\n1|2|23:59|3|1|\n");
    EXPECT_FALSE(read_moved_file(board_solutions[OPTIMAL_SOLUTION].report.grid));
    std::remove("mudancas.txt");
}

// A kept meeting the plan leaves out of the grid is a move to no room (-1),
// written and read back as such.
TEST_F(BoardPage, MoveOfAKeptMeetingLeftOutOfTheGridIsWrittenAndReadBack)
{
    const AllocationGrid& grid = board_solutions[OPTIMAL_SOLUTION].report.grid;
    place(OPTIMAL_SOLUTION, 2, 86, 90, 1);  // section 1 out of the grid, section 2 where it was kept
    kept_column[1][1] = 3 + 1;
    kept_column[2][1] = 1 + 1;
    kept_count = 2;
    mark_moved(grid);
    EXPECT_EQ(moved_count, 1);
    write_moved_file(grid, true);
    clear_kept_plan();
    EXPECT_EQ(read_file("mudancas.txt"), "Reunioes que mudam de sala em relacao ao plano mantido: 1\n1|2|08:20|3|-1|\n");
    EXPECT_TRUE(read_moved_file(grid));
    EXPECT_EQ(moved_count, 1);
    EXPECT_EQ(moved_from[1][1], 3 + 1);
    EXPECT_EQ(moved_from[2][1], 0);
}

TEST_F(BoardPage, AnnealingReportOlderThanTheInitialOneIsSaidAboveTheSummary)
{
    const std::string notice = "<p class=\"flag\">&#9888; solucaof.txt e de uma execucao anterior a solucao.txt.</p>";
    place(INITIAL_SOLUTION, 1, 2, 4, 0);
    place(ANNEALING_SOLUTION, 1, 2, 4, 3);
    const struct {
        timespec initial, annealed;
        bool older;
    } cases[] = {{{100, 5}, {100, 4}, true}, {{101, 0}, {100, 999999999}, true}, {{100, 5}, {100, 5}, false},
                 {{100, 5}, {100, 6}, false}, {{100, 5}, {99, 9}, true}};
    for (const auto& c : cases) {
        board_solutions[INITIAL_SOLUTION].report.modified = c.initial;
        board_solutions[ANNEALING_SOLUTION].report.modified = c.annealed;
        std::string summary = between(page(), "<section id=\"resumo\">", "<table>");
        EXPECT_EQ(summary.find(notice) != std::string::npos, c.older) << c.initial.tv_sec << " " << c.annealed.tv_sec;
    }
    board_solutions[INITIAL_SOLUTION].present = false;  // nothing to compare
    EXPECT_EQ(page().find(notice), std::string::npos);
}

TEST(Semester, TwoRealDatesJoinedByAColonTheEndNotBeforeTheStart)
{
    const struct {
        const char* text;
        bool valid;
    } cases[] = {{"2026-03-02:2026-07-04", true},  {"2026-07-04:2026-07-04", true},  {"2024-02-29:2024-03-01", true},
                 {"2026-07-04:2026-07-03", false}, {"2026-02-29:2026-07-04", false}, {"2026-03-02:2026-7-04", false},
                 {"2026-03-02", false},            {"2026-03-02:", false},           {":2026-07-04", false},
                 {"2026-03-02:2026-07-04:", false}, {"2026-03-02 2026-07-04", false}, {"", false}};
    for (const auto& c : cases) {
        Semester semester{};
        EXPECT_EQ(parse_semester(c.text, semester), c.valid) << c.text;
    }
    Semester semester{};
    ASSERT_TRUE(parse_semester("2026-03-02:2026-07-04", semester));
    EXPECT_EQ(semester.last_day - semester.first_day, 124);
}

TEST_F(BoardPage, PlanHasAWeekPagePerRoomUsedAndAListOfClassesInCodeOrder)
{
    std::string unplanned = page();  // no plan yet: no room's week, no list of classes
    EXPECT_EQ(unplanned.find("id=\"salas\""), std::string::npos);
    EXPECT_EQ(unplanned.find("id=\"turmas\""), std::string::npos);
    add_section(1, 100, 1, 30, 35, 35);                        // MTM 100-1, Wednesday 07:30
    place(ANNEALING_SOLUTION, 1, 2, 4, 3);
    place(ANNEALING_SOLUTION, 2, 86, 90, 7);
    place(ANNEALING_SOLUTION, 3, 35, 35, 0);
    std::string annealed = page();
    EXPECT_NE(annealed.find("<p>Plano: Annealing (solucaof.txt)."), std::string::npos);
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);
    place(OPTIMAL_SOLUTION, 2, 86, 90, 7);
    place(OPTIMAL_SOLUTION, 3, 35, 35, 1);
    std::string text = page();
    EXPECT_NE(text.find("<p>Plano: \xC3\x93timo (otima.txt)."), std::string::npos);
    EXPECT_NE(text.find("<section class=\"solution screen\" id=\"annealing\">"), std::string::npos);
    EXPECT_NE(text.find("<section class=\"solution\" id=\"otimo\">"), std::string::npos);
    std::string rooms = between(text, "<section id=\"salas\">", "<section id=\"turmas\">");
    EXPECT_EQ(occurrences(rooms, "<section class=\"room\""), 3);  // rooms 01, 05 and 07; sv is not used
    EXPECT_EQ(rooms.find("sala-sv"), std::string::npos);
    std::string room_5 = between(rooms, "id=\"sala-05\"", "</section>");
    EXPECT_NE(room_5.find("Sala 05 &middot; 60 lugares"), std::string::npos);
    std::strcpy(room_names[5].data(), "Lab. & Cia");  // a name, escaped, in the door's heading
    EXPECT_NE(page().find("<h3 id=\"sala-05-titulo\">Lab. &amp; Cia &middot; sala 05 &middot; 60 lugares</h3>"),
              std::string::npos);
    std::strcpy(room_names[5].data(), "B");  // a name of one letter is a name too
    EXPECT_NE(page().find("<h3 id=\"sala-05-titulo\">B &middot; sala 05 &middot; 60 lugares</h3>"), std::string::npos);
    room_names[5][0] = '\0';
    EXPECT_EQ(occurrences(room_5, "<tr><th scope=\"row\">"), 17);
    EXPECT_NE(room_5.find("<tr><th scope=\"row\">08:20&ndash;09:10</th><td rowspan=\"3\" class=\"meeting\">MTM 121-2<br>"
                          "60 alunos<br><span class=\"fit\">0 lugares livres</span></td>"),
              std::string::npos);
    // Saturday has five blocks: from 12:10 on its cells are closed.
    EXPECT_EQ(occurrences(room_5, "<td class=\"closed\"></td>"), 12);
    std::string list = between(text, "<section id=\"turmas\">", "</section>");
    std::size_t fis = list.find("FIS 120-1"), mtm_100 = list.find("MTM 100-1"), mtm_121 = list.find("MTM 121-2");
    EXPECT_LT(fis, mtm_100);
    EXPECT_LT(mtm_100, mtm_121);
    EXPECT_NE(list.find("<th scope=\"row\">MTM 121-2</th><td>60</td><td>Segunda-feira 08:20&ndash;11:10, sala 05 "
                        "(60 lugares)<br><small>Outras salas: sala 06 (custo +0, alunos acima +0); sala 07 (custo "
                        "+0, alunos acima +0); sala 04 (custo +180, alunos acima +10)</small></td><td></td></tr>"),
              std::string::npos)
        << list;
    place(OPTIMAL_SOLUTION, 3, 35, 35, 0);  // and now in sv too
    EXPECT_NE(page().find("<section class=\"room\" id=\"sala-sv\">\n<h3 id=\"sala-sv-titulo\">Sem sala (sv)"),
              std::string::npos);
    // A class whose lines list Friday before Tuesday: its meetings are listed by weekday.
    Meeting friday = sections[3].meetings[1];
    sections[3].meetings[1] = {0, 6, slot_start(69), slot_start(69), 69, 69, ~0u, slot_start(69) + 50, 0};
    sections[3].meetings[2] = {0, 3, slot_start(18), slot_start(18), 18, 18, ~0u, slot_start(18) + 50, 0};
    place(OPTIMAL_SOLUTION, 3, 69, 69, 2);
    place(OPTIMAL_SOLUTION, 3, 18, 18, 2);
    std::string row = between(page(), "<th scope=\"row\">MTM 100-1</th>", "</tr>");
    EXPECT_LT(row.find("Ter\xC3\xA7" "a-feira"), row.find("Sexta-feira")) << row;
    sections[3].meetings[1] = friday;
    sections[3].meetings[2] = {};
    // A class without a timetable is listed so.
    add_section(2, 300, 1, 15, 1, 1);
    sections[section_count].meetings[1] = {};
    EXPECT_NE(between(page(), "<th scope=\"row\">QUI 300-1</th>", "</tr>").find("<td>15</td><td>sem hor\xC3\xA1rio"),
              std::string::npos);
}

TEST_F(BoardPage, CalendarLinesAreFoldedAt75OctetsNeverInsideACharacter)
{
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);
    room_names[5][0] = 'a';  // and 39 x "É": 79 octets in UTF-8, the first fold inside an "É"
    for (int i = 1; i < MAX_ROOM_NAME; ++i)
        std::memcpy(room_names[5].data() + 2 * i - 1, "\xC3\x89", 2);
    room_names[5][2 * MAX_ROOM_NAME - 1] = '\0';
    Semester semester{};
    ASSERT_TRUE(parse_semester("2026-03-02:2026-07-04", semester));
    ASSERT_EQ(write_plan_exports("quadro.html", &semester).calendars, 1);
    std::string text = read_file("sala-05.ics");
    std::size_t start = 0;
    std::string unfolded;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        std::string line = text.substr(start, end - start);
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_NE(static_cast<unsigned char>(line.back()) & 0xC0, 0xC0u) << "a character cut after its first octet";
        if (line[0] == ' ')
            unfolded += line.substr(1);
        else
            unfolded += (unfolded.empty() ? "" : "\n") + line;
        start = end + 2;
    }
    std::string name = "a";
    for (int i = 1; i < MAX_ROOM_NAME; ++i)
        name += "\xC3\x89";
    EXPECT_NE(unfolded.find("\nLOCATION:" + name + " \xC2\xB7 sala 05\n"), std::string::npos);
    EXPECT_NE(unfolded.find("\nDTSTART:20260302T082000\n"), std::string::npos);  // Monday 08:20, the first Monday
    EXPECT_NE(unfolded.find("\nRRULE:FREQ=WEEKLY;UNTIL=20260704T235959\n"), std::string::npos);
    // The UID names the course type by number: two types may share a code.
    EXPECT_NE(unfolded.find("\nUID:turma-1-121-2-reuniao-1-sala-05@alocacao\n"), std::string::npos);
    // One octet more before the "�"s: the first fold falls between two characters, at the 75th octet.
    std::string even = "ab";
    for (int i = 2; i < MAX_ROOM_NAME; ++i)
        even += "\xC3\x89";
    std::memcpy(room_names[5].data(), even.c_str(), even.size() + 1);
    ASSERT_EQ(write_plan_exports("quadro.html", &semester).calendars, 1);
    text = read_file("sala-05.ics");
    std::size_t location = text.find("\r\nLOCATION:") + 2;
    EXPECT_EQ(text.find("\r\n", location) - location, 75u);
}

TEST_F(BoardPage, CalendarsLeaveOutMeetingsOutsideTheSemesterAndRoomsNoLongerUsed)
{
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);    // Monday
    place(OPTIMAL_SOLUTION, 2, 86, 90, 7);  // Saturday
    // Calendars of rooms the plan no longer uses, and files that are no calendar of this program.
    const char* stale[] = {"sala-03.ics", "sala-sv.ics", "sala-117.ics"};
    const char* kept[] = {"sala-sv.txt",     "sala-sx.ics",  "sala-7.ics", "sala-1170.ics",
                          "sala-03.ics.bak", "salas-03.ics", "sala_03.ics"};
    for (const char* name : stale)
        write_file(name, "old");
    for (const char* name : kept)
        write_file(name, "kept");
    Semester semester{};
    ASSERT_TRUE(parse_semester("2026-03-03:2026-03-07", semester));  // Tuesday to Saturday: no Monday
    EXPECT_TRUE(plan_occurs_in(semester));
    ASSERT_EQ(write_plan_exports("quadro.html", &semester).calendars, 1);
    EXPECT_FALSE(std::filesystem::exists("sala-05.ics"));
    EXPECT_NE(read_file("sala-07.ics").find("DTSTART:20260307T"), std::string::npos);
    start_console_capture();
    remove_stale_calendars();
    EXPECT_EQ(console_capture(), "Calend\xE1rio removido (sala sem aula no plano): sala-03.ics\n"
                                 "Calend\xE1rio removido (sala sem aula no plano): sala-117.ics\n"
                                 "Calend\xE1rio removido (sala sem aula no plano): sala-sv.ics\n");
    for (const char* name : stale)
        EXPECT_FALSE(std::filesystem::exists(name)) << name;
    for (const char* name : kept) {
        EXPECT_TRUE(std::filesystem::exists(name)) << name;
        std::filesystem::remove(name);
    }
    ASSERT_TRUE(parse_semester("2026-03-03:2026-03-05", semester));  // Tuesday to Thursday
    EXPECT_FALSE(plan_occurs_in(semester));
    // The last week there is: Saturday would fall in the year 10000.
    ASSERT_TRUE(parse_semester("9999-12-27:9999-12-31", semester));
    ASSERT_EQ(write_plan_exports("quadro.html", &semester).calendars, 1);
    EXPECT_NE(read_file("sala-05.ics").find("DTSTART:99991227T082000"), std::string::npos);
    remove_stale_calendars();
    EXPECT_FALSE(std::filesystem::exists("sala-07.ics"));
}

TEST_F(BoardPage, RoomNamesInUtf8OrLatin1ShowTheSameTextOnThePageInTheSpreadsheetAndInTheCalendars)
{
    std::FILE* stream = text_stream("1|30|\n2|40|\n3|45|\n4|50|\n5|60|Qu\xEDmica|\n6|75|Qu\xC3\xADmica|\n7|90|\n");
    RecordFile file{stream, "capacidade.txt", 0, nullptr};
    ASSERT_TRUE(read_room_capacities(file));
    std::fclose(stream);
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);
    place(OPTIMAL_SOLUTION, 2, 86, 90, 6);
    const std::string name = "Qu\xC3\xADmica";  // "Química" in UTF-8, read from Latin-1 and from UTF-8
    std::string text = page();
    text = text.substr(0, text.find("<section id=\"turmas\">"));  // where the class list offers other rooms
    EXPECT_EQ(occurrences(text, name + " &middot; sala 05"), occurrences(text, name + " &middot; sala 06"));
    EXPECT_GT(occurrences(text, name + " &middot; sala 05"), 0);
    Semester semester{};
    ASSERT_TRUE(parse_semester("2026-03-02:2026-07-04", semester));
    ASSERT_EQ(write_plan_exports("quadro.html", &semester).calendars, 2);
    EXPECT_EQ(occurrences(read_file("alocacao.csv"), ";" + name + ";60;"), 1);
    EXPECT_EQ(occurrences(read_file("alocacao.csv"), ";" + name + ";75;"), 1);
    EXPECT_GT(occurrences(read_file("alternativas.csv"), ";" + name + ";"), 0) << read_file("alternativas.csv");
    EXPECT_NE(read_file("sala-05.ics").find("LOCATION:" + name + " \xC2\xB7 sala 05\r\n"), std::string::npos);
    EXPECT_NE(read_file("sala-06.ics").find("LOCATION:" + name + " \xC2\xB7 sala 06\r\n"), std::string::npos);
    // Room labels follow the rooms, not the sections: two digits however many sections there are.
    section_count = 150;
    std::filesystem::remove("sala-05.ics");
    ASSERT_EQ(write_plan_exports("quadro.html", &semester).calendars, 2);
    EXPECT_TRUE(std::filesystem::exists("sala-05.ics"));
    EXPECT_EQ(occurrences(read_file("alocacao.csv"), ";05;" + name + ";60;"), 1);
    char label[8];  // past 99 rooms, three digits for every room; up to 99, two
    last_room = 100;
    format_room_column(label, sizeof label, 5);
    EXPECT_STREQ(label, "005");
    last_room = 99;
    format_room_column(label, sizeof label, 5);
    EXPECT_STREQ(label, "05");
    last_room = 7;
    // Notepad's "ANSI" is Windows-1252: its dash 0x97 is a dash, not a control character.
    stream = text_stream("1|30|\n2|40|\n3|45|\n4|50|\n5|60|Lab \x97 Qu\xEDmica|\n6|75|\n7|90|\n");
    file = {stream, "capacidade.txt", 0, nullptr};
    ASSERT_TRUE(read_room_capacities(file));
    std::fclose(stream);
    EXPECT_STREQ(room_names[5].data(), "Lab \xE2\x80\x94 Qu\xC3\xADmica");
}

// Each plan read back starts afresh: nothing of a plan read before, its
// cells, its rows, its rows without a room or its faults, stays.
TEST_F(BoardPage, EachSpreadsheetPlanIsReadAfresh)
{
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);
    place(OPTIMAL_SOLUTION, 2, 86, 90, 6);
    write_plan_exports("quadro.html", nullptr);
    const std::string header = "dia;inicio;sala;disciplina;turma\n";
    write_file("plano.csv", header + "segunda-feira;08:20;05;MTM 121;2\ns\xC3\xA1" "bado;07:30;06;FIS 120;1\n");
    // Section 1 moved to room 7, section 2 without a room (its block is not over-full), then without a row.
    write_file("sem-sala.csv", header + "segunda-feira;08:20;07;MTM 121;2\ns\xC3\xA1" "bado;07:30;;FIS 120;1\n");
    write_file("sem-linha.csv", header + "segunda-feira;08:20;07;MTM 121;2\n");
    AllocationGrid grid;
    LeftOutMeetings left;
    start_console_capture();
    long open_before = open_descriptor_count();
    int faults[4] = {read_plan_csv("plano.csv", grid, left), read_plan_csv("sem-sala.csv", grid, left),
                     read_plan_csv("sem-linha.csv", grid, left), read_plan_csv("plano.csv", grid, left)};
    EXPECT_EQ(open_descriptor_count(), open_before);  // each plan closed once read
    EXPECT_EQ(console_capture(), "sem-sala.csv, linha 3: turma FIS 120-1, sabado 07:30: sem sala, mas o bloco tem "
                                 "colunas para todas as reunioes\n"
                                 "sem-linha.csv: falta a reuniao da turma FIS 120-1, sabado 07:30\n");
    EXPECT_EQ(std::vector<int>(faults, faults + 4), (std::vector<int>{0, 1, 1, 0}));
    for (int row = 2; row <= 4; ++row)
        EXPECT_EQ(grid[row][5] * 10 + grid[row][7], 10) << row;  // in room 5, no longer in room 7
    EXPECT_EQ(grid[86][6], 2);
    EXPECT_EQ(left.count, 0);
    EXPECT_FALSE(left.marked[2][FIRST_MEETING]);
    // Nine meetings on Saturday morning for sv and seven rooms: of two plans
    // that leave out different ones, the second's alone stays marked.
    for (int32_t turma = 2; turma <= 9; ++turma)
        add_section(3, 120, turma, 20, 86, 90);
    auto leaving_out = [&](int32_t out) {
        std::string text = header + "segunda-feira;08:20;05;MTM 121;2\n";
        const char* columns[] = {"sv", "01", "02", "03", "04", "05", "06", "07"};
        int column = 0;
        for (int32_t turma = 1; turma <= 9; ++turma)
            text += std::string("s\xC3\xA1" "bado;07:30;") + (turma == out ? "" : columns[column++]) + ";FIS 120;" +
                    std::to_string(turma) + "\n";
        return text;
    };
    write_file("plano.csv", leaving_out(1));
    EXPECT_EQ(read_plan_csv("plano.csv", grid, left), 0);
    EXPECT_TRUE(left.marked[2][FIRST_MEETING]);
    write_file("plano.csv", leaving_out(2));
    EXPECT_EQ(read_plan_csv("plano.csv", grid, left), 0);
    EXPECT_EQ(left.count, 1);
    EXPECT_FALSE(left.marked[2][FIRST_MEETING]);
    EXPECT_TRUE(left.marked[3][FIRST_MEETING]);
    // A row shorter than the header has no room's name: not the name the row before it gave.
    std::strcpy(room_names[5].data(), "Lab");
    const std::string saturday = leaving_out(1);
    write_file("plano.csv", "dia;inicio;sala;disciplina;turma;nome da sala\nsegunda-feira;08:20;05;MTM 121;2;Lab\n" +
                                saturday.substr(saturday.find("s\xC3\xA1" "bado")));
    EXPECT_EQ(read_plan_csv("plano.csv", grid, left), 0);
    room_names[5][0] = '\0';
}

TEST_F(BoardPage, SpreadsheetCellsThatWouldBeFormulasStartWithAQuote)
{
    place(OPTIMAL_SOLUTION, 1, 2, 4, 5);
    const struct {
        const char* name;
        const char* cell;
    } cases[] = {{"=HYPERLINK(\"http://x.example\";\"y\")", ";\"'=HYPERLINK(\"\"http://x.example\"\";\"\"y\"\")\";"},
                 {"+1+1", ";'+1+1;"},     {"-2+3", ";'-2+3;"},   {"@SUM(1)", ";'@SUM(1);"},
                 {"\tLab", ";'\tLab;"},   {"-12", ";-12;"},      {"+3,5", ";+3,5;"},
                 {"-", ";'-;"},            {"Sala 5-A", ";Sala 5-A;"}};
    for (const auto& c : cases) {
        std::strcpy(room_names[5].data(), c.name);
        write_plan_exports("quadro.html", nullptr);
        EXPECT_NE(read_file("alocacao.csv").find(c.cell), std::string::npos) << c.name;
    }
}
