// Audio paths as a task's 节目内容 keeps them. The first apostrophe of each path is stored as "$";
// reading the row back, that "$" stands for the apostrophe again, so the task editor shows and the
// play page opens the file the operator chose.
#pragma once

#include <functional>
#include <string>

namespace lumetra {

using FileExists = std::function<bool(const std::string& path)>;

// A path as 节目内容 stores it: its first apostrophe becomes "$".
std::string StoredPath(std::string path);

// The path a stored one stands for: its first "$" read as an apostrophe, unless the path exists on
// disk as it is stored and the apostrophe form does not (a real "$" in a file name).
std::string PathFromStored(const std::string& stored, const FileExists& exists);

}  // namespace lumetra
