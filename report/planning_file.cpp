// Writing, showing and reading back the ranked changes of seats.
#include "report/planning_file.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "io/console.hpp"
#include "io/input_file.hpp"
#include "io/output_file.hpp"
#include "report/written_lines.hpp"
#include "search/planning.hpp"

namespace {

constexpr const char* PLANNING_FILE = "planejamento.txt";
constexpr const char* HEADER = "Planejamento de salas";
constexpr const char* SEATS_ONLY = "so lugares";
constexpr const char* RULES_ONLY = "so regras";
constexpr const char* INCOMPLETE = "incompleto: ";
constexpr const char* PROVEN_COST = ": custo otimo atual ";
constexpr const char* FOUND_COST = ": melhor custo encontrado ";
constexpr const char* STUDENTS_HEADER = ", alunos acima atual ";

// "Planejamento de salas (so lugares; incompleto: 20 de 422 mudancas avaliadas)": the header before its cost.
void format_header_start(char* text, std::size_t size, const PlanningBaseline& today)
{
    int used = std::snprintf(text, size, "%s", HEADER);
    const char* joint = " (";
    auto note = [&](const char* format, auto... values) {
        used += std::snprintf(text + used, size - static_cast<std::size_t>(used), "%s", joint);
        used += std::snprintf(text + used, size - static_cast<std::size_t>(used), format, values...);
        joint = "; ";
    };
    if (!today.rules_planned)
        note("%s", SEATS_ONLY);
    if (!today.seats_planned)
        note("%s", RULES_ONLY);
    if (planning_incomplete(today))
        note("%s%d de %d mudancas avaliadas", INCOMPLETE, today.evaluated, today.planned);
    if (*joint == ';')
        std::snprintf(text + used, size - static_cast<std::size_t>(used), ")");
}

// "12 alunos acima a menos (de 57 para 45)"
void print_investment(const RoomChange& change, const PlanningBaseline& today)
{
    print_change_name(change);
    long long relieved = -change.variation;
    console_print(": %lld %s acima a menos (de %lld para %lld)%s\n", relieved, plural(relieved, "aluno", "alunos"),
                  static_cast<long long>(today.students_above), static_cast<long long>(change.students_above),
                  change.proven ? "" : ", otimalidade n\xE3o provada");
}

// "sala 03", with " (its name)" when it has one.
void print_room(int room)
{
    console_print("sala %02d", room);
    if (room_names[room][0] != '\0') {  // in UTF-8: shown as the console shows a path
        console_print(" (");
        console_print_path(room_names[room].data());
        console_print(")");
    }
}

void print_spare_seats(const SpareSeats& spare)
{
    print_room(spare.column);
    console_print(" pode ficar com %d %s (hoje %d)\n", spare.proposed_seats,
                  plural(spare.proposed_seats, "lugar", "lugares"), spare.current_seats);
}

// The notes between parentheses of the header, into `today`; moves past them.
bool read_header_notes(const char*& text, PlanningBaseline& today)
{
    today.seats_planned = today.rules_planned = true;
    today.evaluated = today.planned = 0;
    if (!take_text(text, " ("))
        return true;
    for (;;) {
        if (take_text(text, SEATS_ONLY))
            today.rules_planned = false;
        else if (take_text(text, RULES_ONLY))
            today.seats_planned = false;
        else if (!take_text(text, INCOMPLETE) || !take_written_number(text, today.evaluated) ||
                 !take_text(text, " de ") || !take_written_number(text, today.planned) ||
                 !take_text(text, " mudancas avaliadas") || today.evaluated < 0 ||
                 today.evaluated >= today.planned)
            return false;
        if (take_text(text, ")"))
            return today.seats_planned || today.rules_planned;
        if (!take_text(text, "; "))
            return false;
    }
}

// The header as write_planning_file writes it, with no figure below 0; and
// exactly as written.
bool read_header(WrittenFile& file, PlanningBaseline& today)
{
    if (!next_written_line(file))
        return false;
    const char* text = file.text;
    if (!take_text(text, HEADER) || !read_header_notes(text, today))
        return false;
    today.optimum_proven = take_text(text, PROVEN_COST);
    if (!today.optimum_proven && !take_text(text, FOUND_COST))
        return false;
    if (!take_written_number(text, today.optimum_cost) || !take_text(text, STUDENTS_HEADER) ||
        !take_written_number(text, today.students_above) || *text != '\0' || today.optimum_cost < 0 ||
        today.students_above < 0)
        return false;
    char written[WRITTEN_LINE_LENGTH];
    format_header_start(written, sizeof written, today);
    return std::strncmp(written, file.text, std::strlen(written)) == 0 &&
           (file.text[std::strlen(written)] == ':');
}

bool at_end(std::FILE* stream)
{
    int c = std::fgetc(stream);
    std::ungetc(c, stream);
    return c == EOF;
}

// One record as write_planning_file prints it, with figures that can be true.
bool read_change(WrittenFile& file, const PlanningBaseline& today, RoomChange& change)
{
    const char* text = file.text;
    int32_t proven = 0;
    bool written = take_written_number(text, change.column) && take_text(text, "|") &&
                   take_written_number(text, change.current_seats) && take_text(text, "|") &&
                   take_written_number(text, change.proposed_seats) && take_text(text, "|") &&
                   take_written_number(text, change.students_above) && take_text(text, "|") &&
                   take_written_number(text, change.variation) && take_text(text, "|") &&
                   take_written_number(text, change.cost) && take_text(text, "|") &&
                   take_written_number(text, change.violations) && take_text(text, "|") &&
                   take_written_number(text, proven) && take_text(text, "|") && *text == '\0';
    change.proven = proven == 1;
    return written && change.column >= 1 && change.column <= std::min(last_room + 1, MAX_ROOM) &&
           change.current_seats >= 0 &&
           change.proposed_seats >= 0 && change.students_above >= 0 &&
           change.variation == change.students_above - today.students_above && change.cost >= 0 &&
           change.violations >= 0 && (proven == 0 || proven == 1);
}

constexpr const char* SPARE_START = "sobra|";

// "sobra|7|90|80|": a reduction of the set that holds all at once.
bool read_spare(const char* text, SpareSeats& spare)
{
    bool written = take_text(text, SPARE_START) && take_written_number(text, spare.column) && take_text(text, "|") &&
                   take_written_number(text, spare.current_seats) && take_text(text, "|") &&
                   take_written_number(text, spare.proposed_seats) && take_text(text, "|") && *text == '\0';
    return written && spare.column >= 1 && spare.column <= last_room && spare.proposed_seats >= 0 &&
           spare.proposed_seats < spare.current_seats;
}

constexpr const char* RULE_PRICE_START = "regras.txt, linha ";

// An earlier version wrote a price it had not proven as if it were one, with
// ", otimalidade nao provada" after it: such a file is of another version.
constexpr const char* OUTDATED_UNPROVEN = ", otimalidade nao provada";

bool outdated_rule_price(char* text, const PlanningBaseline& today, RulePrice& price);

// A price line exactly as format_rule_price writes it, with figures that can be true.
bool read_rule_price(const char* text, const PlanningBaseline& today, RulePrice& price)
{
    long long line{}, cost{}, cost_change{}, students{}, students_change{}, lower{};
    bool proven = std::sscanf(text, "regras.txt, linha %lld: sem esta regra, custo otimo %lld (%lld), alunos acima "
                                    "%lld (%lld)",
                              &line, &cost, &cost_change, &students, &students_change) == 5;
    if (proven) {
        lower = cost;
    } else if (std::sscanf(text, "regras.txt, linha %lld: sem esta regra, custo entre %lld e %lld", &line, &lower,
                           &cost) == 3) {
        cost_change = cost - today.optimum_cost;
        students_change = students - today.students_above;
    } else {
        return false;
    }
    if (line < 1 || line > INT32_MAX || cost < 0 || lower < 0 || lower > cost || students < 0 ||
        cost_change != cost - today.optimum_cost || students_change != students - today.students_above)
        return false;
    price = {static_cast<int32_t>(line), cost, cost_change, students, students_change, proven, lower};
    char written[WRITTEN_LINE_LENGTH];
    format_rule_price(written, sizeof written, price);
    return std::strcmp(written, text) == 0;
}

bool outdated_rule_price(char* text, const PlanningBaseline& today, RulePrice& price)
{
    std::size_t length = std::strlen(text), suffix = std::strlen(OUTDATED_UNPROVEN);
    if (length <= suffix || std::strcmp(text + length - suffix, OUTDATED_UNPROVEN) != 0)
        return false;
    text[length - suffix] = '\0';
    return read_rule_price(text, today, price) && price.proven;
}

}  // namespace

