// 节目内容 as stored: a task's audio paths joined by "|", each path's first apostrophe kept as "$"
// (StoredPath.h). Read where the list is played or shown, never by the scheduler: telling a real
// "$" from a stored apostrophe may look at the disk.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/StoredPath.h"

namespace lumetra {

// The paths in order, a path listed twice kept twice. Pieces are split as SplitString splits
// them; `exists` tells a real "$" in a file name, and without it every first "$" is an apostrophe.
std::vector<std::string> PlayListOf(std::string_view text, const FileExists& exists);
// The stored text of the paths; a path holding "|" cannot be stored (CTaskFiles refuses it).
std::string PlayListText(const std::vector<std::string>& paths);

}  // namespace lumetra
