// Looks over the ID3v2 tags at the start of a file before id3lib parses them. id3lib trusts the
// sizes and flags it reads: a frame marked compressed whose data does not inflate makes it free
// an uninitialised pointer, and sizes that run past their tag send it reading out of bounds.
// Tags that pass this check are handed to id3lib; the others are left out of the reading.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace lumetra {

struct Id3v2Check {
    bool safe = true;    // false: the library must not parse the tags
    std::string reason;  // why not, for the log and the tests
};

// Checks the tags that begin `head`, the first bytes of a file of `fileSize` bytes. `head` must
// hold every tag it starts with (CheckId3v2File reads as much as the tags claim).
Id3v2Check CheckId3v2Tags(std::span<const uint8_t> head, uint64_t fileSize);

// Reads the tags at the start of `path` and checks them. A file that cannot be read is safe:
// the library finds nothing in it either.
Id3v2Check CheckId3v2File(const std::string& path);

}  // namespace lumetra
