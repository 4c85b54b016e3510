// Which sections a rule names: "tipo|curso|turma", each field a value or
// "*" (any). The course type is its number or its code (cursos.txt): "QUI|*|*"
// is every section of course type 2, "MTM|121|*" every section of one
// course, "*|*|*" every section.
#pragma once

#include <cstdint>

inline constexpr int32_t ANY_FIELD = INT32_MIN;  // "*"

// A whole number of 32 bits: an optional sign, digits and nothing else.
bool parse_whole(const char* text, int32_t& value);

struct SectionSelector {
    int32_t type;    // course type 1..999, or ANY_FIELD
    int32_t course;  // course number, or ANY_FIELD
    int32_t number;  // section number, or ANY_FIELD
};

// Reads the three fields into `selector`: nullptr, or why they name no
// section ("tipo deve ser o numero ou o codigo de um curso (cursos.txt)", a
// code two types share). `form`: a field that is neither "*" nor a number
// where one belongs, for which the caller names the rule's form.
const char* parse_selector(const char* type_text, const char* course_text, const char* number_text,
                           SectionSelector& selector, bool& form);

// Whether the selector has no "*": it names one section.
bool names_one_section(const SectionSelector& selector);

// The loaded section a selector without "*" names; 0 when demanda.txt has
// none, with `why` saying so ("turma MTM 121-9 fora de demanda.txt").
int32_t selected_section(const SectionSelector& selector, const char*& why);

// Whether loaded section `section` is among those the selector names.
bool selects(const SectionSelector& selector, int32_t section);

// "MTM|121|*": the selector as regras.txt would write it, with the code when the type has one.
void format_selector(char* text, std::size_t size, const SectionSelector& selector);
