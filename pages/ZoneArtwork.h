// Images of the zone pages, drawn as vectors so they stay crisp at any screen scale: the one icon
// of the zone editor's items, and the outlet buttons' image (lit when on, grey when off).
#pragma once

#include <QIcon>

namespace lumetra {

// A small loudspeaker, 16 x 16.
QIcon ZoneItemIcon();
// A power symbol on a round button, 32 x 32: the On mode lit green, the Off mode grey.
QIcon PowerOutletIcon();

}  // namespace lumetra
