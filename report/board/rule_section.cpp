// Each rule of regras.txt on the board, kept or broken by each solution.
#include "report/board/rule_section.hpp"

#include <array>
#include <cinttypes>
#include <utility>

#include "io/console.hpp"
#include "model/calendar.hpp"
#include "model/rules/rules.hpp"
#include "report/board/board.hpp"
#include "report/board/markup.hpp"
#include "search/cost.hpp"
#include "search/planning.hpp"

namespace {

// "Turma MTM 121-1", "Turmas QUI|*|*": the sections a rule names; without
// the word, only their name.
void write_rule_sections(std::FILE* out, const Rule& rule, bool word = true)
{
    if (rule.section != 0) {
        markup(out, word ? "Turma " : "");
        write_section_name(out, rule.section);
        return;
    }
    char selector[48];
    format_selector(selector, sizeof selector, rule.selector);
    markup(out, word ? "Turmas %s" : "%s", selector);
}

// A rule's rooms: the feature they are, when one has exactly them, else
// columns and ranges ("salas 01, 03&ndash;05").
void write_rule_rooms(std::FILE* out, const Rule& rule)
{
    RoomSet rooms;
    for (int room = FIRST_ROOM; room <= last_room; ++room)
        rooms[static_cast<std::size_t>(room)] = rule_holds_room(rule, room);
    for (int feature = 0; feature < features.count && rule.kind != RuleKind::Feature; ++feature)
        if (features.rooms[feature] == rooms) {
            markup(out, "%s", features.names[feature].data());
            return;
        }
    markup(out, "%s", plural(static_cast<long long>(rooms.count()), "sala ", "salas "));
    for (int room = FIRST_ROOM, shown = 0; room <= last_room; ++room) {
        if (!rooms[static_cast<std::size_t>(room)] || rooms[static_cast<std::size_t>(room - 1)])
            continue;
        int last = room;
        while (last < last_room && rooms[static_cast<std::size_t>(last + 1)])
            ++last;
        markup(out, last == room ? "%s%02d" : "%s%02d&ndash;%02d", shown++ == 0 ? "" : ", ", room, last);
    }
}

// The one room of a rule that names one; NO_COLUMN when it names a set of more.
int single_room(const Rule& rule)
{
    int found = NO_COLUMN;
    for (int room = FIRST_ROOM; room <= last_room; ++room)
        if (rule_holds_room(rule, room)) {
            if (found != NO_COLUMN)
                return NO_COLUMN;
            found = room;
        }
    return found;
}

void write_rule_text(std::FILE* out, const Rule& rule)
{
    switch (rule.kind) {
    case RuleKind::Pin:
        write_rule_sections(out, rule);
        markup(out, " sempre na ");
        write_room_name(out, rule.room);
        break;
    case RuleKind::Avoid:
        write_rule_sections(out, rule);
        if (int room = single_room(rule); room != NO_COLUMN) {
            markup(out, " nunca na ");
            write_room_name(out, room);
            break;
        }
        markup(out, " nunca em: ");
        write_rule_rooms(out, rule);
        break;
    case RuleKind::Allowed:
    case RuleKind::Prefer:
        write_rule_sections(out, rule);
        markup(out, rule.kind == RuleKind::Allowed ? " s\xF3 em: " : " prefere: ");
        write_rule_rooms(out, rule);
        if (rule.kind == RuleKind::Prefer)
            markup(out, " (fora delas, %d por reuni\xE3o)", rule.weight);
        break;
    case RuleKind::Reserved:
        markup(out, "Reservada: ");
        write_rule_rooms(out, rule);
        markup(out, ", para ");
        write_rule_sections(out, rule);
        break;
    case RuleKind::Closed:
        markup(out, "Fechada: ");
        if (int room = single_room(rule); room != NO_COLUMN)
            write_room_name(out, room);
        else
            write_rule_rooms(out, rule);
        markup(out, ", %s, das ", WEEKDAY_TITLES[rule.weekday]);
        write_clock(out, rule.from);
        markup(out, " \xE0s ");
        write_clock(out, rule.to);
        break;
    case RuleKind::Feature:
        markup(out, "Recurso %s: ", features.names[rule.feature].data());
        write_rule_rooms(out, rule);
        break;
    case RuleKind::SameRoom:
        markup(out, "Cada turma que muda de sala durante a semana custa %d", rule.weight);
        break;
    case RuleKind::ChangePrice:
        markup(out, "Cada reuni\xE3o que deixa a sala do plano mantido (alocacao-otimo --manter) custa %d",
               rule.weight);
        break;
    }
}

void write_keeping(std::FILE* out, const Rule& rule, int kind)
{
    const AllocationGrid& grid = board_solutions[kind].report.grid;
    if (rule.kind == RuleKind::ChangePrice || rule.kind == RuleKind::Feature || rule.kind == RuleKind::Prefer) {
        markup(out, "<td>&mdash;</td>");
        return;
    }
    if (rule.kind == RuleKind::SameRoom) {
        int32_t moving = sections_changing_rooms(grid);
        markup(out, "<td>%d %s de sala</td>", moving, plural(moving, "turma muda", "turmas mudam"));
        return;
    }
    RuleBreach breach = find_breach(grid, rule, &solution_left_out(kind).marked);
    if (!breach.broken) {
        markup(out, "<td class=\"kept\">cumprida</td>");
        return;
    }
    markup(out, "<td class=\"flag\">&#9888; n\xE3o cumprida: %s, ", WEEKDAY_TITLES[slot_weekday(breach.row)]);
    write_clock(out, slot_start(breach.row));
    markup(out, "</td>");
}

void write_price(std::FILE* out, const Rule& rule)
{
    for (int i = 0; board_planning.present && i < rule_price_count; ++i) {
        const RulePrice& price = rule_prices[i];
        if (price.line != rule.line)
            continue;
        if (price.proven)
            markup(out, "<td>custo \xF3timo %" PRId64 " (%+" PRId64 "), alunos acima %" PRId64 " (%+" PRId64 ")</td>",
                   price.cost, price.cost_change, price.students_above, price.students_change);
        else
            markup(out, "<td>custo entre %" PRId64 " e %" PRId64 " (n\xE3o provado)</td>", price.lower_bound,
                   price.cost);
        return;
    }
    markup(out, "<td>&mdash;</td>");
}

// "MTM 121-1: sala 02 na segunda-feira, sala 05 na quarta-feira".
void write_room_changes(std::FILE* out, const AllocationGrid& grid)
{
    int32_t moving = sections_changing_rooms(grid);
    markup(out, "<h3>Turmas que mudam de sala durante a semana no plano</h3>\n");
    if (moving == 0) {
        markup(out, "<p>Nenhuma: cada turma fica na mesma sala a semana toda.</p>\n");
        return;
    }
    markup(out, "<ul>\n");
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section) {
        if (!changes_rooms(grid, section))
            continue;
        markup(out, "<li>");
        write_section_name(out, section);
        for (int m = FIRST_MEETING; m <= MAX_MEETINGS && is_present(sections[section].meetings[m]); ++m) {
            markup(out, m == FIRST_MEETING ? ": " : ", ");
            write_room_name(out, first_slot_column(grid, section, m));
            markup(out, " na %s", WEEKDAY_TITLES[sections[section].meetings[m].weekday]);
        }
        markup(out, "</li>\n");
    }
    markup(out, "</ul>\n");
}

