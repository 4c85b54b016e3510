// Temporary-file-and-rename writing; an exit handler removes an unfinished file.
#include "io/output_file.hpp"

#include <cstdlib>
#include <cstring>

#include "io/console.hpp"

namespace {

struct PendingOutput {
    std::FILE* stream;
    const char* name;
    const char* failure_message;
    char temporary_name[64];
};

PendingOutput pending{};

void discard_pending_output()
{
    if (pending.stream == nullptr)
        return;
    std::fclose(pending.stream);
    std::remove(pending.temporary_name);
    pending.stream = nullptr;
}

}  // namespace

std::FILE* begin_output_file(const char* name, const char* failure_message)
{
    static const bool cleanup_registered = std::atexit(discard_pending_output) == 0;
    (void)cleanup_registered;
    discard_pending_output();
    std::snprintf(pending.temporary_name, sizeof pending.temporary_name, "%s.tmp", name);
    pending.name = name;
    pending.failure_message = failure_message;
    pending.stream = std::fopen(pending.temporary_name, "w");
    if (pending.stream == nullptr)
        fail_with("%s", failure_message);
    return pending.stream;
}

void finish_output_file()
{
    std::FILE* stream = pending.stream;
    pending.stream = nullptr;
    bool written = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    written = std::fclose(stream) == 0 && written;
    if (written && std::rename(pending.temporary_name, pending.name) == 0)
        return;
    std::remove(pending.temporary_name);
    fail_with("%s", pending.failure_message);
}
