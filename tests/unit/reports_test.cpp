// The capacity violation listing and the grid files.
#include "report/grid_files.hpp"
#include "report/violations.hpp"

#include <sstream>
#include <vector>

#include "test_support.hpp"

namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

const std::string RULE(49, '_');
const std::string COLUMNS = "|H-S\t| sv | 01 | 02 | 03 | 04 | 05 | 06 | 07 |";

}  // namespace

class ViolationListing : public FreshTables {
protected:
    void SetUp() override
    {
        FreshTables::SetUp();
        room_capacity = {0, 30, 40, 40, 40, 40, 40, 40};
        section_count = 7;
        sections[3].demand = 10;
        sections[7].demand = 45;
        sections[5].demand = 40;
    }
    std::string listing()
    {
        start_console_capture();
        report_capacity_violations();
        return console_capture();
    }
};

TEST_F(ViolationListing, OverCapacityCellsAreListedRoomByRoom)
{
    best_grid[40][2] = 7;
    best_grid[5][0] = 3;
    best_grid[6][0] = 3;
    EXPECT_EQ(listing(), "\n3 - 3 - 7 - \nnumero de inviabilidades: 3 \n");
    EXPECT_EQ(violation_count, 3);
}

TEST_F(ViolationListing, NoViolationsGivesACountOfZero)
{
    violation_count = 9;
    best_grid[8][3] = 5;  // fills room 3 exactly
    best_grid[0][0] = 7;  // row 0 is not a slot
    current_grid[1][1] = 7;  // only the best grid is looked at
    EXPECT_EQ(listing(), "\n\nnumero de inviabilidades: 0 \n");
    EXPECT_EQ(violation_count, 0);
}

class GridFiles : public InScratchDirectory {};

TEST_F(GridFiles, SolutionFileShowsCostAndEverySlotOfTheCurrentGrid)
{
    current_cost = -1234;
    current_grid[1][0] = 7;
    current_grid[1][7] = 42;
    current_grid[90][3] = 5;
    write_solution_file();
    std::vector<std::string> lines = lines_of(read_file("solucao.txt"));
    ASSERT_EQ(lines.size(), 98u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "Fun\xE7\xE3o Objetivo: -1234");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], RULE);
    EXPECT_EQ(lines[5], COLUMNS);
    EXPECT_EQ(lines[6], RULE);
    EXPECT_EQ(lines[7], "| 1\t| 07 | 00 | 00 | 00 | 00 | 00 | 00 | 42 |");
    EXPECT_EQ(lines[8], "| 2\t| 00 | 00 | 00 | 00 | 00 | 00 | 00 | 00 |");
    EXPECT_EQ(lines[96], "| 90\t| 00 | 00 | 00 | 05 | 00 | 00 | 00 | 00 |");
    EXPECT_EQ(lines[97], RULE);
    EXPECT_FALSE(std::filesystem::exists("solucao.txt.tmp"));
}

TEST_F(GridFiles, FinalFileShowsBestCostAndViolations)
{
    best_cost = 512;
    violation_count = 3;
    best_grid[45][1] = 99;
    current_grid[45][1] = 11;
    write_final_solution_file();
    std::vector<std::string> lines = lines_of(read_file("solucaof.txt"));
    ASSERT_EQ(lines.size(), 97u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "Fun\xE7\xE3o Objetivo: 512");
    EXPECT_EQ(lines[2], "Inviabilidades: 3");
    EXPECT_EQ(lines[3], RULE);
    EXPECT_EQ(lines[4], COLUMNS);
    EXPECT_EQ(lines[5 + 45], "| 45\t| 00 | 99 | 00 | 00 | 00 | 00 | 00 | 00 |");
    EXPECT_EQ(lines[96], RULE);
}

TEST_F(GridFiles, NewReportReplacesTheOldOne)
{
    write_file("solucao.txt", "old report that is longer than nothing\n");
    write_solution_file();
    EXPECT_EQ(lines_of(read_file("solucao.txt")).size(), 98u);
}
