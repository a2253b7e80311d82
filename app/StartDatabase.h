// The database of this start: chosen by the data-location rules, made on an installed program's
// first start, then opened as the application connection. Every failure is shown once and the
// program goes on without a database.
#pragma once

#include <memory>
#include <string>

class QWidget;

namespace lumetra {

// `option` is the --database PATH of the command line, or empty. When the database was just made,
// *notice becomes a box that tells the operator so, with the delivered login. It does not wait for
// an answer, so the schedule and the link start meanwhile; the caller keeps it while Qt runs.
bool OpenStartDatabase(const std::string& option, std::unique_ptr<QWidget>* notice);

}  // namespace lumetra
