// Codes, course types, course numbers and section numbers made from the
// spreadsheet's texts, each number unique where the instance needs it.
#include "app/importar/numbering.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/importar/import.hpp"
#include "model/hash_slot.hpp"

namespace {

constexpr const char* CODE_WITHOUT_LETTERS = "DISC";  // a course written as a number alone
constexpr int32_t LARGEST_NUMBER = 999999999;

// Numbers taken, as (owner, number) pairs in an open-addressing set: the
// owner is a code's course type for course numbers, a course for sections.
constexpr std::size_t TAKEN_SIZE = std::size_t{1} << 16;
std::array<uint64_t, TAKEN_SIZE> taken;  // owner << 32 | number; 0, which no owner from 1 up gives, when empty

bool take(int32_t owner, int32_t number)
{
    uint64_t key = static_cast<uint64_t>(owner) << 32 | static_cast<uint32_t>(number);
    std::size_t slot = hash_slot<TAKEN_SIZE>(key);
    for (; taken[slot] != 0; slot = next_slot<TAKEN_SIZE>(slot))
        if (taken[slot] == key)
            return false;
    taken[slot] = key;
    return true;
}

// Sections are numbered within their course, apart from course numbers.
int32_t section_owner(int32_t course)
{
    return (1 << 30) + course;
}

int32_t first_free(int32_t owner)
{
    int32_t number = 1;
    while (!take(owner, number))
        ++number;
    return number;
}

// The number a run of digits writes, or NOT_FOUND past LARGEST_NUMBER.
int32_t digits_number(const char* digits, std::size_t length)
{
    int64_t value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        value = value * 10 + (digits[i] - '0');
        if (value > LARGEST_NUMBER)
            return NOT_FOUND;
    }
    return static_cast<int32_t>(value);
}

// The course type of a code, given when new; 0 past 999 types.
int32_t type_of_code(const char* code)
{
    for (int32_t type = FIRST_COURSE_TYPE; type <= import_courses.type_count; ++type)
        if (std::strcmp(import_courses.type_codes[type].data(), code) == 0)
            return type;
    if (import_courses.type_count == LAST_COURSE_TYPE_ALLOWED)
        return 0;
    int32_t type = ++import_courses.type_count;
    std::snprintf(import_courses.type_codes[type].data(), MAX_COURSE_CODE + 1, "%s", code);
    return type;
}

// A course's code and, when its key ends in digits after its letters, its
// number: the key "mtm121" is MTM and 121, "121" DISC and 121. Returns the
// number, 0 when it must be made.
int32_t split_course(ImportCourse& course)
{
    const char* key = course.key.data();
    std::size_t letters = std::strspn(key, "abcdefghijklmnopqrstuvwxyz");
    std::size_t digits = std::strspn(key + letters, "0123456789");
    std::size_t kept = letters < MAX_COURSE_CODE ? letters : MAX_COURSE_CODE;
    for (std::size_t i = 0; i < kept; ++i)
        course.code[i] = static_cast<char>(key[i] - 'a' + 'A');
    course.code[kept] = '\0';
    if (kept == 0)
        std::snprintf(course.code.data(), course.code.size(), "%s", CODE_WITHOUT_LETTERS);
    bool numbered = digits > 0 && key[letters + digits] == '\0';  // a number ends the key
    int32_t number = numbered ? digits_number(key + letters, digits) : 0;
    course.made = !numbered || kept == 0 || kept < letters || number == NOT_FOUND || key[letters] == '0';
    return std::max(number, 0);
}

const char* number_courses()
{
    for (ImportCourse& course : courses_read()) {
        int32_t number = split_course(course);
        course.type = type_of_code(course.code.data());
        if (course.type == 0)
            return "mais de 999 codigos de disciplina";
        course.number = take(course.type, number) ? number : 0;  // 0, a number to be made, stays 0
        course.made = course.made || course.number == 0;
    }
    for (ImportCourse& course : courses_read()) {
        if (course.number == 0)
            course.number = first_free(course.type);
    }
    return nullptr;
}

// The number a section's label writes: itself when all digits ("02" is 2),
// else its last run of digits ("T02" is 2); 0 for none.
int32_t label_number(const char* label, bool& only_digits)
{
    std::size_t length = std::strlen(label);
    only_digits = std::strspn(label, "0123456789") == length;
    std::size_t end = length;
    while (end > 0 && (label[end - 1] < '0' || label[end - 1] > '9'))
        --end;
    std::size_t start = end;
    while (start > 0 && label[start - 1] >= '0' && label[start - 1] <= '9')
        --start;
    int32_t number = end > start ? digits_number(label + start, end - start) : 0;
    return std::max(number, 0);
}

// Sections in three rounds, so that a label of digits keeps its number
// before a label with letters may take it: all digits, then digits among
// letters, then the rest, which take the first number free of their course.
enum class Round { Digits, DigitsAmongLetters, Rest };

void number_classes()
{
    for (Round round : {Round::Digits, Round::DigitsAmongLetters, Round::Rest})
        for (int32_t index = FIRST_SECTION; index <= import_classes.count; ++index) {
            ImportClass& entry = import_classes.classes[index];
            bool only_digits{};
            int32_t number = label_number(entry.label.data(), only_digits);
            bool in_round = round == Round::Digits               ? only_digits
                            : round == Round::DigitsAmongLetters ? !only_digits
                                                                 : true;
            if (entry.number != 0 || !in_round)
                continue;
            if (round != Round::Rest && number > 0 && take(section_owner(entry.course), number))
                entry.number = number;
            else if (round == Round::Rest)
                entry.number = first_free(section_owner(entry.course));
        }
}

}  // namespace

const char* number_courses_and_classes()
{
    taken.fill(0);
    if (const char* fault = number_courses())
        return fault;
    number_classes();
    return nullptr;
}

bool section_label_made(const char* label, int number)
{
    bool only_digits{};
    int32_t written = label_number(label, only_digits);
    return !only_digits || written != number;
}
