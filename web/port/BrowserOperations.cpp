#include "web/port/BrowserOperations.h"

#include <emscripten.h>

#include <algorithm>

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
    km640_report_progress(position_ - min_, max_ - min_, text.c_str());
}

void BrowserOperationView::setGaugeRange(int min, int max) {
    min_ = min;
    max_ = std::max(max, min);
}

void BrowserOperationView::setGaugePosition(int position) {
    position_ = std::clamp(position, min_, max_);
    progress();
}

void BrowserOperationView::addToGauge(int step) { setGaugePosition(position_ + step); }

void BrowserOperationView::closeProgress() {
    position_ = min_;
    progress();
}

void BrowserOperationView::setStatus(int panel, const std::string& text) { km640_report_status(panel, text.c_str()); }

void BrowserOperationView::progress() { km640_report_progress(position_ - min_, max_ - min_, ""); }

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
    messages_.texts.clear();
    operations_.setPortList({port});
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

OperationResult BrowserOperations::ReadMemory(const std::string& port, CodePlugImage& memory) {
    selectPort(port);
    return operations_.ReadMemory(memory);
}

}  // namespace km640