// "regras.txt: 14 regras: 5 fixa, 8 evita, 1 fechada, mesma_sala 30": what the printed page says of the rules.
void write_rule_counts(std::FILE* out)
{
    std::array<int, RULE_KINDS> count{};
    for (const Rule& rule : file_rules())
        ++count[static_cast<std::size_t>(rule.kind)];
    markup(out, "<p class=\"print-only\">regras.txt: %d %s", rule_count, plural(rule_count, "regra", "regras"));
    const char* joint = ": ";
    const std::pair<RuleKind, const char*> kinds[] = {
        {RuleKind::Feature, "recurso"}, {RuleKind::Pin, "fixa"},        {RuleKind::Avoid, "evita"},
        {RuleKind::Allowed, "salas"},    {RuleKind::Reserved, "reservada"}, {RuleKind::Prefer, "prefere"},
        {RuleKind::Closed, "fechada"}};
    for (const auto& [kind, word] : kinds)
        if (int n = count[static_cast<std::size_t>(kind)]) {
            markup(out, "%s%d %s", joint, n, word);
            joint = ", ";
        }
    if (same_room_weight > 0)
        markup(out, "%smesma_sala %d", joint, same_room_weight);
    markup(out, ". A p\xE1gina de cada sala diz as regras que a tocam; a lista completa est\xE1 na tela.</p>\n");
}

}  // namespace

