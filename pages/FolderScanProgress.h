// Waits for a folder scan on the user-interface thread: when it takes longer than about half a
// second, a progress box counts the files found and lets the operator cancel, which returns at
// once; what was found until then is kept. Events keep flowing meanwhile, so scheduled playback
// and the clock go on.
#pragma once

#include <QString>
#include <functional>

#include "audio/FolderScan.h"

class QWidget;

namespace lumetra {

// Hands every file found to `take`, in scan order, on this thread.
void WaitForFolderScan(QWidget* parent, const QString& title, CFolderScan& scan,
                       const std::function<void(const FoundFile&)>& take);

}  // namespace lumetra
