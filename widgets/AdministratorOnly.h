// A control that only administrators may use: an operator sees it disabled, and its tip says who
// may use it.
#pragma once

class QWidget;

namespace lumetra {

void AllowAdministratorsOnly(QWidget* control, bool administrator);

}  // namespace lumetra
