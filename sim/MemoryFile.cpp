#include "sim/MemoryFile.h"

#include <fstream>
#include <iterator>

namespace km640 {

std::optional<CodePlugImage> LoadMemoryFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    CodePlugImage image;
    in.read(reinterpret_cast<char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
    if (in.gcount() != static_cast<std::streamsize>(kImageSize)) return std::nullopt;
    return image;
}

bool SaveMemoryFile(const std::filesystem::path& path, const CodePlugImage& memory) {
    auto temporary = path;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(memory.bytes().data()), static_cast<std::streamsize>(kImageSize));
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

}  // namespace km640
