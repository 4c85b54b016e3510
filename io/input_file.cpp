// Opening without blocking, then checking what was opened.
#include "io/input_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool is_regular(int descriptor)
{
    struct stat status;
    if (fstat(descriptor, &status) != 0)
        return false;
    if (S_ISREG(status.st_mode))
        return true;
    errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    return false;
}

}  // namespace

std::FILE* open_regular_file(const char* name)
{
    int descriptor = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor == -1)
        return nullptr;
    std::FILE* stream = nullptr;
    if (is_regular(descriptor) && fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) == 0)
        stream = fdopen(descriptor, "r");
    if (stream == nullptr) {
        int reason = errno;
        close(descriptor);
        errno = reason;
    }
    return stream;
}
