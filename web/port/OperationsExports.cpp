// The pager operations for JavaScript, called with ccall(..., {async: true}):
// each returns a promise, because the operation awaits the port. One
// operation runs at a time; a call while one runs is refused with Busy.
// Code-plugs travel as the 2048 bytes of a .tbl file in the module's memory.

#include <emscripten.h>

#include <cstring>
#include <string>

#include "codeplug/CodePlugImage.h"
#include "pager/WriteStamps.h"
#include "web/port/BrowserOperations.h"

using namespace km640;

namespace {

BrowserOperations& operations() {
    static BrowserOperations instance;
    return instance;
}

std::string lastText;
bool running = false;

// Outcome numbers for JavaScript: those of Outcome, and this one for a
// code-plug that is refused before anything is sent.
constexpr int kNotACodePlug = 100;

int finish(const OperationResult& result) {
    lastText = result.text;
    running = false;
    return static_cast<int>(result.outcome);
}

CodePlugImage imageFrom(const std::uint8_t* bytes) {
    CodePlugImage image;
    std::memcpy(image.bytes().data(), bytes, kImageSize);
    return image;
}

bool startOne() {
    if (running) {
        lastText.clear();
        return false;
    }
    running = true;
    return true;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int km640_read(const char* port) {
    if (!startOne()) return static_cast<int>(Outcome::Busy);
    return finish(operations().Read(port));
}

EMSCRIPTEN_KEEPALIVE int km640_write(const char* port, const std::uint8_t* codePlug, int syncClock) {
    if (!startOne()) return static_cast<int>(Outcome::Busy);
    const CodePlugImage image = imageFrom(codePlug);
    if (!HasModelName(image.bytes())) {
        running = false;
        lastText = "The file is not KM640 code-plug file.";
        return kNotACodePlug;
    }
    return finish(operations().Write(port, image, syncClock != 0));
}

EMSCRIPTEN_KEEPALIVE int km640_verify(const char* port) {
    if (!startOne()) return static_cast<int>(Outcome::Busy);
    return finish(operations().Verify(port));
}

// The pager's whole memory as it is, into out (2048 bytes).
EMSCRIPTEN_KEEPALIVE int km640_read_memory(const char* port, std::uint8_t* out) {
    if (!startOne()) return static_cast<int>(Outcome::Busy);
    CodePlugImage memory;
    const int outcome = finish(operations().ReadMemory(port, memory));
    if (outcome == static_cast<int>(Outcome::Success)) std::memcpy(out, memory.bytes().data(), kImageSize);
    return outcome;
}

// The editor's image: what Read brought, or what Write sent.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* km640_image() { return operations().image().bytes().data(); }

// The last operation's outcome as the status bar shows it.
EMSCRIPTEN_KEEPALIVE const char* km640_result_text() { return lastText.c_str(); }

// The messages the last operation would have shown in boxes, one a line.
EMSCRIPTEN_KEEPALIVE const char* km640_messages() {
    static std::string joined;
    joined.clear();
    for (const auto& text : operations().messages().texts) joined += text + "\n";
    return joined.c_str();
}

// The code-plug as a write sends it to this pager, with what the write takes
// from the pager or stamps as the pager holds it (what Verify compares with).
EMSCRIPTEN_KEEPALIVE void km640_as_written_to(const std::uint8_t* codePlug, const std::uint8_t* pager, std::uint8_t* out) {
    const CodePlugImage written = AsWrittenTo(imageFrom(codePlug), imageFrom(pager));
    std::memcpy(out, written.bytes().data(), kImageSize);
}

}  // extern "C"
