#pragma once
// Only one programming tool per user may run: two windows editing and
// writing pagers through one programmer board would fight over the port.
// The first start holds a lock file and listens on a local socket; a second
// start finds the lock taken, hands its code-plug file (if it was given one)
// to the first, asks it to come to the front and ends.
//
// Lock and socket live in the user's private runtime folder
// ($XDG_RUNTIME_DIR, or a folder of the user's own under the temporary
// folder), never under a name in /tmp that another user could take first.
// Both ends check that the other runs as the same user where the system
// tells. A first start that cannot listen still runs; a second start that
// finds nobody to hand over to opens its own window.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalSocket;

namespace km640 {

// The user's private runtime folder: $XDG_RUNTIME_DIR when it is a folder
// of this user that nobody else may enter; otherwise km640-<uid> in the
// temporary folder, made so. Empty when neither can be had.
QString privateRuntimeFolder();

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Connections a second start keeps open without handing anything over
    // are closed after `kIdleLimitMs`; no more than `kMaxConnections` are
    // served at a time.
    static constexpr int kIdleLimitMs = 3000;
    static constexpr int kMaxConnections = 8;

    explicit SingleInstance(const QString& key, const QString& folder = privateRuntimeFolder());
    ~SingleInstance() override;

    // True when this is the only running instance (the lock is now ours, or
    // no lock can be had at all). Whether others can hand files over then
    // is handOverProblem().
    bool acquire();
    // Why a second start cannot hand its file to this window; empty when it can.
    QString handOverProblem() const { return problem_; }
    // Asks the running instance to raise its window and, when file is not
    // empty, to open that code-plug. file is an absolute path. True when the
    // running instance answered; false when nobody of this user listens.
    bool notifyRunning(const QString& file = {});

    QString socketPath() const;
    // Hand-over connections open now.
    int openConnections() const { return connections_; }
    void setIdleLimitMs(int ms) { idleLimitMs_ = ms; }

signals:
    void raiseRequested();
    // A second start handed this code-plug file over (an absolute path).
    void openRequested(const QString& file);

private:
    void accept(QLocalSocket* socket);
    void answer(QLocalSocket* socket);

    QString key_;
    QString folder_;
    QString problem_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    int connections_ = 0;
    int idleLimitMs_ = kIdleLimitMs;
};

}  // namespace km640
