// The signals that end a process: Ctrl-C (SIGINT), SIGTERM, a hang-up and a
// broken pipe. Before the process ends as the signal would have ended it,
// what it leaves unfinished is cleaned (the safe files' temporaries), a
// child it waits for is ended, and for Ctrl-C and SIGTERM a notice may say
// so. A signal ignored when the program starts (nohup, a shell's background
// job) stays ignored: it would not have ended the process.
//
// A library may take Ctrl-C for itself while it runs (CBC stops its search
// quietly and returns as if done): between begin_guarded_call and
// end_guarded_call the ending signals are held back from it and looked for
// four times a second, so that one that comes ends the process all the
// same, within a quarter of a second.
#pragma once

#include <csignal>
#include <sys/types.h>

// Installs the handlers once; `cleanup` (async-signal-safe) runs before a
// signal ends the process. Later calls change nothing.
void install_ending_handlers(void (*cleanup)());

// The notice written to standard error when Ctrl-C or SIGTERM ends the
// process (ASCII; null: none).
void set_interruption_notice(const char* notice);

// A child process that the ending of this one must end too (NO_CHILD: none).
inline constexpr pid_t NO_CHILD = 0;
void set_child_to_end(pid_t child);

// In a child process just forked: its ending cleans nothing and says
// nothing, which are its parent's to do.
void ending_in_a_child();

void begin_guarded_call();
void end_guarded_call();

// The ending signals held back while a file comes or goes, so that the
// cleanup always knows whether it exists; the mask as it was, to release.
sigset_t hold_ending_signals();
void release_ending_signals(const sigset_t& previous);
