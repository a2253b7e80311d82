// How the station tells whoever shows it (the main window and its pages) that something changed.
// Calls come from the station's threads; an implementation posts an event and returns at once, and
// the handler reads what changed from the station on its own thread.
#pragma once

#include <string>

#include "schedule/WindowMessages.h"

namespace lumetra {

class IStationObserver {
public:
    virtual ~IStationObserver() = default;
    virtual void Notify(WindowMessage message) = 0;
    // The database refused what the station needed from it; the text is the database's own.
    virtual void ShowDatabaseError(const std::string& description) = 0;
};

}  // namespace lumetra
