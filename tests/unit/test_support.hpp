// Helpers shared by the unit tests: fresh tables, in-memory text streams and
// scratch working directories.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/tables.hpp"
#include "search/random.hpp"

// The department's size, at which most tests work: rooms 1..7 and the overflow column.
inline constexpr int LAST_ROOM = 7;
inline constexpr int ROOM_COLUMNS = LAST_ROOM + 1;

// How many trials a sweep over generated instances runs: all of them in the
// Release build, a tenth (at least two) under the sanitizers, where each
// takes some thirty times as long; the Release run of the same suite is the
// one that hunts for wrong results.
constexpr int sweep(int trials)
{
    return SANITIZED_BUILD ? (trials + 9) / 10 < 2 ? 2 : (trials + 9) / 10 : trials;
}

// Called first in a death test's statement: that child ends by exit(), and
// the sanitizers' leak check at its exit, a scan of every table, would only
// cost time (half a second a child).
void skip_leak_check_at_exit();

// A stream holding `text`, positioned at its start; closed by the caller.
inline std::FILE* text_stream(const std::string& text)
{
    std::FILE* stream = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), stream);
    std::rewind(stream);
    return stream;
}

// The files the process holds open: the same before and after a run that
// must leave none open.
inline long open_descriptor_count()
{
    auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return std::distance(begin(entries), end(entries));
}

inline std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void write_file(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// The worked example of the cost: rooms of 0 (overflow), 40, 30 and five of
// 20 seats, weights 3 and 1, sections 1..3 of 45, 25 and 10 students.
inline void load_three_section_example()
{
    room_capacity = {0, 40, 30, 20, 20, 20, 20, 20};
    excess_weight = 3;
    idle_weight = 1;
    section_count = 3;
    sections[1].demand = 45;
    sections[2].demand = 25;
    sections[3].demand = 10;
}

// Every test starts from zeroed tables and the start of the draw sequence.
class FreshTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_tables();
        last_room = LAST_ROOM;
        restart_random_sequence();
    }
};

// A FreshTables test that runs in its own empty working directory.
class InScratchDirectory : public FreshTables {
protected:
    void SetUp() override
    {
        FreshTables::SetUp();
        previous = std::filesystem::current_path();
        directory = std::filesystem::temp_directory_path() /
                    ("alocacao-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                     "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        std::filesystem::current_path(directory);
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(directory);
    }
    std::filesystem::path previous;
    std::filesystem::path directory;
};

// Console output of the code under test, captured from standard output.
inline void start_console_capture()
{
    std::fflush(stdout);
    ::testing::internal::CaptureStdout();
}

inline std::string console_capture()
{
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

// The number of draws taken since restart_random_sequence (takes one more, and restarts).
inline int draws_taken()
{
    int32_t next = random_below(INT32_MAX);
    restart_random_sequence();
    int count = 0;
    while (random_below(INT32_MAX) != next)
        ++count;
    return count;
}

// Restarts the sequence and skips `count` draws.
inline void skip_draws(int count)
{
    restart_random_sequence();
    for (int i = 0; i < count; ++i)
        random_below(1);
}
