#pragma once
// Only one programming tool per user may run: two windows editing and
// writing pagers through one programmer board would fight over the port.
// The first start holds a lock file and listens on a local socket; a second
// start finds the lock taken, hands its code-plug file (if it was given one)
// to the first, asks it to come to the front and ends.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace km640 {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& key);
    ~SingleInstance() override;

    // True when this is the only running instance (the lock is now ours).
    bool acquire();
    // Asks the running instance to raise its window and, when file is not
    // empty, to open that code-plug. file is an absolute path. True when the
    // running instance answered.
    bool notifyRunning(const QString& file = {});

signals:
    void raiseRequested();
    // A second start handed this code-plug file over (an absolute path).
    void openRequested(const QString& file);

private:
    void answer(class QLocalSocket* socket);

    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

}  // namespace km640
