#pragma once
// The program's fixed texts (captions, list items, hints) are 8-bit characters,
// as the pager and its code-plugs know them.

#include <QString>
#include <string_view>

namespace km640 {

inline QString latin1Text(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace km640
