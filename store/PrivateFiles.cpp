#include "store/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/Logger.h"

namespace lumetra {

bool CreatePrivateFile(const std::string& path, std::error_code& ec) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateFileMode);
    if (fd < 0) {
        ec.assign(errno, std::generic_category());
        return false;
    }
    ::close(fd);
    return true;
}

bool CreatePrivateFolders(const std::string& folder, std::error_code& ec) {
    std::filesystem::path made;
    for (const std::filesystem::path& part : std::filesystem::path(folder)) {
        made /= part;
        if (::mkdir(made.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) {
            ec.assign(errno, std::generic_category());
            return false;
        }
    }
    return true;
}

void WithdrawFromOthers(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || (status.st_mode & S_IRWXO) == 0) return;
    const mode_t mode = status.st_mode & 07770;
    if (::chmod(path.c_str(), mode) != 0) {
        Logger().Log("database: %s can be read by every user and its mode cannot be changed: %s",
                     path.c_str(), std::strerror(errno));
        return;
    }
    Logger().Log("database: %s could be read by every user; their access is withdrawn (mode %o now)",
                 path.c_str(), static_cast<unsigned>(mode));
}

}  // namespace lumetra
