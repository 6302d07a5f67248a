// Code-plugs handed to the main window from outside: the file named on the
// command line, a file dropped onto the window, and the file a second start
// of the program passes on. Each is opened exactly as File > Open opens it,
// but only when the window is idle.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QThread>
#include <QUrl>

#include "app/TfmMain.h"
#include "pager/PagerOperations.h"

namespace km640 {

namespace {

// The one local *.tbl or *.json file being dragged, or nothing. Opening it
// looks at its content; the name only keeps other files from being taken.
std::optional<std::string> draggedCodePlug(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
    const QUrl url = data->urls().first();
    const QString file = url.toLocalFile();
    if (!url.isLocalFile() || !(file.endsWith(".tbl", Qt::CaseInsensitive) || file.endsWith(".json", Qt::CaseInsensitive)))
        return std::nullopt;
    return file.toStdString();
}

}  // namespace

void TfmMain::openWhenIdle(const std::string& path) {
    handedFiles_.push_back(path);
    // Taken up from the event loop, never from inside whatever handed it over
    // (a drop handler, the socket of the second start).
    QMetaObject::invokeMethod(this, &TfmMain::openHandedFiles, Qt::QueuedConnection);
}

bool TfmMain::idle() const {
    // A nested event loop means a dialog or a box is waiting for the user,
    // even one the platform draws itself; the pager operations let events in
    // while they wait for the board, with the window disabled or not, and a
    // production run while it waits for the record.
    return startedUp_ && isEnabled() && !operations_->busy() && !productionRunning_ &&
           QApplication::activeModalWidget() == nullptr && QThread::currentThread()->loopLevel() <= 1;
}

void TfmMain::openHandedFiles() {
    // Opening may show a box; a file handed over meanwhile waits for the
    // loop below instead of opening in the middle of this one.
    if (openingHandedFiles_) return;
    openingHandedFiles_ = true;
    while (!handedFiles_.empty() && idle()) {
        const std::string path = handedFiles_.front();
        handedFiles_.pop_front();
        if (askToSaveChanges()) OpenCodePlugFile(path);
    }
    openingHandedFiles_ = false;
}

bool TfmMain::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // The window is free again when a box or dialog closes over it, when it
    // is enabled after an operation, or when the user comes back to it.
    switch (event->type()) {
    case QEvent::WindowUnblocked:
    case QEvent::EnabledChange:
    case QEvent::WindowActivate:
        if (!handedFiles_.empty()) QMetaObject::invokeMethod(this, &TfmMain::openHandedFiles, Qt::QueuedConnection);
        break;
    default: break;
    }
    return handled;
}

void TfmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (draggedCodePlug(event->mimeData())) event->acceptProposedAction();
}

void TfmMain::dropEvent(QDropEvent* event) {
    const auto path = draggedCodePlug(event->mimeData());
    if (!path) return;
    event->acceptProposedAction();
    openWhenIdle(*path);
}

}  // namespace km640
