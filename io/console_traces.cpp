// The trace buffer: annealing traces appended in place and written to
// standard output in large pieces, so that a move's trace costs a few copies
// rather than a stream call.
#include <cstdio>
#include <cstring>

#include "io/console.hpp"

namespace {

constexpr std::size_t TRACE_BUFFER = 1 << 16;
constexpr std::size_t LONGEST_NUMBER_LINE = 12;  // "-2147483648\n"

std::array<char, TRACE_BUFFER> trace_bytes;
std::size_t trace_length = 0;

// "00" to "99": two digits per step halves the divisions.
constexpr std::array<char, 200> DIGIT_PAIRS = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

void make_room(std::size_t length)
{
    if (trace_length + length > TRACE_BUFFER)
        console_flush_traces();
}

// Texts are copied with a fixed-size copy, which the compiler does in a few
// moves: half of ConsoleText's bytes, which hold every trace text but the
// longest, or all of them; only `length` of it counts.
void append_text(const ConsoleText& text)
{
    constexpr std::size_t HALF = sizeof text.bytes / 2;
    char* end = trace_bytes.data() + trace_length;
    if (text.length <= HALF)
        std::memcpy(end, text.bytes.data(), HALF);
    else
        std::memcpy(end, text.bytes.data(), sizeof text.bytes);
    trace_length += text.length;
}

// The digits are made right to left in a scratch line and copied with a
// fixed-size copy, as the texts are.
void append_number_line(int32_t number)
{
    std::array<char, 2 * LONGEST_NUMBER_LINE> line;
    char* first = line.data() + LONGEST_NUMBER_LINE;
    *--first = '\n';
    uint32_t magnitude = number < 0 ? 0u - static_cast<uint32_t>(number) : static_cast<uint32_t>(number);
    for (; magnitude >= 100; magnitude /= 100) {
        first -= 2;
        std::memcpy(first, &DIGIT_PAIRS[2 * (magnitude % 100)], 2);
    }
    if (magnitude >= 10) {
        first -= 2;
        std::memcpy(first, &DIGIT_PAIRS[2 * magnitude], 2);
    } else {
        *--first = static_cast<char>('0' + magnitude);
    }
    if (number < 0)
        *--first = '-';
    std::memcpy(trace_bytes.data() + trace_length, first, LONGEST_NUMBER_LINE);
    trace_length += static_cast<std::size_t>(line.data() + LONGEST_NUMBER_LINE - first);
}

}  // namespace

void trace_line(const ConsoleText& text, int32_t number)
{
    make_room(sizeof text.bytes + LONGEST_NUMBER_LINE);
    append_text(text);
    append_number_line(number);
}

void console_flush_traces()
{
    if (trace_length == 0)
        return;
    std::fwrite(trace_bytes.data(), 1, trace_length, stdout);
    trace_length = 0;
}
