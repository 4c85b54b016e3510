// Files the program writes (disciplina.txt, the grid reports, otima.txt) are
// written to a new file of a unique name in the working directory, created
// exclusively so that no existing path is truncated or followed, flushed to
// disk and renamed over NAME only when complete: a failure part-way, or a
// signal that ends the process, leaves the previous file as it was and no
// temporary file behind. One output file is open at a time.
#pragma once

#include <cstdio>

// Installs, once, the exit handler and the handlers of the signals that end
// the process (io/ending_signals.hpp), which remove an unfinished file;
// begin_output_file does it too. A program whose long computations must end
// at Ctrl-C calls it first.
void watch_ending_signals();

// Creates the temporary file of `name`, with the permissions of the regular
// file it will replace (0666 for a new name or a link), less the umask; if it cannot be created,
// ends the process with `failure_message`, which also serves for later
// write errors.
std::FILE* begin_output_file(const char* name, const char* failure_message);

// Checks every write, flushes the temporary file to disk, renames it over
// `name` and flushes the directory. On any failure removes it and ends the
// process with the failure message.
void finish_output_file();

// A set of files written as one: between begin_output_set and
// commit_output_set, finish_output_file leaves each file complete on disk
// under its temporary name, and remove_in_output_set names a file that the
// set removes (a list an earlier run left). A failure before the commit, or
// a signal, removes every temporary: no file of the set is replaced. The
// commit renames each into place, and removes those to remove, in order;
// should one of them fail, the console names the file, those that were
// replaced and those that stay as they were, and the process ends with
// status 1. At most 16 files a set.
void begin_output_set();
void commit_output_set();

// Outside a set, removes `name` at once: false when it exists and cannot be
// removed. Within one, at the commit.
bool remove_in_output_set(const char* name);
