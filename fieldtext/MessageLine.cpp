#include "fieldtext/MessageLine.h"

namespace km640::fieldtext {

std::string messageLine(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace km640::fieldtext
