// Writes a new "dbinfo.mdb" with the eight tables and the delivered rows. Used by the
// lumetra-initdb tool and by tests; the program itself never creates tables.
#pragma once

#include <string>

namespace lumetra {

// Creates `path` from the delivered schema. Refuses (returns false with a message in *error) when
// the file already exists, so an operator's database is never overwritten.
bool MakeDeliveredDatabase(const std::string& path, std::string* error);

}  // namespace lumetra
