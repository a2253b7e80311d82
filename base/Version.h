// The program's version as the build names it ("1.4.0"): what --version prints and what the
// settings and about windows show, so they never disagree.
#pragma once

namespace lumetra {

const char* ProgramVersion();

}  // namespace lumetra
