#include "app/StandardStreams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace voroquarn {

void holdStandardStreams()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // Opened for the other direction, so that using it fails rather than reading
        // nothing or swallowing what is written. open takes the lowest free number,
        // which is fd: the lower ones are open by now.
        const int held = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (held != fd && held != -1) {
            close(held);
        }
    }
}

void StandardOutput::write(std::string_view text)
{
    if (failed()) {
        return;
    }
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        error_ = errno != 0 ? errno : EIO;
    }
}

bool StandardOutput::finish()
{
    errno = 0;
    if (!failed() && std::fflush(stdout) != 0) {
        error_ = errno != 0 ? errno : EIO;
    }
    if (!failed()) {
        return true;
    }
    if (error_ != EPIPE) {
        std::fprintf(stderr, "voroquarn: cannot write to standard output: %s\n", std::strerror(error_));
    }
    return false;
}

}  // namespace voroquarn
