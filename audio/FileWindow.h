// Reads a file through a window of a few hundred kilobytes: a walk from the start to the end costs
// one read per window, however many small pieces it asks for, and a large file never sits in
// memory as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace lumetra {

class CFileWindow {
public:
    static constexpr size_t kWindow = 256 * 1024;

    // Anything but a regular file stays closed.
    explicit CFileWindow(const std::string& path);
    bool IsOpen() const { return m_open; }
    int64_t Size() const { return m_size; }
    // `count` bytes at `offset` (count at most kWindow), valid until the next call; nullptr when
    // the file ends before them or cannot be read.
    const uint8_t* At(int64_t offset, size_t count);
    // The bytes from `offset` to the end of the window (at least one, unless the file ends at
    // `offset`), their number in `available`; for scans that look at every byte.
    const uint8_t* From(int64_t offset, size_t& available);
    // Whether the bytes at `offset` are `text`.
    bool Holds(int64_t offset, const std::string& text);

private:
    std::ifstream m_file;
    bool m_open = false;
    int64_t m_size = 0;
    std::vector<uint8_t> m_buffer;
    int64_t m_start = 0;  // file offset of m_buffer[0]
    size_t m_filled = 0;  // bytes of m_buffer that hold file data
};

}  // namespace lumetra
