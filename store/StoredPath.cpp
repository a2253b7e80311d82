#include "store/StoredPath.h"

namespace lumetra {

std::string StoredPath(std::string path) {
    const size_t quote = path.find('\'');
    if (quote != std::string::npos) path[quote] = '$';
    return path;
}

std::string PathFromStored(const std::string& stored, const FileExists& exists) {
    const size_t dollar = stored.find('$');
    if (dollar == std::string::npos) return stored;
    std::string path = stored;
    path[dollar] = '\'';
    if (exists && exists(stored) && !exists(path)) return stored;
    return path;
}

}  // namespace lumetra
