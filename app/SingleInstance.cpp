#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace km640 {

namespace {
QString sanitize(QString key) {
    for (QChar& c : key)
        if (!c.isLetterOrNumber()) c = '_';
    return key + "_" + QString::number(::getuid());
}

// A second start sends one line: empty to raise the window only, or the
// file as a file: URL, which keeps blanks, line breaks and any other
// character of a path intact on one line.
constexpr qsizetype kLongestRequest = 64 * 1024;
constexpr int kClientWaitMs = 2000;

// A folder (not a link to one) of this user that nobody else may enter.
bool isPrivateFolder(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// Whether the process at the other end of a connected local socket runs as
// this user. Where the system cannot tell, the private folder alone guards.
bool peerIsThisUser(qintptr descriptor) {
#ifdef SO_PEERCRED
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return false;
    return credentials.uid == ::getuid();
#else
    (void)descriptor;
    return true;
#endif
}
}  // namespace

QString privateRuntimeFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime)) return QFile::decodeName(runtime);
    const QByteArray own = QFile::encodeName(QDir::tempPath() + "/km640-" + QString::number(::getuid()));
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST) return {};
    // Made by someone else, or opened up since: not ours to trust.
    return isPrivateFolder(own) ? QFile::decodeName(own) : QString();
}

SingleInstance::SingleInstance(const QString& key, const QString& folder) : key_(sanitize(key)), folder_(folder) {}

SingleInstance::~SingleInstance() {
    // Connections still open must not count down on a half-destroyed object.
    for (QLocalSocket* socket : server_.findChildren<QLocalSocket*>()) socket->disconnect(this);
    server_.close();
    if (lock_) lock_->unlock();
}

QString SingleInstance::socketPath() const { return folder_.isEmpty() ? QString() : folder_ + "/" + key_ + ".socket"; }

bool SingleInstance::acquire() {
    const QString handOver = "A second start of the program cannot hand its code-plug to this window";
    if (folder_.isEmpty()) {
        problem_ = handOver + ": there is no private runtime folder (XDG_RUNTIME_DIR). It opens a window of its own.";
        return true;
    }
    lock_ = std::make_unique<QLockFile>(folder_ + "/" + key_ + ".lock");
    lock_->setStaleLockTime(0);  // a lock left by a crashed run is taken over
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) return false;
        problem_ = handOver + ": the lock in " + folder_ + " cannot be made. It opens a window of its own.";
        return true;
    }
    QLocalServer::removeServer(socketPath());  // a socket left by a crashed run
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_.nextPendingConnection()) accept(s);
    });
    // Only this user may hand files to the window.
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath()))
        problem_ = handOver + " (" + server_.errorString() + "). It opens a window of its own.";
    return true;
}

void SingleInstance::accept(QLocalSocket* socket) {
    // A burst of connections that never say anything must not use up what
    // the window can serve: extra ones are closed at once, idle ones soon.
    if (connections_ >= kMaxConnections || !peerIsThisUser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++connections_;
    connect(socket, &QObject::destroyed, this, [this] { --connections_; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    idle->start(idleLimitMs_);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
    answer(socket);  // the line may be there already
}

void SingleInstance::answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestRequest) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    const QByteArray line = socket->readLine(kLongestRequest).trimmed();
    socket->write("ok\n");
    socket->flush();
    emit raiseRequested();
    if (line.isEmpty()) return;
    const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
    if (url.isLocalFile()) emit openRequested(url.toLocalFile());
}

bool SingleInstance::notifyRunning(const QString& file) {
    if (folder_.isEmpty()) return false;
    // Only a socket of this user's is handed a file.
    struct stat st {};
    if (::lstat(QFile::encodeName(socketPath()).constData(), &st) != 0 || !S_ISSOCK(st.st_mode) ||
        st.st_uid != ::getuid())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(kClientWaitMs) || !peerIsThisUser(socket.socketDescriptor())) return false;
    socket.write((file.isEmpty() ? QByteArray() : QUrl::fromLocalFile(file).toEncoded()) + "\n");
    if (!socket.waitForBytesWritten(kClientWaitMs)) return false;
    const bool answered = socket.waitForReadyRead(kClientWaitMs) && socket.readAll().startsWith("ok");
    socket.disconnectFromServer();
    return answered;
}

}  // namespace km640
