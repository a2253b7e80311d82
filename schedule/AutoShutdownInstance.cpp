#include "schedule/AutoShutdownInstance.h"

#include "schedule/LogindPowerControl.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"

namespace lumetra {

CAutoShutdown& AutoShutdown() {
    static CSystemClock clock;
    static CLogindPowerControl power;
    static CAutoShutdown instance(AppConnection(), clock, power);
    return instance;
}

}  // namespace lumetra
