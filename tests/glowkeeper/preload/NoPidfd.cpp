// Preloaded into Glowkeeper by a test: refuses pidfd_open as an old kernel would, and
// leaves a mark so the test knows the refusal was in effect.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" long syscall(long number, ...) noexcept {
    va_list list;
    va_start(list, number);
    long args[6];
    for (long& arg : args) arg = va_arg(list, long);
    va_end(list);
    if (number == SYS_pidfd_open) {
        if (const char* mark = std::getenv("GLOWKEEPER_TEST_PIDFD_MARK")) {
            const int fd = ::open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            if (fd >= 0) ::close(fd);
        }
        errno = ENOSYS;
        return -1;
    }
    using Real = long (*)(long, ...);
    const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "syscall"));
    return real(number, args[0], args[1], args[2], args[3], args[4], args[5]);
}
