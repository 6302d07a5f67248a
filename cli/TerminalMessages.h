#pragma once
// The operations' message boxes on a terminal: the program's own texts on
// standard error, answered at once: OK, and No or Cancel to a question, as
// nobody is there to click.

#include <ostream>
#include <string>

#include "cli/TerminalView.h"
#include "platform/Services.h"

namespace km640::cli {

class TerminalMessages : public MessageBoxes {
public:
    TerminalMessages(std::ostream& err, TerminalView& view) : err_(err), view_(view) {}

    MsgAnswer show(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override;

    // True once the port could not be opened during an operation.
    bool portOpenFailed() const { return portOpenFailed_; }
    // True when text was the last message shown.
    bool lastShown(const std::string& text) const { return !last_.empty() && last_ == text; }

private:
    std::ostream& err_;
    TerminalView& view_;
    std::string last_;
    bool portOpenFailed_ = false;
};

}  // namespace km640::cli
