#include "text/text_file.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "text/gbk.h"

namespace zelvor {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

}  // namespace

std::string DecodeUserText(std::string_view bytes) {
    std::string out;
    if (bytes.starts_with(kUtf8Bom)) {
        DecodeToUtf8(bytes.substr(kUtf8Bom.size()), "UTF-8", out);
    } else if (bytes.starts_with(kUtf16LeBom)) {
        DecodeToUtf8(bytes.substr(kUtf16LeBom.size()), "UTF-16LE", out);
    } else if (bytes.starts_with(kUtf16BeBom)) {
        DecodeToUtf8(bytes.substr(kUtf16BeBom.size()), "UTF-16BE", out);
    } else if (IsValidUtf8(bytes)) {
        out.assign(bytes);
    } else {
        out = GbkToUtf8(bytes);
    }
    return out;
}

TextFile ReadTextFile(const std::string& path, size_t maxBytes) {
    TextFile result;
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        result.error = "文件不存在：" + path;
        return result;
    }
    if (std::filesystem::is_directory(status)) {
        result.error = "这是一个文件夹，不是文本文件：" + path;
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = "无法读取文件：" + path + "（" + std::strerror(errno) + "）";
        return result;
    }
    // The size is known only for plain files; a device or a pipe may never end, so no more
    // than the limit is read from anything.
    auto size = std::filesystem::file_size(path, ec);
    bool tooLarge = !ec && size > maxBytes;
    std::string bytes;
    std::array<char, 64 * 1024> chunk;
    while (!tooLarge && in.read(chunk.data(), chunk.size()).gcount() > 0) {
        bytes.append(chunk.data(), static_cast<size_t>(in.gcount()));
        tooLarge = bytes.size() > maxBytes;
    }
    if (tooLarge) {
        result.error = "文件过大（超过" + std::to_string(maxBytes >> 20) + "MB）：" + path;
        return result;
    }
    if (in.bad()) {
        result.error = "读取文件出错：" + path;
        return result;
    }
    bool utf16 = bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom);
    if (!utf16 && bytes.find('\0') != std::string::npos) {
        result.error = "不是文本文件：" + path;
        return result;
    }
    result.text = DecodeUserText(bytes);
    return result;
}

}  // namespace zelvor
