#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvor {

// Bytes of a user's text file as UTF-8: a UTF-8 or UTF-16 byte-order mark decides, then valid
// UTF-8 stays as it is, and anything else is read as GBK.
std::string DecodeUserText(std::string_view bytes);

struct TextFile {
    std::string text;   // UTF-8
    std::string error;  // a message for the user; empty on success
    bool ok() const { return error.empty(); }
};

// Reads a whole text file, refusing (with a Chinese message naming the file) one that is
// missing, unreadable, a folder, larger than maxBytes, or binary.
TextFile ReadTextFile(const std::string& path, size_t maxBytes = 64u << 20);

}  // namespace zelvor
