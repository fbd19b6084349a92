// SPDX-License-Identifier: MIT
// A small RIFF reader for the tests, written from the AVI format and not from
// the library's writer: it walks the chunk tree of a whole file, checks every
// size against its parent and the file, and hands out the headers, the video
// chunks of the movi list and the idx1 entries.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quelix::test {

inline uint32_t LoadU32(const std::vector<uint8_t>& bytes, uint64_t at)
{
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

inline uint16_t LoadU16(const std::vector<uint8_t>& bytes, uint64_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

struct AviFile {
    struct Chunk {
        std::string id;
        uint64_t offset = 0;  // of the chunk's id in the file
        uint32_t size = 0;    // of its data
    };
    struct IndexEntry {
        std::string id;
        uint32_t flags = 0;
        uint32_t offset = 0;
        uint32_t size = 0;
    };

    std::vector<uint8_t> bytes;
    std::string error;  // empty when the file is well formed
    uint32_t riffSize = 0;
    Chunk avih, strh, strf;
    uint64_t moviListOffset = 0;  // of the "LIST" id of the movi list
    uint32_t moviSize = 0;
    std::vector<Chunk> frames;  // the movi list's chunks in file order
    std::vector<IndexEntry> index;
    bool hasIndex = false;

    uint32_t MainHeader(int word) const { return LoadU32(bytes, avih.offset + 8 + 4 * word); }
    uint32_t StreamHeader(int word) const { return LoadU32(bytes, strh.offset + 8 + 4 * word); }
    const uint8_t* FrameData(size_t frame) const { return bytes.data() + frames[frame].offset + 8; }
};

namespace avi_detail {

inline std::string IdAt(const std::vector<uint8_t>& bytes, uint64_t at)
{
    return std::string(reinterpret_cast<const char*>(bytes.data() + at), 4);
}

// Walks the chunks in [begin, end) of `list` ("hdrl", "strl", "movi" or the
// RIFF form itself), recursing into lists.
inline bool Walk(AviFile& file, const std::string& list, uint64_t begin, uint64_t end)
{
    for (uint64_t at = begin; at < end;) {
        if (end - at < 8) {
            file.error = "a chunk head runs past its list at " + std::to_string(at);
            return false;
        }
        const std::string id = avi_detail::IdAt(file.bytes, at);
        const uint32_t size = LoadU32(file.bytes, at + 4);
        if (size > end - at - 8) {
            file.error = "chunk " + id + " at " + std::to_string(at) + " runs past its list";
            return false;
        }
        const AviFile::Chunk chunk{id, at, size};
        if (id == "LIST") {
            if (size < 4) {
                file.error = "a list without a type at " + std::to_string(at);
                return false;
            }
            const std::string type = avi_detail::IdAt(file.bytes, at + 8);
            if (type == "movi") {
                file.moviListOffset = at;
                file.moviSize = size;
            }
            if (!Walk(file, type, at + 12, at + 8 + size))
                return false;
        } else if (list == "hdrl" && id == "avih") {
            file.avih = chunk;
        } else if (list == "strl" && id == "strh") {
            file.strh = chunk;
        } else if (list == "strl" && id == "strf") {
            file.strf = chunk;
        } else if (list == "movi") {
            file.frames.push_back(chunk);
        } else if (list == "AVI " && id == "idx1") {
            file.hasIndex = true;
            if (size % 16 != 0) {
                file.error = "idx1 is not a whole number of entries";
                return false;
            }
            for (uint64_t entry = at + 8; entry < at + 8 + size; entry += 16) {
                file.index.push_back({avi_detail::IdAt(file.bytes, entry), LoadU32(file.bytes, entry + 4),
                                      LoadU32(file.bytes, entry + 8), LoadU32(file.bytes, entry + 12)});
            }
        }
        at += 8 + uint64_t{size} + (size & 1);
    }
    return true;
}

}  // namespace avi_detail

inline AviFile ReadAviBytes(std::vector<uint8_t> bytes)
{
    AviFile file;
    file.bytes = std::move(bytes);
    if (file.bytes.size() < 12 || avi_detail::IdAt(file.bytes, 0) != "RIFF" ||
        avi_detail::IdAt(file.bytes, 8) != "AVI ") {
        file.error = "not a RIFF AVI file";
        return file;
    }
    file.riffSize = LoadU32(file.bytes, 4);
    if (uint64_t{file.riffSize} + 8 != file.bytes.size()) {
        file.error = "the RIFF size " + std::to_string(file.riffSize) + " does not match the file size " +
                     std::to_string(file.bytes.size());
        return file;
    }
    if (!avi_detail::Walk(file, "AVI ", 12, file.bytes.size()))
        return file;
    if (file.avih.size != 56 || file.strh.size != 64 || file.strf.size != 40 || file.moviListOffset == 0)
        file.error = "a header chunk or the movi list is missing or misshapen";
    else if (!file.hasIndex)
        file.error = "no idx1";
    return file;
}

inline AviFile ReadAvi(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        AviFile missing;
        missing.error = "cannot open " + path;
        return missing;
    }
    return ReadAviBytes(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

// Checks that the index names every chunk of the movi list, in order, at its
// place (offsets count from the movi list's type), with its size: empty, or
// what disagrees.
inline std::string IndexDisagreement(const AviFile& file)
{
    if (file.index.size() != file.frames.size())
        return std::to_string(file.index.size()) + " index entries for " +
               std::to_string(file.frames.size()) + " chunks";
    for (size_t i = 0; i < file.index.size(); ++i) {
        const AviFile::IndexEntry& entry = file.index[i];
        const AviFile::Chunk& chunk = file.frames[i];
        if (entry.id != chunk.id || entry.size != chunk.size ||
            uint64_t{entry.offset} != chunk.offset - (file.moviListOffset + 8))
            return "index entry " + std::to_string(i) + " does not name its chunk";
    }
    return {};
}

}  // namespace quelix::test
