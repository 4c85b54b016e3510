// Files the program writes (disciplina.txt, the grid reports, otima.txt) are
// written to a new file of a unique name in the working directory, created
// exclusively so that no existing path is truncated or followed, flushed to
// disk and renamed over NAME only when complete: a failure part-way, or a
// signal that ends the process, leaves the previous file as it was and no
// temporary file behind. One output file is open at a time.
#pragma once

#include <cstdio>

// Creates the temporary file of `name`, with the permissions of the regular
// file it will replace (0666 for a new name or a link), less the umask; if it cannot be created,
// ends the process with `failure_message`, which also serves for later
// write errors.
std::FILE* begin_output_file(const char* name, const char* failure_message);

// Checks every write, flushes the temporary file to disk, renames it over
// `name` and flushes the directory. On any failure removes it and ends the
// process with the failure message.
void finish_output_file();
