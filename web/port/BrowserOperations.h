#pragma once
// The pager operations as the browser edition runs them: the window's own
// PagerOperations over a BrowserSerialPort, one at a time. Progress and
// messages go to JavaScript hooks on the module (Module.km640Progress,
// Module.km640Status); the clock is the browser's local time.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "pager/UnattendedView.h"
#include "pager/PagerOperations.h"
#include "platform/Services.h"
#include "web/port/BrowserSerialPort.h"

namespace km640 {

// Forwards the progress of an operation to the page. The browser turns its
// own events whenever the operation awaits the port, and a wait for the
// port ends when its bytes arrive: a reply is taken as it comes, as the
// window takes it. Sleeping until a reply is due at line pace would wake on
// a browser timer, which fires late by milliseconds at every exchange.
class BrowserOperationView : public UnattendedView {
public:
    bool turnsEvents() const override { return true; }
    // The page shows the blocks of a transfer exchanged so far, of 32; the
    // gauge's own scale is the window's.
    void setProgressCaption(const std::string& text) override;
    void setGaugeVisible(bool) override {}
    void setGaugeRange(int min, int max) override;
    void setGaugePosition(int position) override;
    void addToGauge(int step) override;
    void showProgress() override {}
    void closeProgress() override;
    void repaintProgress() override {}
    void setStatus(int panel, const std::string& text) override;

private:
    void progress();

    int min_ = 0, max_ = 100, position_ = 0;
    int blocks_ = 0;  // blocks exchanged since the transfer's gauge started
};

// Message boxes of an operation, kept for the page to show.
class RecordedMessages : public MessageBoxes {
public:
    MsgAnswer show(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override;
    std::vector<std::string> texts;
};

// The computer's local time, as the browser knows it.
class BrowserClock : public LocalClock {
public:
    LocalDateTime now() override;
};

class BrowserOperations {
public:
    BrowserOperations();

    // Each runs one operation on the named port (a Web Serial port or a
    // simulated board's ws:// address) and returns its result.
    OperationResult Read(const std::string& port);
    // Writes the code-plug as every write sends it (PrepareForPager); the
    // caller has made sure it is a KM640 code-plug.
    OperationResult Write(const std::string& port, const CodePlugImage& codePlug, bool syncClock);
    // Does the pager hold the editor's image (what Read brought or Write sent)?
    OperationResult Verify(const std::string& port);
    // Does the pager hold this code-plug, as the window's Verify asks of the
    // editor's? On a difference memory gets the pager's whole memory when
    // every block arrived.
    OperationResult Verify(const std::string& port, const CodePlugImage& codePlug,
                           std::optional<CodePlugImage>& memory);
    OperationResult ReadMemory(const std::string& port, CodePlugImage& memory);
    OperationResult Identify(const std::string& port, PagerIdentity& identity);
    // SYNC TIME with the browser's local time.
    OperationResult SyncTime(const std::string& port);
    // The board search: the index of the first port on which the board
    // answers, or -1.
    int Search(const std::vector<std::string>& ports);
    // For the next Write: where the pager's memory from before it is.
    void setBackupPath(std::string path) { operations_.setBackupPath(std::move(path)); }
    void setStopRequest(std::function<bool()> stop) { operations_.setStopRequest(std::move(stop)); }
    LocalDateTime now() { return clock_.now(); }
    const BrowserOperationView& view() const { return view_; }

    const CodePlugImage& image() const { return image_; }
    const RecordedMessages& messages() const { return messages_; }

private:
    void selectPort(const std::string& port);

    CodePlugImage image_;
    BrowserSerialPort port_;
    BrowserOperationView view_;
    RecordedMessages messages_;
    BrowserClock clock_;
    PagerOperations operations_;
};

}  // namespace km640
