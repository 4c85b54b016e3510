// The capacity violation listing and the grid files.
#include "report/grid_files.hpp"
#include "report/grid_reader.hpp"
#include "report/violations.hpp"

#include <cerrno>
#include <csignal>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "io/output_file.hpp"

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

mode_t mode_of(const char* name)
{
    struct stat status {};
    stat(name, &status);
    return status.st_mode & 07777;
}

// The names in the working directory, sorted, each followed by a blank.
std::string entries_here()
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        names.insert(entry.path().filename().string());
    std::string listed;
    for (const std::string& name : names)
        listed += name + " ";
    return listed;
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

TEST_F(ViolationListing, LastSlotAndLastRoomAreExamined)
{
    best_grid[slot_count][LAST_ROOM] = 7;
    best_grid[1][0] = 3;
    EXPECT_EQ(listing(), "\n3 - 7 - \nnumero de inviabilidades: 2 \n");
    EXPECT_EQ(violation_count, 2);
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

TEST_F(GridFiles, CellsWidenWithTheHighestSectionAndAreReadBackOnlyAtThatWidth)
{
    const struct {
        int32_t sections;
        const char* rule;
        const char* columns;
        const char* slot;
    } cases[] = {
        {99, RULE.c_str(), COLUMNS.c_str(), "| 1\t| 07 | 00 | 00 | 00 | 00 | 00 | 00 | 42 |"},
        {150, "_________________________________________________________",
         "|H-S\t|  sv | 001 | 002 | 003 | 004 | 005 | 006 | 007 |", "| 1\t| 007 | 000 | 000 | 000 | 000 | 000 | 000 | 042 |"},
        {1000, "_________________________________________________________________",
         "|H-S\t|   sv | 0001 | 0002 | 0003 | 0004 | 0005 | 0006 | 0007 |",
         "| 1\t| 0007 | 0000 | 0000 | 0000 | 0000 | 0000 | 0000 | 0042 |"},
    };
    for (const auto& c : cases) {
        section_count = c.sections;
        clear_grid(best_grid);
        best_grid[1][0] = 7;
        best_grid[1][7] = 42;
        best_grid[90][3] = c.sections;
        write_final_solution_file();
        std::vector<std::string> lines = lines_of(read_file("solucaof.txt"));
        ASSERT_EQ(lines.size(), 97u);
        EXPECT_EQ(lines[3], c.rule);
        EXPECT_EQ(lines[4], c.columns);
        EXPECT_EQ(lines[6], c.slot);
        GridReport report;
        ASSERT_EQ(read_grid_report("solucaof.txt", true, report), ReportRead::Read) << c.sections;
        EXPECT_EQ(report.grid, best_grid);
        section_count = c.sections == 99 ? 150 : 99;  // the same report read for another width
        EXPECT_EQ(read_grid_report("solucaof.txt", true, report), ReportRead::Malformed) << c.sections;
        EXPECT_EQ(report.bad_line, 4);
    }
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
    // An optimum not proven says its bound after the grid, and reads back so; a proven one, nothing more.
    section_count = 99;
    static GridReport report;
    write_optimum_file(false, 500);
    EXPECT_EQ(lines_of(read_file("otima.txt")).back(), "Limite inferior: 500 (nao provado)");
    ASSERT_EQ(read_grid_report("otima.txt", true, report), ReportRead::Read);
    EXPECT_FALSE(report.proven);
    EXPECT_EQ(report.lower_bound, 500);
    write_optimum_file();
    EXPECT_EQ(read_file("otima.txt"), read_file("solucaof.txt"));
    ASSERT_EQ(read_grid_report("otima.txt", true, report), ReportRead::Read);
    EXPECT_TRUE(report.proven);
    std::string grid = read_file("otima.txt");
    for (const char* line : {"Limite inferior: 513 (nao provado)\n", "Limite inferior: 500\n",
                             "Limite inferior: -1 (nao provado)\n", "Limite inferior: 500 (nao provado)\nx\n"}) {
        write_file("otima.txt", grid + line);
        EXPECT_EQ(read_grid_report("otima.txt", true, report), ReportRead::Malformed) << line;
    }
    for (int32_t bound : {0, 512}) {  // from 0 to the cost itself
        write_file("otima.txt", grid + "Limite inferior: " + std::to_string(bound) + " (nao provado)\n");
        ASSERT_EQ(read_grid_report("otima.txt", true, report), ReportRead::Read) << bound;
        EXPECT_EQ(report.lower_bound, bound);
    }
}

TEST_F(GridFiles, NewReportReplacesTheOldOneKeepingItsModeAndLeavesNothingElse)
{
    write_file("solucao.txt", "old report that is longer than nothing\n");
    chmod("solucao.txt", 0640);
    write_solution_file();
    EXPECT_EQ(lines_of(read_file("solucao.txt")).size(), 98u);
    EXPECT_EQ(mode_of("solucao.txt"), 0640u);
    mode_t old_mask = umask(027);
    write_final_solution_file();
    umask(old_mask);
    EXPECT_EQ(mode_of("solucaof.txt"), 0640u);
    EXPECT_EQ(entries_here(), "solucao.txt solucaof.txt ");
}

TEST_F(GridFiles, ModeComesOnlyFromARegularFileAndAlwaysLessTheUmaskAndSpecialBits)
{
    std::filesystem::create_directory("aberto");
    chmod("aberto", 01777);
    write_file("setuid", "");
    chmod("setuid", 04755);
    const struct {
        const char* planted;  // what solucao.txt is before the write
        mode_t mode;          // its mode after, under the umask 022
    } cases[] = {{"aberto", 0644}, {"setuid", 0644}, {"/dev/null", 0644}, {"nada", 0644}, {nullptr, 0755}};
    mode_t old_mask = umask(022);
    for (const auto& c : cases) {
        std::filesystem::remove("solucao.txt");
        if (c.planted != nullptr)
            std::filesystem::create_symlink(c.planted, "solucao.txt");
        else
            std::filesystem::copy_file("setuid", "solucao.txt");  // a regular file of mode 04755
        write_solution_file();
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status("solucao.txt")));
        EXPECT_EQ(mode_of("solucao.txt"), c.mode) << (c.planted ? c.planted : "regular file");
    }
    write_file("solucao.txt", "");
    chmod("solucao.txt", 0666);
    write_solution_file();
    umask(old_mask);
    EXPECT_EQ(mode_of("solucao.txt"), 0644u);
    EXPECT_EQ(mode_of("aberto"), 01777u);  // what the links named is untouched
    EXPECT_EQ(mode_of("setuid"), 04755u);
}

