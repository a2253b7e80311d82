#include "app/StartDatabase.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "store/Database.h"
#include "store/DatabaseBackup.h"
#include "store/DatabaseLocation.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

// What is wrong with the existing file at `path`, or nothing when it can be used.
std::string Problem(const std::string& path) {
    if (::access(path.c_str(), R_OK | W_OK) != 0) return path + " 无法读写（" + std::strerror(errno) + "）。";
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0 && !ec)
        return path + " 是空文件，里面没有数据库。";
    std::string reason;
    if (!CheckRestorable(path, &reason)) return reason;
    if (!AppConnection().Open(path, &reason)) return path + " 无法打开（" + reason + "）。";
    return {};
}

std::string WhatToDo(const std::string& path) {
    return "\n\n可以：把备份的数据库文件复制为 " + path + "；或者把这个文件移走，再用命令 lumetra-initdb " +
           path +
           " 创建一个新的数据库；或者用 lumetra --database 另一个数据库文件 启动。\nLumetra 现在退出。";
}

}  // namespace

bool OpenStartDatabase(const std::string& option, std::string* created, std::string* failure) {
    const DatabaseLocation location = ChooseDatabaseLocation(CurrentLocationInputs(option));
    if (!PrepareDatabase(location, created, failure)) {
        std::fprintf(stderr, "lumetra: %s\n", failure->c_str());
        return false;
    }
    const std::string problem = Problem(location.path);
    if (problem.empty()) return true;
    *failure = "数据库无法使用：" + problem + WhatToDo(location.path);
    std::fprintf(stderr, "lumetra: %s\n", failure->c_str());
    return false;
}

}  // namespace lumetra
