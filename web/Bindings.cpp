// The editor as the page's script sees it: one class, its answers JSON texts
// and its files bytes (Uint8Array in, Uint8Array out).

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <string>

#include "web/EditorSession.h"

namespace {

using km640::web::EditorSession;

// A copy of the bytes the script keeps after the call returns.
emscripten::val bytesOut(const std::string& bytes) {
    const auto view = emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    return emscripten::val(view).call<emscripten::val>("slice");
}

emscripten::val saveImage(EditorSession& session) { return bytesOut(session.saveImage()); }
emscripten::val saveText(EditorSession& session) { return bytesOut(session.saveText()); }
emscripten::val imageBytes(EditorSession& session) { return bytesOut(session.imageBytes()); }

}  // namespace

EMSCRIPTEN_BINDINGS(km640_editor) {
    emscripten::class_<EditorSession>("EditorSession")
        .constructor<>()
        .class_function("controls", &EditorSession::controls)
        .class_function("programTitle", &EditorSession::programTitle)
        .class_function("saveQuestion", &EditorSession::saveQuestion)
        .class_function("fileKinds", &EditorSession::fileKinds)
        .function("title", &EditorSession::title)
        .function("open", &EditorSession::open)
        .function("state", &EditorSession::state)
        .function("commit", &EditorSession::commit)
        .function("entriesDisabled", &EditorSession::entriesDisabled)
        .function("normalise", &EditorSession::normalise)
        .function("saveImage", &saveImage)
        .function("saveText", &saveText)
        .function("modified", &EditorSession::modified)
        .function("compare", &EditorSession::compare)
        .function("checkRoster", &EditorSession::checkRoster)
        .function("imageBytes", &imageBytes)
        .function("takeRead", &EditorSession::takeRead)
        .function("takeWritten", &EditorSession::takeWritten);
}
