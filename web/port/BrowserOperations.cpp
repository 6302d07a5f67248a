#include "web/port/BrowserOperations.h"

#include <emscripten.h>

#include <algorithm>

#include "pager/PagerClock.h"
#include "pager/PagerOperationSteps.h"
#include "settings/CodePlugNormalisation.h"

EM_JS(void, km640_report_progress, (int position, int max, const char* caption), {
    if (Module.km640Progress) Module.km640Progress(position, max, UTF8ToString(caption));
});
EM_JS(void, km640_report_status, (int panel, const char* text), {
    if (Module.km640Status) Module.km640Status(panel, UTF8ToString(text));
});
// year, month 1..12, day, day of week 0 = Sunday, hour, minute, second.
EM_JS(void, km640_local_time, (int* fields), {
    const now = new Date();
    const values = [now.getFullYear(), now.getMonth() + 1, now.getDate(), now.getDay(),
                    now.getHours(), now.getMinutes(), now.getSeconds()];
    HEAP32.set(values, fields >> 2);
});

namespace km640 {

void BrowserOperationView::setProgressCaption(const std::string& text) {
    km640_report_progress(blocks_, kTransferBlocks, text.c_str());
}

void BrowserOperationView::setGaugeRange(int min, int max) {
    min_ = min;
    max_ = std::max(max, min);
    blocks_ = 0;
}

void BrowserOperationView::setGaugePosition(int position) {
    position_ = std::clamp(position, min_, max_);
    progress();
}

// Every step of a transfer's gauge is one block exchanged.
void BrowserOperationView::addToGauge(int step) {
    blocks_ = std::min(blocks_ + 1, kTransferBlocks);
    setGaugePosition(position_ + step);
}

void BrowserOperationView::closeProgress() {
    position_ = min_;
    blocks_ = 0;
    progress();
}

void BrowserOperationView::setStatus(int panel, const std::string& text) { km640_report_status(panel, text.c_str()); }

void BrowserOperationView::progress() { km640_report_progress(blocks_, kTransferBlocks, ""); }

MsgAnswer RecordedMessages::show(const std::string& text, const std::string&, MsgIcon, MsgButtons buttons) {
    texts.push_back(text);
    // Nobody is asked in the middle of an operation.
    return UnattendedAnswer(buttons);
}

LocalDateTime BrowserClock::now() {
    int f[7] = {};
    km640_local_time(f);
    return LocalDateTime{f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
}

BrowserOperations::BrowserOperations() : operations_(image_, port_, view_, messages_, clock_, "KM640") {}

void BrowserOperations::selectPort(const std::string& port) {
    // SYNC TIME leaves its port open; another board chosen since closes it
    // first, as the window's port list does.
    if (port_.IsOpen() && port_.PortName() != port) ClosePortQuietly(port_);
    messages_.texts.clear();
    operations_.setPortList({port});
    view_.selectPortIndex(0);
}

OperationResult BrowserOperations::Read(const std::string& port) {
    selectPort(port);
    return operations_.Read();
}

OperationResult BrowserOperations::Write(const std::string& port, const CodePlugImage& codePlug, bool syncClock) {
    selectPort(port);
    image_ = codePlug;
    PrepareForPager(image_);
    view_.setSyncClock(syncClock);
    return operations_.Write();
}

OperationResult BrowserOperations::Verify(const std::string& port) {
    selectPort(port);
    return operations_.Verify();
}

OperationResult BrowserOperations::Verify(const std::string& port, const CodePlugImage& codePlug,
                                          std::optional<CodePlugImage>& memory) {
    selectPort(port);
    image_ = codePlug;
    return operations_.Verify(&memory);
}

OperationResult BrowserOperations::Identify(const std::string& port, PagerIdentity& identity) {
    selectPort(port);
    return operations_.Identify(identity);
}

OperationResult BrowserOperations::SyncTime(const std::string& port) {
    selectPort(port);
    return operations_.SyncTime(ClockString(clock_.now()));
}

int BrowserOperations::Search(const std::vector<std::string>& ports) {
    ClosePortQuietly(port_);
    messages_.texts.clear();
    view_.setStatus(1, pagerops::kTesting);
    view_.selectPortIndex(-1);
    operations_.setPortList(ports);
    const bool found = operations_.ProbeAllPorts();
    ClosePortQuietly(port_);
    return found ? view_.selectedPortIndex() : -1;
}

OperationResult BrowserOperations::ReadMemory(const std::string& port, CodePlugImage& memory) {
    selectPort(port);
    return operations_.ReadMemory(memory);
}

}  // namespace km640
