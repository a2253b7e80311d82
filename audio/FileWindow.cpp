#include "audio/FileWindow.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace lumetra {

namespace {

// Only a regular file: opening a named pipe would wait for a writer that may never come.
std::ifstream OpenRegular(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    return std::ifstream(path, std::ios::binary);
}

}  // namespace

CFileWindow::CFileWindow(const std::string& path) : m_file(OpenRegular(path)) {
    m_open = m_file.is_open() && m_file.seekg(0, std::ios::end);
    if (m_open) m_size = static_cast<int64_t>(m_file.tellg());
    m_open = m_open && m_size >= 0;
}

const uint8_t* CFileWindow::At(int64_t offset, size_t count) {
    if (!m_open || offset < 0 || count > kWindow || offset + static_cast<int64_t>(count) > m_size)
        return nullptr;
    if (offset < m_start || offset + static_cast<int64_t>(count) > m_start + static_cast<int64_t>(m_filled)) {
        m_buffer.resize(kWindow);
        const auto wanted = static_cast<size_t>(std::min<int64_t>(kWindow, m_size - offset));
        m_file.clear();
        m_file.seekg(offset);
        m_file.read(reinterpret_cast<char*>(m_buffer.data()), static_cast<std::streamsize>(wanted));
        m_start = offset;
        m_filled = static_cast<size_t>(std::max<std::streamsize>(m_file.gcount(), 0));
        if (m_filled < count) return nullptr;  // the file shrank under us
    }
    return m_buffer.data() + (offset - m_start);
}

const uint8_t* CFileWindow::From(int64_t offset, size_t& available) {
    available = 0;
    if (!m_open || offset < 0 || offset >= m_size) return nullptr;
    const uint8_t* bytes = At(offset, 1);
    if (bytes) available = static_cast<size_t>(m_start + static_cast<int64_t>(m_filled) - offset);
    return bytes;
}

bool CFileWindow::Holds(int64_t offset, const std::string& text) {
    const uint8_t* bytes = At(offset, text.size());
    return bytes && std::memcmp(bytes, text.data(), text.size()) == 0;
}

}  // namespace lumetra
