#include "store/PlayList.h"

#include "store/SplitString.h"

namespace lumetra {

std::vector<std::string> PlayListOf(std::string_view text, const FileExists& exists) {
    std::vector<std::string> paths;
    SplitString(text, paths, '|');
    for (std::string& path : paths) path = PathFromStored(path, exists);
    return paths;
}

std::string PlayListText(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) {
        if (!text.empty()) text += '|';
        text += StoredPath(path);
    }
    return text;
}

}  // namespace lumetra
