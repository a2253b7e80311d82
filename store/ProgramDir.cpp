#include "store/ProgramDir.h"

#include <filesystem>
#include <system_error>

namespace lumetra {

std::string ProgramDirectory() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::current_path(ec) / "lumetra";
    return exe.parent_path().string() + "/";
}

}  // namespace lumetra
