// Reading a rule's "tipo|curso|turma" and matching it against the sections.
#include "model/rules/selectors.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/calendar.hpp"
#include "model/instance.hpp"
#include "model/tables.hpp"

bool parse_whole(const char* text, int32_t& value)
{
    const char* digits = *text == '-' || *text == '+' ? text + 1 : text;
    if (*digits == '\0' || std::strspn(digits, "0123456789") != std::strlen(digits))
        return false;
    errno = 0;
    long long number = std::strtoll(text, nullptr, 10);
    if (errno == ERANGE || number < INT32_MIN || number > INT32_MAX)
        return false;
    value = static_cast<int32_t>(number);
    return true;
}

namespace {

char selector_fault[192];

// "*" or a whole number other than the one "*" stands for.
bool parse_field(const char* text, int32_t& value)
{
    if (std::strcmp(text, "*") == 0) {
        value = ANY_FIELD;
        return true;
    }
    return parse_whole(text, value) && value != ANY_FIELD;
}

// "tipo 2 (embutido)", "tipo 7 (cursos.txt, linha 3)": where a type's code comes from.
int describe_type(char* text, std::size_t size, int32_t type)
{
    if (int64_t line = course_code_line(type))
        return std::snprintf(text, size, "tipo %d (cursos.txt, linha %lld)", type, static_cast<long long>(line));
    return std::snprintf(text, size, "tipo %d (embutido)", type);
}

// The type whose code is `code`; 0, with the reason in `why`, when none or two have it.
int32_t type_of_code(const char* code, const char*& why)
{
    int32_t found = 0, other = 0;
    for (int32_t type = FIRST_COURSE_TYPE; type <= LAST_COURSE_TYPE_ALLOWED; ++type)
        if (course_code(type) != NO_COURSE_CODE && std::strcmp(course_code(type), code) == 0) {
            if (found == 0)
                found = type;
            else if (other == 0)
                other = type;
        }
    if (found == 0) {
        why = "tipo deve ser o numero ou o codigo de um curso (cursos.txt)";
        return 0;
    }
    if (other != 0) {
        char a[64], b[64];
        describe_type(a, sizeof a, found);
        describe_type(b, sizeof b, other);
        std::snprintf(selector_fault, sizeof selector_fault,
                      "codigo %.8s de dois tipos, %s e %s: use o numero do tipo", code, a, b);
        why = selector_fault;
        return 0;
    }
    return found;
}

}  // namespace

const char* parse_selector(const char* type_text, const char* course_text, const char* number_text,
                           SectionSelector& selector, bool& form)
{
    form = false;
    if (!parse_field(course_text, selector.course) || !parse_field(number_text, selector.number)) {
        form = true;
        return nullptr;
    }
    if (parse_field(type_text, selector.type))
        return nullptr;
    const char* why = nullptr;
    selector.type = type_of_code(type_text, why);
    return why;
}

bool names_one_section(const SectionSelector& selector)
{
    return selector.type != ANY_FIELD && selector.course != ANY_FIELD && selector.number != ANY_FIELD;
}

int32_t selected_section(const SectionSelector& selector, const char*& why)
{
    const char* code = course_code(selector.type);
    int32_t section = find_section(code, selector.course, selector.number);
    if (section == 0) {
        if (code == NO_COURSE_CODE)
            std::snprintf(selector_fault, sizeof selector_fault,
                          "turma de tipo %d, curso %d, turma %d fora de demanda.txt", selector.type, selector.course,
                          selector.number);
        else
            std::snprintf(selector_fault, sizeof selector_fault, "turma %s %d-%d fora de demanda.txt", code,
                          selector.course, selector.number);
        why = selector_fault;
    }
    return section;
}

bool selects(const SectionSelector& selector, int32_t section)
{
    const Section& s = sections[section];
    return (selector.number == ANY_FIELD || selector.number == s.section_number) &&
           (selector.course == ANY_FIELD || selector.course == s.course_number) &&
           (selector.type == ANY_FIELD || selector.type == course_type_of(s.course_code));
}

void format_selector(char* text, std::size_t size, const SectionSelector& selector)
{
    char type[16], course[16], number[16];
    if (selector.type == ANY_FIELD)
        std::snprintf(type, sizeof type, "*");
    else if (course_code(selector.type) != NO_COURSE_CODE)
        std::snprintf(type, sizeof type, "%s", course_code(selector.type));
    else
        std::snprintf(type, sizeof type, "%d", selector.type);
    auto field = [](char* out, std::size_t length, int32_t value) {
        if (value == ANY_FIELD)
            std::snprintf(out, length, "*");
        else
            std::snprintf(out, length, "%d", value);
    };
    field(course, sizeof course, selector.course);
    field(number, sizeof number, selector.number);
    std::snprintf(text, size, "%s|%s|%s", type, course, number);
}
