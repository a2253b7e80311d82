// Changes of users and settings go to the broadcast history, with who made them: each store that
// makes one says so here once it is stored, whichever path asked for it. The station receives them
// while it runs; without one they only reach the log.
#pragma once

#include <functional>
#include <string>

#include "store/HistoryEvent.h"

namespace lumetra {

using ChangeJournal = std::function<void(HistoryKind kind, const std::string& detail)>;

// Who receives the changes from now on; empty for nobody. The receiver must only queue.
void SetChangeJournal(ChangeJournal journal);
void JournalChange(HistoryKind kind, const std::string& detail);
// "自动关机：停用 → 启用 07:05:00"; nothing when the value stayed as it was.
void JournalSettingChange(const std::string& setting, const std::string& from, const std::string& to);

}  // namespace lumetra
