// The plans people make by hand, for alocacao-otimo: a plan edited in a
// spreadsheet read back and checked (--plano), and a published plan kept
// while the optimum is solved again (--manter).
#pragma once

// The plan of a spreadsheet, read back and checked; when sound, written to
// plano.txt with its figures and its distance to the optimum (solved within
// `seconds`, 0: no limit). Returns the exit status: 0, or 2 when it is not
// sound (nothing written).
int check_edited_plan(const char* name, double seconds);

// Keeps the published plan of `name`, a grid report (otima.txt, plano.txt)
// or a spreadsheet (a name ending in .csv), for the optimum to move as little
// as it can; a file that cannot be used ends the process with status 1.
void read_kept_plan(const char* name);
