// The question the exit asks: it names what is on air, which the exit will stop.
#pragma once

#include <QString>

namespace lumetra {

class CStation;

QString ExitQuestion(CStation& station);

}  // namespace lumetra
