// Files the program writes (disciplina.txt, solucao.txt, solucaof.txt) are
// written to NAME.tmp and renamed over NAME only when complete, so a failure
// part-way leaves the previous file as it was and no temporary file behind.
// One output file is open at a time.
#pragma once

#include <cstdio>

// Creates the temporary file of `name`; if it cannot be created, ends the
// process with `failure_message`, which also serves for later write errors.
std::FILE* begin_output_file(const char* name, const char* failure_message);

// Checks every write, closes the temporary file and renames it over `name`.
// On any failure removes it and ends the process with the failure message.
void finish_output_file();
