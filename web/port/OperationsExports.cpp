// The pager operations for JavaScript, called with ccall(..., {async: true}):
// each returns a promise, because the operation awaits the port. One
// operation runs at a time; a call while one runs is refused with Busy.
// Code-plugs travel as the 2048 bytes of a .tbl file in the module's memory.

#include <emscripten.h>

#include <cstring>
#include <string>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/BackupName.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/JsonWriter.h"
#include "pager/PagerClock.h"
#include "pager/ProductionLog.h"
#include "pager/WriteStamps.h"
#include "web/port/BrowserOperations.h"

using namespace km640;

// Cancel, set by the page while an operation runs (Module.km640StopLevel): 1
// as a first signal to km640-cli (the pager under way is finished; the page
// starts nothing after it), 2 as a second (the transfer ends after the block
// being exchanged). Kept on the JavaScript side: the page sets it while the
// operation awaits, when the module's code must not be entered.
EM_JS(int, km640_stop_level, (), { return Module.km640StopLevel | 0; });

namespace {

BrowserOperations& operations() {
    static BrowserOperations instance;
    return instance;
}

std::string lastText;
bool running = false;
PagerIdentity lastIdentity;
std::string lastIdentityFirmware;

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
    operations().setStopRequest([] { return km640_stop_level() >= 2; });
    return true;
}

// "Clock To Display" of the code-plug: the SYNC TIME text follows it, as in the window.
bool twentyFourHourClock(const CodePlugImage& image) {
    const auto* field = memmap::findField("Clock24h");
    return field && fieldtext::fieldValueText(image, *field) == "24H";
}

// The window's texts are label captions, whose ampersands are doubled.
std::string captionText(std::string text) {
    for (std::size_t at = text.find("&&"); at != std::string::npos; at = text.find("&&", at + 1)) text.erase(at, 1);
    return text;
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

// The window's Verify of the editor's code-plug: on " Verify Fail !" with
// every block read, out gets the pager's whole memory and
// km640_memory_kept() says so.
bool memoryKept = false;
EMSCRIPTEN_KEEPALIVE int km640_verify_plug(const char* port, const std::uint8_t* codePlug, std::uint8_t* out) {
    memoryKept = false;
    if (!startOne()) return static_cast<int>(Outcome::Busy);
    std::optional<CodePlugImage> memory;
    const int outcome = finish(operations().Verify(port, imageFrom(codePlug), memory));
    if (memory) {
        std::memcpy(out, memory->bytes().data(), kImageSize);
        memoryKept = true;
    }
    return outcome;
}

EMSCRIPTEN_KEEPALIVE int km640_memory_kept() { return memoryKept ? 1 : 0; }

// Firmware version, serial number and the version of the program that last
// wrote the pager; km640_identity() gives what was read.
EMSCRIPTEN_KEEPALIVE int km640_identify(const char* port) {
    if (!startOne()) return static_cast<int>(Outcome::Busy);
    lastIdentity = {};
    const int outcome = finish(operations().Identify(port, lastIdentity));
    lastIdentityFirmware = operations().view().firmwareText();
    return outcome;
}

// {"firmware":"FirmVer. 1.2.10","serialNo":"…","model":"…","version":117,"old":false},
// each only when it was read.
EMSCRIPTEN_KEEPALIVE const char* km640_identity() {
    static std::string json;
    fieldtext::JsonWriter out;
    out.beginObject();
    if (lastIdentity.firmware) out.value("firmware", lastIdentityFirmware);
    if (lastIdentity.serialNo) out.literal("serialNo", fieldtext::latin1JsonString(*lastIdentity.serialNo));
    if (const auto& block = lastIdentity.identificationBlock) {
        out.literal("model", fieldtext::latin1JsonString(
                                 TrimmedText(std::string(block->begin(), block->begin() + ident::kModelTextLength))));
        out.value("version", CodePlugVersion((*block)[14], (*block)[15]));
        out.value("old", CodePlugIsOld((*block)[14], (*block)[15]));
    }
    out.endObject();
    json = out.text();
    return json.c_str();
}

// SYNC TIME, with the window's answer as the result text: the time set in the
// code-plug's "Clock To Display" form, or " SYNC FAIL !".
EMSCRIPTEN_KEEPALIVE int km640_sync_time(const char* port, const std::uint8_t* codePlug) {
    if (!startOne()) return static_cast<int>(Outcome::Busy);
    const OperationResult result = operations().SyncTime(port);
    const int outcome = finish(result);
    if (result.ok())
        lastText = captionText(SyncSuccessText(operations().now(), twentyFourHourClock(imageFrom(codePlug))));
    else if (result.outcome != Outcome::PortError)
        lastText = " SYNC FAIL !";
    return outcome;
}

// The board search of the window's start: the ports one a line; the index of
// the first on which the board answers, or -1 (km640_result_text() then
// holds the window's message).
EMSCRIPTEN_KEEPALIVE int km640_search(const char* ports) {
    if (!startOne()) return -2;
    std::vector<std::string> list;
    std::string rest = ports;
    for (std::size_t at; (at = rest.find('\n')) != std::string::npos; rest.erase(0, at + 1))
        list.push_back(rest.substr(0, at));
    if (!rest.empty()) list.push_back(rest);
    const int found = operations().Search(list);
    lastText = found < 0 ? kBoardNotResponding : "";
    running = false;
    return found;
}

// The name the window gives the backup of a pager whose memory this is, at
// the browser's local time now.
EMSCRIPTEN_KEEPALIVE const char* km640_backup_name(const std::uint8_t* memory) {
    static std::string name;
    name = fieldtext::backupFileName(operations().now(), imageFrom(memory));
    return name.c_str();
}

// For the next Write only: where the pager's memory from before it is, named
// if the write leaves the pager half-written.
EMSCRIPTEN_KEEPALIVE void km640_next_backup(const char* where) { operations().setBackupPath(where); }

// The window's title part for a code-plug read from the pager: "pager" and
// its serial number.
EMSCRIPTEN_KEEPALIVE const char* km640_pager_title() {
    static std::string title;
    const std::string serial = SerialNumberText(operations().image());
    title = serial.empty() ? "pager" : "pager " + serial;
    return title.c_str();
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
