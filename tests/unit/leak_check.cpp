// The leak check that a death test's child skips (see test_support.hpp).
#include "test_support.hpp"

namespace {

bool leak_check_skipped = false;

}  // namespace

void skip_leak_check_at_exit()
{
    leak_check_skipped = true;
}

// LeakSanitizer asks this, when a program defines it, right before its check.
extern "C" int __lsan_is_turned_off()
{
    return leak_check_skipped ? 1 : 0;
}
