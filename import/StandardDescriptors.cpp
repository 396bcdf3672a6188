#include "import/StandardDescriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kalvor {

unsigned openClosedStandardDescriptors() {
    unsigned closed = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        closed |= 1u << fd;
        // The lowest free number is fd itself, as those below it are open.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened < 0 || opened == fd) continue;
        ::dup2(opened, fd);
        ::close(opened);
    }
    return closed;
}

}  // namespace kalvor
