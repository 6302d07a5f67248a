#include "cli/TerminalMessages.h"

#include "cli/TerminalText.h"

namespace km640::cli {

MsgAnswer TerminalMessages::show(const std::string& text, const std::string&, MsgIcon, MsgButtons buttons) {
    view_.clearLine();
    // Messages may carry a port name or a pager's text: each line is shown
    // with its control bytes escaped.
    for (std::size_t start = 0;;) {
        const auto end = text.find('\n', start);
        err_ << terminalText(std::string_view(text).substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        err_ << "\n";
        start = end + 1;
    }
    err_ << "\n" << std::flush;
    last_ = text;
    // The only message of an open that failed: the port opening of link/.
    if (text.starts_with("Error opening comm port")) portOpenFailed_ = true;
    return UnattendedAnswer(buttons);
}

}  // namespace km640::cli
