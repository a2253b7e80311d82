#include "store/ChangeJournal.h"

#include <mutex>

#include "base/Logger.h"

namespace lumetra {
namespace {

std::mutex g_lock;  // guards g_journal, and is held while it queues so a station never goes mid-call
ChangeJournal g_journal;

}  // namespace

void SetChangeJournal(ChangeJournal journal) {
    std::lock_guard lock(g_lock);
    g_journal = std::move(journal);
}

void JournalChange(HistoryKind kind, const std::string& detail) {
    Logger().Log("change: %s %s", HistoryKindText(kind), detail.c_str());
    std::lock_guard lock(g_lock);
    if (g_journal) g_journal(kind, detail);
}

void JournalSettingChange(const std::string& setting, const std::string& from, const std::string& to) {
    if (from == to) return;
    JournalChange(HistoryKind::kSettingChanged, setting + "：" + from + " → " + to);
}

}  // namespace lumetra
