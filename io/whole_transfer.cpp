// Whole transfers through a pipe, as a solver's child sends its answer back.
#include "io/whole_transfer.hpp"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

bool write_whole(int descriptor, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool read_whole(int descriptor, void* data, std::size_t size, std::chrono::steady_clock::time_point deadline)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd wait_for{descriptor, POLLIN, 0};
        int ready = left <= 0 ? 0 : poll(&wait_for, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        ssize_t got = read(descriptor, bytes, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}
