// The program's only control loop: the banner, the three-entry menu and the
// dispatch of its two actions, each run to its end before the next choice.
#pragma once

#include <cstdint>

// Prints the banner, then runs menu choices until 0; returns the exit status 0.
int run_menu_loop();

// Prints the menu and reads a choice until it is 0, 1 or 2. The end of input
// counts as 0; an entry that is not a whole number discards its line.
int32_t prompt_menu_choice();
