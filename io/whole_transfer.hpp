// Whole transfers through a pipe: a write that goes on past short writes and
// signals, and a read that goes on until every byte has come, the writer
// has ended, or a deadline has passed.
#pragma once

#include <chrono>
#include <cstddef>

// Writes all `size` bytes of `data`; false when the descriptor refuses them.
bool write_whole(int descriptor, const void* data, std::size_t size);

// Reads exactly `size` bytes into `data`; false when the writer ends or
// `deadline` passes first.
bool read_whole(int descriptor, void* data, std::size_t size, std::chrono::steady_clock::time_point deadline);