TEST_F(GridFiles, SignalThatEndsTheProcessMidWriteLeavesThePreviousReportAndNoTemporaryFile)
{
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        write_file("solucao.txt", "previous\n");
        pid_t child = fork();
        if (child == 0) {
            std::FILE* out = begin_output_file("solucao.txt", "erro\n");
            std::fputs("part of a report", out);
            std::fflush(out);
            raise(signal_number);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << "signal " << signal_number;
        EXPECT_EQ(read_file("solucao.txt"), "previous\n");
        EXPECT_EQ(entries_here(), "solucao.txt ") << "signal " << signal_number;
        child = fork();  // within a set: the file already finished goes too
        if (child == 0) {
            begin_output_set();
            std::FILE* out = begin_output_file("solucao.txt", "erro\n");
            std::fputs("a whole report", out);
            finish_output_file();
            out = begin_output_file("lista.txt", "erro\n");
            std::fputs("part of its list", out);
            std::fflush(out);
            raise(signal_number);
            _exit(0);
        }
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << "signal " << signal_number;
        EXPECT_EQ(read_file("solucao.txt"), "previous\n");
        EXPECT_EQ(entries_here(), "solucao.txt ") << "signal " << signal_number;
    }
}

// A set replaces one file and removes another, a failure left over from
// before or not.
TEST_F(GridFiles, SetReplacesOneFileAndRemovesAnother)
{
    for (int left_over : {0, ENOENT}) {
        write_file("solucao.txt", "previous\n");
        write_file("lista.txt", "old list\n");
        begin_output_set();
        std::FILE* out = begin_output_file("solucao.txt", "erro\n");
        std::fputs("a whole report", out);
        finish_output_file();
        ASSERT_TRUE(remove_in_output_set("lista.txt"));
        errno = left_over;
        commit_output_set();
        EXPECT_EQ(read_file("solucao.txt"), "a whole report");
        EXPECT_EQ(entries_here(), "solucao.txt ") << left_over;
    }
    // Outside a set a file goes at once, and one already gone is no failure; one that cannot go is.
    write_file("lista.txt", "old list\n");
    errno = 0;
    EXPECT_TRUE(remove_in_output_set("lista.txt"));
    EXPECT_EQ(entries_here(), "solucao.txt ");
    EXPECT_TRUE(remove_in_output_set("lista.txt"));
    std::filesystem::create_directory("lista.txt");
    EXPECT_FALSE(remove_in_output_set("lista.txt"));
    std::filesystem::remove("lista.txt");
}

TEST_F(GridFiles, FileSizeLimitFailsTheWriteLikeAFullDisk)
{
    write_file("solucao.txt", "previous\n");
    pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "r", stdin);
        std::freopen("/dev/null", "w", stdout);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        write_solution_file();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(read_file("solucao.txt"), "previous\n");
    EXPECT_EQ(entries_here(), "solucao.txt ");
}
