// Exclusive temporary files renamed into place; an exit handler and the
// handlers of the signals that end a process remove an unfinished one.
#include "io/output_file.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/console.hpp"
#include "io/ending_signals.hpp"

namespace {

constexpr int MAX_SET_FILES = 16;  // the files of one set, written ones and removed ones

struct PendingOutput {
    std::FILE* stream;
    const char* name;
    const char* failure_message;
    char temporary_name[256];
};

PendingOutput pending{};
// Whether pending.temporary_name exists on disk (none before the first);
// read by the signal handler.
volatile std::sig_atomic_t temporary_exists{};

// A set of files written together: each complete on disk, its temporary
// kept until the set is committed. A file to remove has no temporary.
struct SetFile {
    char name[64];
    char temporary_name[256];
    bool removed;
};
struct OutputSet {
    bool open;
    std::array<SetFile, MAX_SET_FILES> files;
};
OutputSet output_set{};
// How many of the set's temporaries exist on disk; read by the signal handler.
volatile std::sig_atomic_t set_temporaries{};

void remove_temporary()
{
    if (temporary_exists != 0)
        unlink(pending.temporary_name);
    temporary_exists = 0;
}

// The temporaries of a set not committed: none of its files is replaced.
void remove_set_temporaries()
{
    for (int i = 0; i < set_temporaries; ++i)
        if (!output_set.files[i].removed)
            unlink(output_set.files[i].temporary_name);
    set_temporaries = 0;
}

// What a signal that ends the process leaves unfinished is removed first.
void remove_every_temporary()
{
    remove_temporary();
    remove_set_temporaries();
}

void discard_pending_output()
{
    if (pending.stream != nullptr)
        std::fclose(pending.stream);
    pending.stream = nullptr;
    remove_temporary();
}

// At exit: whatever was not finished, a set not committed included.
void discard_unfinished_output()
{
    discard_pending_output();
    remove_set_temporaries();
}

// The permissions of the regular file being replaced, or 0666 for a new name
// or one that is anything else (a link is looked at, never followed); less
// the umask in every case, and never a set-id or sticky bit.
mode_t report_mode(const char* name)
{
    struct stat existing;
    mode_t mode = lstat(name, &existing) == 0 && S_ISREG(existing.st_mode) ? existing.st_mode & 0777 : 0666;
    mode_t mask = umask(0);
    umask(mask);
    return mode & ~mask;
}

int create_temporary(const char* name)
{
    sigset_t previous = hold_ending_signals();
    std::snprintf(pending.temporary_name, sizeof pending.temporary_name, "%s.XXXXXX", name);
    int descriptor = mkstemp(pending.temporary_name);
    temporary_exists = descriptor != -1;
    release_ending_signals(previous);
    return descriptor;
}

[[noreturn]] void fail_pending()
{
    discard_unfinished_output();
    fail_with("%s", pending.failure_message);
}

void sync_working_directory()
{
    int directory = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return;
    fsync(directory);
    close(directory);
}

}  // namespace

void watch_ending_signals()
{
    static const bool installed = (std::atexit(discard_unfinished_output), true);
    (void)installed;
    install_ending_handlers(remove_every_temporary);
}

std::FILE* begin_output_file(const char* name, const char* failure_message)
{
    watch_ending_signals();
    discard_pending_output();
    pending.name = name;
    pending.failure_message = failure_message;
    int descriptor = create_temporary(name);
    if (descriptor == -1)
        fail_with("%s", failure_message);
    if (fchmod(descriptor, report_mode(name)) != 0 || (pending.stream = fdopen(descriptor, "w")) == nullptr) {
        close(descriptor);
        fail_pending();
    }
    return pending.stream;
}

void finish_output_file()
{
    std::FILE* stream = pending.stream;
    bool written = std::fflush(stream) == 0 && std::ferror(stream) == 0 && fsync(fileno(stream)) == 0;
    pending.stream = nullptr;
    written = std::fclose(stream) == 0 && written;
    if (!written)
        fail_pending();
    sigset_t previous = hold_ending_signals();
    if (output_set.open) {  // complete on disk; renamed with the rest of the set
        SetFile& file = output_set.files[set_temporaries];
        std::snprintf(file.name, sizeof file.name, "%s", pending.name);
        std::memcpy(file.temporary_name, pending.temporary_name, sizeof file.temporary_name);
        file.removed = false;
        set_temporaries = set_temporaries + 1;
        temporary_exists = 0;
        release_ending_signals(previous);
        return;
    }
    if (std::rename(pending.temporary_name, pending.name) != 0)
        fail_pending();
    temporary_exists = 0;
    release_ending_signals(previous);
    sync_working_directory();
}

void begin_output_set()
{
    output_set.open = true;
    set_temporaries = 0;
}

bool remove_in_output_set(const char* name)
{
    if (!output_set.open)
        return unlink(name) == 0 || errno == ENOENT;
    struct stat status;
    if (lstat(name, &status) != 0 && errno == ENOENT)
        return true;  // nothing to remove
    sigset_t previous = hold_ending_signals();
    SetFile& file = output_set.files[set_temporaries];
    std::snprintf(file.name, sizeof file.name, "%s", name);
    file.removed = true;
    set_temporaries = set_temporaries + 1;
    release_ending_signals(previous);
    return true;
}

namespace {

int set_files_done = 0, set_files_count = 0;  // for the note of a commit that failed

// The set's files from `from` to `to`, named after `heading`, or "nenhum".
void print_set_names(const char* heading, int from, int to)
{
    console_print("%s", heading);
    for (int i = from; i < to; ++i)
        console_print("%s %s%s", i == from ? "" : ",", output_set.files[i].name,
                      output_set.files[i].removed ? " (removido)" : "");
    console_print("%s.\n", from == to ? " nenhum" : "");
}

void name_set_files_left_behind()
{
    print_set_names("Arquivos regravados:", 0, set_files_done);
    print_set_names("Arquivos n\xE3o regravados (ficam como estavam):", set_files_done, set_files_count);
}

}  // namespace

// The first file of the set whose name stands for a directory, which no
// rename or removal can replace; `count` when none does.
int first_directory_in_set(int count)
{
    struct stat status;
    for (int i = 0; i < count; ++i)
        if (lstat(output_set.files[i].name, &status) == 0 && S_ISDIR(status.st_mode))
            return i;
    return count;
}

// Renames the file into place, or removes it; false when that fails.
bool put_in_place(const SetFile& file)
{
    if (file.removed)
        return unlink(file.name) == 0 || errno == ENOENT;
    return std::rename(file.temporary_name, file.name) == 0;
}

void commit_output_set()
{
    sigset_t previous = hold_ending_signals();
    int count = set_temporaries, done = 0;
    int failing = first_directory_in_set(count);  // a directory in place: none is replaced
    while (failing == count && done < count) {
        if (put_in_place(output_set.files[done]))
            ++done;
        else
            failing = done;
    }
    for (int i = done; i < count; ++i)  // what was not put in place is not left behind
        if (!output_set.files[i].removed)
            unlink(output_set.files[i].temporary_name);
    set_temporaries = 0;
    output_set.open = false;
    release_ending_signals(previous);
    sync_working_directory();
    if (failing == count)
        return;
    set_files_done = done;
    set_files_count = count;
    set_failure_note(name_set_files_left_behind);
    fail_with("\n\nArquivo %s nao pode ser %s.\n", output_set.files[failing].name,
              output_set.files[failing].removed ? "removido" : "criado");
}
