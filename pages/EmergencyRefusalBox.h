// The box that tells the operator a command was refused because the emergency lasts.
#pragma once

class QWidget;

namespace lumetra {

// Shows the refusal when the station did not accept a command; returns `accepted`.
bool AcceptedOrTold(QWidget* parent, bool accepted);

}  // namespace lumetra
