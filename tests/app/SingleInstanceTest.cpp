// The single-instance lock and hand-over socket: where they live, who may
// use them, and that idle or surplus connections cannot switch the
// hand-over off.

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/SingleInstance.h"

using namespace km640;

namespace {

QString keyFor(const char* what) {
    return QString("KM640 %1 test %2").arg(what).arg(QCoreApplication::applicationPid());
}

int modeOf(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 0777);
}

// A second start handing `file` over from another thread, as a second
// process would; the first answers from its event loop.
bool handOver(SingleInstance& first, const QString& key, const QString& folder, const QString& file) {
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    bool answered = false;
    std::thread secondStart([&] { answered = SingleInstance(key, folder).notifyRunning(file); });
    raised.wait(10000);
    secondStart.join();
    return answered;
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        runtime_ = std::make_unique<QTemporaryDir>();
        temp_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_RUNTIME_DIR", runtime_->path().toLocal8Bit());
        qputenv("TMPDIR", temp_->path().toLocal8Bit());
    }
    void cleanup() {
        ::chmod(QFile::encodeName(runtime_->path()).constData(), 0700);
        qunsetenv("TMPDIR");
        runtime_.reset();
        temp_.reset();
    }

    // The socket and the lock are in the private runtime folder; nothing of
    // the hand-over appears in the temporary folder.
    void socketLivesInThePrivateRuntimeFolder() {
        QCOMPARE(privateRuntimeFolder(), runtime_->path());
        const QString key = keyFor("private");
        SingleInstance first(key);
        QVERIFY(first.acquire());
        QCOMPARE(first.handOverProblem(), QString());
        QCOMPARE(QFileInfo(first.socketPath()).absolutePath(), runtime_->path());
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(first.socketPath()).constData(), &st), 0);
        QVERIFY(S_ISSOCK(st.st_mode));
        QCOMPARE(QDir(temp_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!SingleInstance(key).acquire());
        QVERIFY(handOver(first, key, runtime_->path(), "/srv/bench.tbl"));
    }

    // A runtime folder others may enter is not used: a folder of the user's
    // own in the temporary folder is, made private. One someone else opened
    // up is not trusted, and then nothing is handed over.
    void foldersOthersMayEnterAreNotUsed() {
        QCOMPARE(::chmod(QFile::encodeName(runtime_->path()).constData(), 0755), 0);
        const QString own = temp_->path() + "/km640-" + QString::number(::getuid());
        QCOMPARE(privateRuntimeFolder(), own);
        QCOMPARE(modeOf(own), 0700);

        QCOMPARE(::chmod(QFile::encodeName(own).constData(), 0777), 0);
        QCOMPARE(privateRuntimeFolder(), QString());
        const QString key = keyFor("public");
        SingleInstance first(key);
        QVERIFY(first.acquire());
        QVERIFY(first.handOverProblem().contains("XDG_RUNTIME_DIR"));
        // A second start finds nobody to hand over to and opens its own window.
        QVERIFY(SingleInstance(key).acquire());
        QVERIFY(!SingleInstance(key).notifyRunning("/srv/bench.tbl"));
    }

    // The first start cannot listen (something else has the socket's name):
    // it says why, and a second start hands nothing to it.
    void aWindowThatCannotListenSaysSo() {
        const QString key = keyFor("deaf");
        SingleInstance first(key);
        QVERIFY(QDir().mkpath(first.socketPath()));
        QVERIFY(first.acquire());
        QVERIFY(!first.handOverProblem().isEmpty());
        SingleInstance second(key);
        QVERIFY(!second.acquire());
        QVERIFY(!second.notifyRunning("/srv/bench.tbl"));
    }

    // Connections beyond the limit are closed at once, idle ones after the
    // idle time; afterwards a second start still hands its file over.
    void idleAndSurplusConnectionsAreClosed() {
        const QString key = keyFor("burst");
        SingleInstance first(key);
        QVERIFY(first.acquire());
        first.setIdleLimitMs(600'000);
        std::vector<std::unique_ptr<QLocalSocket>> burst;
        for (int k = 0; k < SingleInstance::kMaxConnections + 3; ++k) {
            burst.push_back(std::make_unique<QLocalSocket>());
            burst.back()->connectToServer(first.socketPath());
            QVERIFY(burst.back()->waitForConnected(5000));
        }
        const auto closed = [&] {
            int n = 0;
            for (const auto& s : burst) n += s->state() == QLocalSocket::UnconnectedState;
            return n;
        };
        QTRY_COMPARE_WITH_TIMEOUT(closed(), 3, 10000);
        QCOMPARE(first.openConnections(), SingleInstance::kMaxConnections);

        burst.clear();
        QTRY_COMPARE_WITH_TIMEOUT(first.openConnections(), 0, 10000);
        first.setIdleLimitMs(50);
        QLocalSocket idle;
        idle.connectToServer(first.socketPath());
        QVERIFY(idle.waitForConnected(5000));
        QSignalSpy gone(&idle, &QLocalSocket::disconnected);
        QVERIFY(gone.wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(first.openConnections(), 0, 10000);

        first.setIdleLimitMs(SingleInstance::kIdleLimitMs);
        QVERIFY(handOver(first, key, runtime_->path(), "/srv/bench.tbl"));
    }

private:
    std::unique_ptr<QTemporaryDir> runtime_;
    std::unique_ptr<QTemporaryDir> temp_;
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
