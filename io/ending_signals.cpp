// The handlers of the ending signals, and the guard around a library call.
#include "io/ending_signals.hpp"

#include <cstring>
#include <span>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
constexpr int GUARDED_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};  // what a library may take for itself
constexpr long GUARD_INTERVAL_MICROSECONDS = 250000;

// The set of the given signals; it starts empty as value-initialized.
sigset_t signal_set(std::span<const int> signals)
{
    sigset_t set{};
    sigemptyset(&set);
    for (int signal_number : signals)
        sigaddset(&set, signal_number);
    return set;
}

void (*cleanup_before_ending)() = nullptr;
const char* interruption_notice = nullptr;
volatile pid_t child_to_end = NO_CHILD;
bool installed = false;

// Ends the process as `signal_number` would have, after the cleanup, the
// child and the notice. The signal may be held back (a guarded call): it is
// let through last.
void end_as(int signal_number)
{
    if (cleanup_before_ending != nullptr)
        cleanup_before_ending();
    if (child_to_end > 0)
        kill(child_to_end, SIGKILL);
    if (interruption_notice != nullptr && (signal_number == SIGINT || signal_number == SIGTERM)) {
        ssize_t written = write(STDERR_FILENO, interruption_notice, std::strlen(interruption_notice));
        (void)written;  // nothing more can be done about a notice that cannot be written
    }
    signal(signal_number, SIG_DFL);
    sigset_t only = signal_set({&signal_number, 1});
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal_number);
}

extern "C" void end_by_signal(int signal_number)
{
    end_as(signal_number);
}

// Four times a second within a guarded call: a held-back ending signal ends the process.
extern "C" void look_for_ending_signal(int)
{
    sigset_t pending;
    if (sigpending(&pending) != 0)
        return;
    for (int signal_number : GUARDED_SIGNALS)
        if (sigismember(&pending, signal_number) == 1)
            end_as(signal_number);
}

void set_guard_timer(long microseconds)
{
    itimerval timer{{0, microseconds}, {0, microseconds}};
    setitimer(ITIMER_REAL, &timer, nullptr);
}

}  // namespace

void install_ending_handlers(void (*cleanup)())
{
    if (installed)
        return;
    installed = true;
    cleanup_before_ending = cleanup;
    struct sigaction action {};
    action.sa_handler = end_by_signal;
    action.sa_mask = signal_set({});
    for (int signal_number : ENDING_SIGNALS) {
        struct sigaction on_entry {};
        if (sigaction(signal_number, nullptr, &on_entry) == 0 && on_entry.sa_handler != SIG_IGN)
            sigaction(signal_number, &action, nullptr);
    }
    struct sigaction look {};
    look.sa_handler = look_for_ending_signal;
    look.sa_flags = SA_RESTART;
    look.sa_mask = signal_set({});
    sigaction(SIGALRM, &look, nullptr);
    // Beyond a file-size limit a write then fails like on a full disk.
    signal(SIGXFSZ, SIG_IGN);
}

void set_interruption_notice(const char* notice)
{
    interruption_notice = notice;
}

void set_child_to_end(pid_t child)
{
    child_to_end = child;
}

void ending_in_a_child()
{
    cleanup_before_ending = nullptr;
    interruption_notice = nullptr;
    child_to_end = NO_CHILD;
}

void begin_guarded_call()
{
    sigset_t held = signal_set(GUARDED_SIGNALS);
    sigprocmask(SIG_BLOCK, &held, nullptr);
    if (installed)
        set_guard_timer(GUARD_INTERVAL_MICROSECONDS);
}

void end_guarded_call()
{
    set_guard_timer(0);
    sigset_t held = signal_set(GUARDED_SIGNALS);
    sigprocmask(SIG_UNBLOCK, &held, nullptr);  // one held back is let through now
}

sigset_t hold_ending_signals()
{
    sigset_t held = signal_set(ENDING_SIGNALS), previous;
    sigprocmask(SIG_BLOCK, &held, &previous);
    return previous;
}

void release_ending_signals(const sigset_t& previous)
{
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}
