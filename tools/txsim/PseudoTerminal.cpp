#include "tools/txsim/PseudoTerminal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

namespace lumetra::txsim {

bool CPseudoTerminal::Open(std::string* error) {
    Close();
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0) {
        if (error) *error = std::string("no pseudo-terminal: ") + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    // Raw until the program sets its own line settings: no echo of replies, no newline rewriting.
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    // Opening and closing the device once puts this end into the hung-up state until the program
    // opens it, so that opening is visible here; a new pair shows nothing either way.
    const int device = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device >= 0) ::close(device);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_master = fd;
    m_devicePath = name;
    return true;
}

void CPseudoTerminal::Close() {
    if (m_master < 0) return;
    ::close(m_master);
    m_master = -1;
}

}  // namespace lumetra::txsim
