// Files the program reads: opened only when they are regular files, and
// never by waiting on a FIFO that has no writer.
#pragma once

#include <cstdio>

// Opens `name` for reading. Returns nullptr, with errno set, when it cannot
// be opened or is not a regular file (a directory, a FIFO, a device).
std::FILE* open_regular_file(const char* name);