void format_rule_price(char* text, std::size_t size, const RulePrice& price)
{
    if (!price.proven) {
        std::snprintf(text, size, "regras.txt, linha %d: sem esta regra, custo entre %" PRId64 " e %" PRId64,
                      price.line, price.lower_bound, price.cost);
        return;
    }
    std::snprintf(text, size,
                  "regras.txt, linha %d: sem esta regra, custo otimo %" PRId64 " (%+" PRId64 "), alunos acima %" PRId64
                  " (%+" PRId64 ")",
                  price.line, price.cost, price.cost_change, price.students_above, price.students_change);
}

void format_incomplete_planning(char* text, std::size_t size, const PlanningBaseline& today)
{
    std::snprintf(text, size, "(planejamento incompleto: %d de %d %s)", today.evaluated, today.planned,
                  plural(today.planned, "mudan\xE7" "a avaliada", "mudan\xE7" "as avaliadas"));
}

void write_planning_file(const PlanningBaseline& today)
{
    std::FILE* out = begin_output_file(PLANNING_FILE, "\n\nArquivo planejamento.txt nao pode ser criado.\n");
    char header[160];
    format_header_start(header, sizeof header, today);
    std::fprintf(out, "%s%s%" PRId64 "%s%" PRId64 "\n", header, today.optimum_proven ? PROVEN_COST : FOUND_COST,
                 today.optimum_cost, STUDENTS_HEADER, today.students_above);
    for (const RoomChange& change : changes_evaluated()) {
        std::fprintf(out, "%d|%d|%d|%" PRId64 "|%" PRId64 "|%" PRId64 "|%d|%d|\n", change.column,
                     change.current_seats, change.proposed_seats, change.students_above, change.variation,
                     change.cost, change.violations, change.proven ? 1 : 0);
    }
    for (const SpareSeats& spare : spare_set())
        std::fprintf(out, "%s%d|%d|%d|\n", SPARE_START, spare.column, spare.current_seats, spare.proposed_seats);
    char line[WRITTEN_LINE_LENGTH];
    for (const RulePrice& price : rules_priced()) {
        format_rule_price(line, sizeof line, price);
        std::fprintf(out, "%s\n", line);
    }
    finish_output_file();
}

