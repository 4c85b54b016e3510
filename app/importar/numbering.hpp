// The numbers the instance files need, made from what the spreadsheet
// writes: each course text a code and a number ("MTM121" and "MTM 121" are
// MTM 121; "Cálculo I" is CALCULOI 1), each code a course type of
// cursos.txt in order of first appearance, each section a number within its
// course ("2" is 2, "T02" is 2, "A" the first number free). A number that
// another text of the same course or code already has is replaced by the
// first one free; importacao.txt lists every text that was not plainly its
// code and number.
#pragma once

// Numbers every course and class of the tables; nullptr, or why the codes
// cannot all be course types (more than 999).
const char* number_courses_and_classes();

// Whether a section's number is not plainly its label ("T02", "A").
bool section_label_made(const char* label, int number);
