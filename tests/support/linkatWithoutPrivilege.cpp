// Preloaded into the program by the tests: linkat as a kernel before 6.10 (Debian 12's)
// answers a process without CAP_DAC_READ_SEARCH, which may not link a file by its
// descriptor alone.
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) noexcept
{
    if ((flags & AT_EMPTY_PATH) != 0) {
        errno = ENOENT;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_linkat, fromFolder, from, toFolder, to, flags));
}