void print_change_name(const RoomChange& change)
{
    if (change.column > last_room) {
        console_print("uma sala a mais (sala %02d) com %d %s", change.column, change.proposed_seats,
                      plural(change.proposed_seats, "lugar", "lugares"));
    } else {
        print_room(change.column);
        console_print(": %d ", change.current_seats);
        console_symbol("\u2192", "->");
        console_print(" %d %s", change.proposed_seats, plural(change.proposed_seats, "lugar", "lugares"));
    }
}

namespace {

// Where to invest and the spare seats; no sentence about every change when
// only some were evaluated.
void print_seat_changes(const PlanningBaseline& today)
{
    bool complete = !planning_incomplete(today);
    std::array<int, BEST_CHANGES_SHOWN> investments;
    int count = choose_investments(investments);
    console_print("\nOnde investir (%s, %d %s de uma coluna %s):\n", PLANNING_FILE, room_change_count,
                  plural(room_change_count, "mudan\xE7" "a", "mudan\xE7" "as"),
                  plural(room_change_count, "avaliada", "avaliadas"));
    if (count == 0 && complete)
        console_print("Nenhuma mudan\xE7" "a de uma coluna diminui os alunos acima da capacidade (hoje %lld).\n",
                      static_cast<long long>(today.students_above));
    for (int i = 0; i < count; ++i)
        print_investment(room_changes[investments[i]], today);
    if (spare_seat_count == 0 && !complete)
        return;
    console_print("\nLugares que sobram (todas juntas, sem piorar o otimo):\n");
    if (spare_seat_count == 0)
        console_print("Nenhuma sala pode ficar com menos lugares sem mais alunos acima.\n");
    for (const SpareSeats& spare : spare_set())
        print_spare_seats(spare);
}

}  // namespace

void print_planning(const PlanningBaseline& today)
{
    if (planning_incomplete(today)) {
        char incomplete[96];
        format_incomplete_planning(incomplete, sizeof incomplete, today);
        console_print("\n%s\n", incomplete);
    }
    if (today.seats_planned)
        print_seat_changes(today);
    if (rule_price_count > 0)
        console_print("\nPre\xE7o de cada regra (a mesma conta sem a linha):\n");
    char line[WRITTEN_LINE_LENGTH];
    for (const RulePrice& price : rules_priced()) {
        format_rule_price(line, sizeof line, price);
        console_print("%s\n", line);
    }
}

bool read_planning_file(PlanningBaseline& today)
{
    std::FILE* stream = open_regular_file(PLANNING_FILE);
    if (stream == nullptr && errno == ENOENT)
        return false;
    if (stream == nullptr)
        fail_with("\n\nArquivo %s nao pode ser lido.\n", PLANNING_FILE);
    WrittenFile file{stream, 0, {}};
    if (!read_header(file, today))
        refuse_written_line(file, PLANNING_FILE, 1, "cabecalho inesperado");
    room_change_count = 0;
    rule_price_count = 0;
    spare_seat_count = 0;
    today.outdated = false;
    while (!at_end(stream)) {
        bool read = next_written_line(file);
        if (read && rule_price_count < MAX_RULES &&
            std::strncmp(file.text, RULE_PRICE_START, std::strlen(RULE_PRICE_START)) == 0) {
            RulePrice& price = rule_prices[rule_price_count++];
            bool outdated = outdated_rule_price(file.text, today, price);
            today.outdated = today.outdated || outdated;
            read = outdated || read_rule_price(file.text, today, price);
        }
        else if (read && rule_price_count == 0 && spare_seat_count < MAX_ROOM_COLUMNS &&
                 std::strncmp(file.text, SPARE_START, std::strlen(SPARE_START)) == 0)
            read = read_spare(file.text, spare_seats[spare_seat_count++]);
        else if (read && rule_price_count == 0 && spare_seat_count == 0 && room_change_count < MAX_ROOM_CHANGES)
            read = read_change(file, today, room_changes[room_change_count++]);
        else
            read = false;
        if (!read)
            refuse_written_line(file, PLANNING_FILE, file.line, "registro inesperado");
    }
    close_written_file(file, PLANNING_FILE);
    return true;
}
