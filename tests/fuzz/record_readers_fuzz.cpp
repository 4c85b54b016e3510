// libFuzzer target: arbitrary bytes through the readers of semana.txt,
// capacidade.txt, demanda.txt, horario.txt, peso.par and regras.txt, and on
// through everything that reads what they stored: the listing, the placement
// of every meeting, which must keep every rule, and the pricing of the grid.
// The input is split at NUL bytes into the six files; an empty semana.txt
// keeps the standard week.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "model/instance.hpp"
#include "model/listing.hpp"
#include "model/rules/rules.hpp"
#include "model/tables.hpp"
#include "model/weights.hpp"
#include "model/week.hpp"
#include "search/allocation.hpp"
#include "search/cost.hpp"

namespace {

// The next NUL-terminated piece of the input as a stream (an empty one at the end).
std::FILE* next_piece(const uint8_t*& data, size_t& size)
{
    const void* end = std::memchr(data, 0, size);
    size_t length = end == nullptr ? size : static_cast<size_t>(static_cast<const uint8_t*>(end) - data);
    std::FILE* stream = length == 0 ? std::fopen("/dev/null", "r")
                                    : fmemopen(const_cast<uint8_t*>(data), length, "r");
    size_t used = end == nullptr ? length : length + 1;
    data += used;
    size -= used;
    return stream;
}

bool read_piece(bool (*reader)(RecordFile&), const uint8_t*& data, size_t& size)
{
    std::FILE* stream = next_piece(data, size);
    RecordFile file{stream, "fuzz", 0, nullptr};
    bool ok = reader(file);
    std::fclose(stream);
    return ok;
}

}  // namespace

// The placement's warnings would flood the fuzzer's own report.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return std::freopen("/dev/null", "w", stdout) == nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reset_tables();
    if (!read_piece(read_week, data, size) || !read_piece(read_room_capacities, data, size) ||
        !read_piece(read_sections, data, size) ||
        !read_piece(read_timetable, data, size))
        return 0;
    std::FILE* weights = next_piece(data, size);
    int32_t excess = 0, idle = 0;
    bool weights_ok = read_weights(weights, excess, idle) == nullptr && costs_fit_32_bits(excess, idle, same_room_weight);
    std::fclose(weights);
    if (!weights_ok || !read_piece(read_rules, data, size) || !costs_fit_32_bits(excess, idle, same_room_weight))
        return 0;
    excess_weight = excess;
    idle_weight = idle;
    std::FILE* sink = std::fopen("/dev/null", "w");
    write_section_listing(sink);
    std::fclose(sink);
    place_all_meetings();
    for (int32_t i = 0; i < rule_count; ++i)
        if (find_breach(current_grid, rules[i]).broken)
            __builtin_trap();
    grid_cost(current_grid, current_cost);
    return 0;
}
