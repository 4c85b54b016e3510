// planejamento.txt: every change of one column's seats with the least
// students above capacity and the optimum it gives, in the record syntax of
// the input files; on the console, where to invest and which seats are spare.
#pragma once

#include <cstddef>
#include <cstdint>

// Today's optimum, against which the changes are measured, and what the
// planning set out to do and did.
struct PlanningBaseline {
    int64_t optimum_cost;
    int64_t students_above;       // the least possible today
    bool optimum_proven = true;   // false: optimum_cost is the best cost found, not proven
    bool seats_planned = true;    // the changes of seats were tried (and the spare seats sought)
    bool rules_planned = true;    // the rules were priced
    int32_t evaluated = 0;        // the changes evaluated (seats and rules), of
    int32_t planned = 0;          // those it set out to evaluate: fewer is an incomplete planning
    bool outdated = false;        // read back in an earlier version's form, which the board sets aside
};

inline bool planning_incomplete(const PlanningBaseline& today)
{
    return today.evaluated < today.planned;
}

// Writes planejamento.txt from room_changes, in their order: the line
// "Planejamento de salas: custo otimo atual C, alunos acima atual A" (with
// "(so lugares)", "(so regras)" and "(incompleto: N de M mudancas
// avaliadas)" after "salas" as they apply, and "melhor custo encontrado" in
// place of "custo otimo atual" when today's optimum is not proven), then
// one record per change, "coluna|lugares atuais|lugares propostos|alunos
// acima|variacao|custo otimo|inviabilidades|provado|"; then one per entry of
// spare_seats, "sobra|coluna|lugares atuais|lugares propostos|"; then one
// line per entry of rule_prices, as format_rule_price writes it.
void write_planning_file(const PlanningBaseline& today);

// "(planejamento incompleto: N de M mudancas avaliadas)", in Latin-1, into `text`.
void format_incomplete_planning(char* text, std::size_t size, const PlanningBaseline& today);

// Prints where to invest (choose_investments) and the spare seats that hold
// all at once (spare_seats), a line each, or one line saying there are none; then
// the price of each rule, when regras.txt has pins, avoidances or closures.
void print_planning(const PlanningBaseline& today);

// "regras.txt, linha 12: sem esta regra, custo otimo 20500 (-191), alunos
// acima 150 (-10)"; when it is not proven, the range of that optimum,
// "regras.txt, linha 12: sem esta regra, custo entre 20100 e 20500";
// without a line end, into `text` of `size` bytes.
struct RulePrice;
void format_rule_price(char* text, std::size_t size, const RulePrice& price);

// Reads planejamento.txt back into room_changes, spare_seats, rule_prices and `today`; false when there
// is no such file. One that cannot be read or is not exactly as written
// above ends the process with status 1, naming its line.
bool read_planning_file(PlanningBaseline& today);

// "sala 03: 45 -> 60 lugares" (an arrow on a UTF-8 console), or "uma sala a
// mais (coluna sv) com 20 lugares": what a change is, as shown to people.
struct RoomChange;
void print_change_name(const RoomChange& change);
