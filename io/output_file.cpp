// Exclusive temporary files renamed into place; an exit handler and the
// handlers of the signals that end a process remove an unfinished one.
#include "io/output_file.hpp"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/console.hpp"

namespace {

constexpr int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

struct PendingOutput {
    std::FILE* stream;
    const char* name;
    const char* failure_message;
    char temporary_name[256];
};

PendingOutput pending{};
// Whether pending.temporary_name exists on disk; read by the signal handler.
volatile std::sig_atomic_t temporary_exists = 0;

void remove_temporary()
{
    if (temporary_exists != 0)
        unlink(pending.temporary_name);
    temporary_exists = 0;
}

// Removes the unfinished file, then ends the process as the signal would have.
extern "C" void end_by_signal(int signal_number)
{
    remove_temporary();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void discard_pending_output()
{
    if (pending.stream != nullptr)
        std::fclose(pending.stream);
    pending.stream = nullptr;
    remove_temporary();
}

void install_handlers()
{
    std::atexit(discard_pending_output);
    struct sigaction action {};
    action.sa_handler = end_by_signal;
    sigemptyset(&action.sa_mask);
    for (int signal_number : ENDING_SIGNALS) {
        // A signal ignored on entry (nohup, a shell's background job) stays
        // ignored: it would not have ended the process.
        struct sigaction on_entry {};
        if (sigaction(signal_number, nullptr, &on_entry) == 0 && on_entry.sa_handler != SIG_IGN)
            sigaction(signal_number, &action, nullptr);
    }
    // Beyond a file-size limit a write then fails like on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
}

// The ending signals are held back while the temporary file comes or goes,
// so that the handler always knows whether it exists.
sigset_t hold_ending_signals()
{
    sigset_t held, previous;
    sigemptyset(&held);
    for (int signal_number : ENDING_SIGNALS)
        sigaddset(&held, signal_number);
    sigprocmask(SIG_BLOCK, &held, &previous);
    return previous;
}

void release_signals(const sigset_t& previous)
{
    sigprocmask(SIG_SETMASK, &previous, nullptr);
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
    temporary_exists = descriptor >= 0;
    release_signals(previous);
    return descriptor;
}

[[noreturn]] void fail_pending()
{
    discard_pending_output();
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

std::FILE* begin_output_file(const char* name, const char* failure_message)
{
    static const bool handlers_installed = (install_handlers(), true);
    (void)handlers_installed;
    discard_pending_output();
    pending.name = name;
    pending.failure_message = failure_message;
    int descriptor = create_temporary(name);
    if (descriptor < 0)
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
    if (std::rename(pending.temporary_name, pending.name) != 0)
        fail_pending();
    temporary_exists = 0;
    release_signals(previous);
    sync_working_directory();
}
