#include "base/Version.h"

namespace lumetra {

const char* ProgramVersion() {
    return LUMETRA_VERSION;
}

}  // namespace lumetra