void write_room_rules(std::FILE* out, int room)
{
    int said = 0;
    auto start = [&](const char* kind) { markup(out, said++ == 0 ? "<p class=\"room-rules\">Regras: %s " : "; %s ", kind); };
    char names[512];
    describe_room_features(names, sizeof names, room);
    if (names[0] != '\0')
        markup(out, "<p class=\"room-rules\">Recursos: %s.</p>\n", names);
    for (const Rule& rule : file_rules()) {
        if (rule.kind == RuleKind::Pin && rule.room == room) {
            start("fixa");
            write_rule_sections(out, rule, false);
        } else if (rule.kind == RuleKind::Closed && rule_holds_room(rule, room)) {
            start("fechada");
            markup(out, "%s ", WEEKDAY_TITLES[rule.weekday]);
            write_clock(out, rule.from);
            markup(out, "&ndash;");
            write_clock(out, rule.to);
        } else if (rule.kind == RuleKind::Reserved && rule_holds_room(rule, room)) {
            start("reservada para");
            write_rule_sections(out, rule, false);
        }
    }
    int barred = 0;
    for (int32_t section = FIRST_SECTION; section <= section_count; ++section)
        barred += avoided_rooms[section][static_cast<std::size_t>(room)];
    if (barred > 0) {
        start("evitada");
        markup(out, "por %d %s", barred, plural(barred, "turma", "turmas"));
    }
    if (said > 0)
        markup(out, ".</p>\n");
}

void write_section_rules(std::FILE* out, int32_t section)
{
    if (!sections_with_room_rules[section])
        return;
    int said = 0;
    for (const Rule& rule : file_rules()) {
        bool owner = rule.kind == RuleKind::Reserved, shown = owner || rule.kind == RuleKind::Allowed ||
                                                              rule.kind == RuleKind::Prefer;
        if (!shown || !rule_names(rule, section))
            continue;
        markup(out, said++ == 0 ? "<br><small>" : "; ");
        markup(out, owner ? "dona de " : rule.kind == RuleKind::Allowed ? "s\xF3 em " : "prefere ");
        write_rule_rooms(out, rule);
        if (rule.kind == RuleKind::Prefer)
            markup(out, " (%d)", rule.weight);
    }
    if (said > 0)
        markup(out, "</small>");
}

void write_rules_section(std::FILE* out)
{
    if (rule_count == 0)
        return;
    markup(out, "<section id=\"regras\">\n<h2>Regras (regras.txt)</h2>\n");
    write_rule_counts(out);
    markup(out, "<div class=\"screen\">\n<table>\n<thead><tr>"
                "<th scope=\"col\">Linha</th><th scope=\"col\">Regra</th>");
    for (int kind = 0; kind < SOLUTION_KINDS; ++kind)
        if (board_solutions[kind].present)
            markup(out, "<th scope=\"col\">%s</th>", SOLUTION_FILES[kind].title);
    markup(out, "<th scope=\"col\">Sem esta regra</th></tr></thead>\n<tbody>\n");
    for (const Rule& rule : file_rules()) {
        markup(out, "<tr><td>%d</td><td>", rule.line);
        write_rule_text(out, rule);
        markup(out, "</td>");
        for (int kind = 0; kind < SOLUTION_KINDS; ++kind)
            if (board_solutions[kind].present)
                write_keeping(out, rule, kind);
        write_price(out, rule);
        markup(out, "</tr>\n");
    }
    markup(out, "</tbody>\n</table>\n");
    if (!board_planning.present)
        markup(out, "<p>O pre\xE7o de cada regra aparece depois de alocacao-otimo --planejar.</p>\n");
    else
        markup(out, "<p>Sem esta regra: o \xF3timo calculado sem a linha, e a diferen\xE7" "a para o \xF3timo com "
                    "todas as regras. Os alunos acima da capacidade s\xE3o a medida a ler: sem um fechamento, os "
                    "lugares ociosos das c\xE9lulas fechadas voltam ao custo.</p>\n");
    if (plan_kind() != SOLUTION_KINDS)
        write_room_changes(out, plan_grid());
    markup(out, "</div>\n</section>\n");
}
