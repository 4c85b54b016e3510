// Reading and checking the penalty weights.
#include "model/weights.hpp"

#include <algorithm>
#include <cctype>

#include "io/console.hpp"
#include "model/records.hpp"
#include "model/rules/rules.hpp"

namespace {

// Beyond this a single cell's price is refused outright, so that the sums
// over all cells below stay exact in 64 bits.
constexpr int64_t CELL_PRICE_LIMIT = INT64_MAX / ((MAX_SLOTS + 1) * MAX_ROOM_COLUMNS);

int skip_space(std::FILE* stream)
{
    int c;
    while ((c = std::getc(stream)) != EOF && std::isspace(c)) {
    }
    return c;
}

const char* read_weight(std::FILE* stream, int32_t& weight, const char* missing)
{
    int c = skip_space(stream);
    if (c == EOF)
        return missing;
    return scan_whole_number(stream, c, weight);
}

}  // namespace

const char* read_weights(std::FILE* stream, int32_t& excess, int32_t& idle)
{
    const char* error = read_weight(stream, excess, "arquivo sem numeros");
    if (error == nullptr)
        error = read_weight(stream, idle, "falta o segundo numero");
    if (error == nullptr && (excess < 0 || idle < 0))
        error = "peso negativo";
    return std::ferror(stream) ? "erro de leitura" : error;
}

bool costs_fit_32_bits(int32_t excess, int32_t idle, int32_t stability, bool preferences)
{
    int64_t highest = 0, lowest = 0;
    for (int room = 0; room <= last_room; ++room) {
        int64_t cell_high = INT64_MIN, cell_low = INT64_MAX;
        for (int32_t index = 0; index <= section_count; ++index) {
            int64_t price = seat_cost_with(excess, idle, sections[index].demand, room_capacity[room]);
            if (price > CELL_PRICE_LIMIT || price < -CELL_PRICE_LIMIT)
                return false;
            cell_high = std::max(cell_high, price);
            cell_low = std::min(cell_low, price);
        }
        highest += cell_high * slot_count;
        lowest += cell_low * slot_count;
    }
    for (int32_t index = FIRST_SECTION; index <= section_count; ++index)
        for (int m : meeting_numbers()) {
            bool present = is_present(sections[index].meetings[m]);
            highest += present && m > FIRST_MEETING ? stability : 0;  // each room past the first
            // A preference costs most in sv, outside every room set; a price at its cap is past 32 bits.
            int64_t preference = preferences && present ? preference_price(index, OVERFLOW_COLUMN) : 0;
            highest += preference == INT32_MAX ? int64_t{INT32_MAX} + 1 : preference;
        }
    return highest <= INT32_MAX && lowest >= INT32_MIN;
}

bool cell_prices_exact(int64_t seats)
{
    for (int32_t index = 0; index <= section_count; ++index)
        if (seat_cost(sections[index].demand, seats) > CELL_PRICE_LIMIT)
            return false;
    return true;
}

void load_weights()
{
    std::FILE* stream = open_input_file("peso.par");
    int32_t excess{}, idle{};
    if (const char* error = read_weights(stream, excess, idle))
        fail_with("\n\nArquivo peso.par: %s\n", error);
    if (!costs_fit_32_bits(excess, idle, 0, false))
        fail_with("\n\nArquivo peso.par: com estes pesos o custo passaria de 32 bits\n");
    if (!costs_fit_32_bits(excess, idle, same_room_weight, false))
        fail_with("\n\nArquivo regras.txt, linha %d: com este peso de mesma_sala o custo passaria de 32 bits\n",
                  same_room_rule_line());
    if (!costs_fit_32_bits(excess, idle, same_room_weight, true))
        fail_with("\n\nArquivo regras.txt: com os pesos de prefere o custo passaria de 32 bits\n");
    excess_weight = excess;
    idle_weight = idle;
    console_print("Penalidade por excesso de capacidade= %d\nPenalidade por ociosidade= %d\n",
                  excess_weight, idle_weight);
    std::fclose(stream);
}
