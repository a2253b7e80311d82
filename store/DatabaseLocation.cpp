#include "store/DatabaseLocation.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "store/DesktopId.h"
#include "store/PrivateFiles.h"
#include "store/ProgramDir.h"

namespace lumetra {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

LocationInputs CurrentLocationInputs(const std::string& option) {
    LocationInputs inputs;
    inputs.option = option;
    inputs.environment = Variable("LUMETRA_DATABASE");
    inputs.programDir = ProgramDirectory();
    inputs.programDirWritable = ::access(inputs.programDir.c_str(), W_OK) == 0;
    inputs.installTree =
        inputs.programDir.ends_with("/bin/") &&
        ::access((inputs.programDir + "../share/applications/" + kDesktopFileName).c_str(), F_OK) == 0;
    inputs.dataHome = Variable("XDG_DATA_HOME");
    inputs.home = Variable("HOME");
    return inputs;
}

std::string UserDataFolder(const LocationInputs& inputs) {
    // The XDG base directory rule: a relative XDG_DATA_HOME is ignored.
    if (!inputs.dataHome.empty() && inputs.dataHome.front() == '/') return inputs.dataHome + "/lumetra";
    return inputs.home + "/.local/share/lumetra";
}

DatabaseLocation ChooseDatabaseLocation(const LocationInputs& inputs) {
    if (!inputs.option.empty()) return {inputs.option, DatabaseSource::kOption};
    if (!inputs.environment.empty()) return {inputs.environment, DatabaseSource::kEnvironment};
    const bool installed =
        !inputs.programDirWritable || inputs.installTree || inputs.programDir.starts_with("/usr/");
    if (!installed) return {inputs.programDir + kDatabaseFileName, DatabaseSource::kPortable};
    return {UserDataFolder(inputs) + "/" + kDatabaseFileName, DatabaseSource::kInstalled};
}

bool PrepareDatabase(const DatabaseLocation& location, std::string* notice, std::string* error) {
    std::error_code ec;
    if (std::filesystem::exists(location.path, ec)) {
        WithdrawFromOthers(location.path);
        return true;
    }
    if (location.source != DatabaseSource::kInstalled) {
        *error = "找不到数据库文件 " + location.path + "。\n可用命令 lumetra-initdb " + location.path +
                 " 创建一个新的数据库。";
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(location.path).parent_path();
    std::string failure;
    if (!CreatePrivateFolders(folder, ec) || !MakeDeliveredDatabase(location.path, &failure)) {
        *error = "无法创建数据库 " + location.path + "：" + (ec ? ec.message() : failure);
        return false;
    }
    *notice = "这是第一次启动：已在 " + location.path +
              " 创建新的数据库。\n初始操作员为 admin，密码 admin；登录后请在用户管理页修改密码。";
    return true;
}

}  // namespace lumetra
