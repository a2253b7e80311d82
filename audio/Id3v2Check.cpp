#include "audio/Id3v2Check.h"

#include <fstream>
#include <vector>

namespace lumetra {

namespace {

constexpr size_t kHeaderSize = 10;
constexpr int kMaxTags = 8;  // tags following one another at the start of the file

bool IsTagHeader(std::span<const uint8_t> bytes) {
    return bytes.size() >= kHeaderSize && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3';
}

// A 28-bit size stored in four 7-bit bytes; false when a byte has its top bit set.
bool ReadSyncsafe(const uint8_t* bytes, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (bytes[i] & 0x80) return false;
        value = (value << 7) | bytes[i];
    }
    return true;
}

uint32_t ReadBigEndian(const uint8_t* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

// Undoes unsynchronisation: every 0xFF 0x00 pair stands for 0xFF.
std::vector<uint8_t> Resynchronised(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00) ++i;
    }
    return out;
}

Id3v2Check Unsafe(std::string reason) {
    return {false, std::move(reason)};
}

bool IsFrameIdChar(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Walks the frames of one tag body (after its extended header).
Id3v2Check CheckFrames(std::span<const uint8_t> body, int version) {
    const size_t idSize = version == 2 ? 3 : 4;
    const size_t headerSize = version == 2 ? 6 : 10;
    size_t at = 0;
    while (at + headerSize <= body.size() && body[at] != 0) {
        const uint8_t* frame = body.data() + at;
        for (size_t i = 0; i < idSize; ++i) {
            if (!IsFrameIdChar(frame[i]))
                return Unsafe("a frame identifier holds a byte that is not A-Z or 0-9");
        }
        uint32_t size = 0;
        if (version == 2) {
            size = ReadBigEndian(frame + 3, 3);
        } else if (version == 3) {
            size = ReadBigEndian(frame + 4, 4);
        } else if (!ReadSyncsafe(frame + 4, size)) {
            return Unsafe("a frame size is not a valid 28-bit size");
        }
        if (size > body.size() - at - headerSize) return Unsafe("a frame runs past the end of its tag");
        if (version >= 3) {
            const uint8_t format = frame[9];
            // Compressed or encrypted frames (and, in version 4, frames with their own
            // unsynchronisation or length field) are the ones the library mishandles.
            const uint8_t refused = version == 3 ? 0xC0 : 0x0F;
            if (format & refused) return Unsafe("a frame is compressed, encrypted or otherwise encoded");
        }
        at += headerSize + size;
    }
    return {};
}

Id3v2Check CheckOneTag(std::span<const uint8_t> tag, uint32_t size) {
    const int version = tag[3];
    const uint8_t flags = tag[5];
    if (version < 2 || version > 4 || tag[4] == 0xFF) return Unsafe("unknown tag version");
    const uint8_t knownFlags = version == 2 ? 0x80 : version == 3 ? 0xE0 : 0xF0;
    if (flags & ~knownFlags) return Unsafe("unknown tag flags");
    if (version == 2 && (flags & 0x40)) return Unsafe("compressed version 2 tag");

    std::span<const uint8_t> raw = tag.subspan(kHeaderSize, size);
    std::vector<uint8_t> resynced;
    if ((flags & 0x80) && version < 4) {
        resynced = Resynchronised(raw);
        raw = resynced;
    }
    if (version >= 3 && (flags & 0x40)) {
        if (raw.size() < 6) return Unsafe("extended header cut short");
        uint32_t extended = 0;
        if (version == 3) {
            extended = ReadBigEndian(raw.data(), 4) + 4;  // the size leaves itself out
        } else if (!ReadSyncsafe(raw.data(), extended)) {
            return Unsafe("extended header size is not a valid 28-bit size");
        }
        if (extended < 6 || extended > raw.size()) return Unsafe("extended header runs past its tag");
        raw = raw.subspan(extended);
    }
    return CheckFrames(raw, version);
}

}  // namespace

Id3v2Check CheckId3v2Tags(std::span<const uint8_t> head, uint64_t fileSize) {
    uint64_t at = 0;
    for (int count = 0; count < kMaxTags && IsTagHeader(head.subspan(std::min<uint64_t>(at, head.size())));
         ++count) {
        const std::span<const uint8_t> tag = head.subspan(at);
        uint32_t size = 0;
        if (!ReadSyncsafe(tag.data() + 6, size)) return Unsafe("tag size is not a valid 28-bit size");
        const uint64_t total = kHeaderSize + size + ((tag[3] == 4 && (tag[5] & 0x10)) ? kHeaderSize : 0);
        if (at + total > fileSize) return Unsafe("tag is larger than the file");
        if (kHeaderSize + size > tag.size()) return Unsafe("tag was not read whole");
        if (Id3v2Check one = CheckOneTag(tag, size); !one.safe) return one;
        at += total;
    }
    return {};
}

Id3v2Check CheckId3v2File(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    const uint64_t fileSize = static_cast<uint64_t>(in.tellg());
    in.seekg(0);
    std::vector<uint8_t> head;
    // Read tag after tag, each only once its header has shown a size that fits the file.
    for (int count = 0; count < kMaxTags; ++count) {
        const size_t start = head.size();
        head.resize(start + kHeaderSize);
        if (!in.read(reinterpret_cast<char*>(head.data() + start), kHeaderSize)) {
            head.resize(start + static_cast<size_t>(in.gcount()));
            break;
        }
        uint32_t size = 0;
        if (!IsTagHeader(std::span(head).subspan(start)) || !ReadSyncsafe(head.data() + start + 6, size))
            break;
        const uint64_t rest = size + ((head[start + 3] == 4 && (head[start + 5] & 0x10)) ? kHeaderSize : 0);
        if (start + kHeaderSize + rest > fileSize) break;  // CheckId3v2Tags refuses it
        head.resize(start + kHeaderSize + rest);
        in.read(reinterpret_cast<char*>(head.data() + start + kHeaderSize),
                static_cast<std::streamsize>(rest));
    }
    return CheckId3v2Tags(head, fileSize);
}

}  // namespace lumetra
