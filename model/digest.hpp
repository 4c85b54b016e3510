// A digest of the instance as loaded: the week, the rooms with their seats
// and names, the sections with their students and meetings, the weights and
// every rule of regras.txt (but its line numbers and comments). A plan
// checked against the instance records it, so that it can tell later whether
// it is still of the same data, however its cost came out.
#pragma once

#include <cstdint>

// 64 bits of FNV-1a over the loaded tables; the same tables give the same digest on every machine.
uint64_t instance_digest();
