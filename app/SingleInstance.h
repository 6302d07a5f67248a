#pragma once
// Only one programming tool per user may run: two windows editing and
// writing pagers through one programmer board would fight over the port.
// The first start holds a lock file and listens on a local socket; a second
// start finds the lock taken, asks the first to come to the front and ends.

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
    // Asks the running instance to raise its window. True when it answered.
    bool notifyRunning();

signals:
    void raiseRequested();

private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

}  // namespace km640
