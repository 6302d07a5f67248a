#include "sim/WebSocketBoard.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QWebSocket>
#include <stdexcept>

namespace km640 {

WebSocketBoard::WebSocketBoard(PagerBoard board, bool pacing, BoardLine::MemoryHook memoryWritten,
                               const WebSocketEndpoint& endpoint)
    : line_(std::move(board), pacing, std::move(memoryWritten)),
      server_("km640-sim", QWebSocketServer::NonSecureMode) {
    if (!tcp_.listen(QHostAddress(QString::fromStdString(endpoint.address)), endpoint.port))
        throw std::runtime_error("cannot listen on " + endpoint.address + ":" + std::to_string(endpoint.port) + ": " +
                                 tcp_.errorString().toStdString());
    QObject::connect(&tcp_, &QTcpServer::newConnection, &context_, [this] {
        while (QTcpSocket* socket = tcp_.nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            server_.handleConnection(socket);
        }
    });
    QObject::connect(&server_, &QWebSocketServer::newConnection, &context_, [this] { accept(); });
    thread_ = std::thread([this] { serve(); });
}

WebSocketBoard::~WebSocketBoard() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    arrived_.notify_all();
    thread_.join();
    tcp_.close();
}

QUrl WebSocketBoard::url() const {
    QUrl url;
    url.setScheme("ws");
    url.setHost(tcp_.serverAddress().toString());
    url.setPort(tcp_.serverPort());
    return url;
}

void WebSocketBoard::accept() {
    while (QWebSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QWebSocket::disconnected, &context_, [this, socket] {
            if (host_ == socket) host_ = nullptr;
            socket->deleteLater();
        });
        if (host_) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, "the board is in use");
            continue;
        }
        host_ = socket;
        const unsigned connection = ++connection_;
        {
            // Bytes of an earlier host that the board has not taken yet are
            // gone with that host's line.
            std::lock_guard lock(mutex_);
            arrivals_.clear();
        }
        QObject::connect(socket, &QWebSocket::binaryMessageReceived, &context_, [this, connection](const QByteArray& message) {
            const auto* data = reinterpret_cast<const std::uint8_t*>(message.constData());
            {
                std::lock_guard lock(mutex_);
                arrivals_.push_back({connection, std::chrono::steady_clock::now(),
                                     std::vector<std::uint8_t>(data, data + message.size())});
            }
            arrived_.notify_one();
        });
    }
}

void WebSocketBoard::serve() {
    while (true) {
        Arrival arrival;
        {
            std::unique_lock lock(mutex_);
            arrived_.wait(lock, [this] { return stopping_ || !arrivals_.empty(); });
            if (stopping_) return;
            arrival = std::move(arrivals_.front());
            arrivals_.pop_front();
        }
        line_.Receive(arrival.bytes, arrival.time,
                      [this, &arrival](std::span<const std::uint8_t> bytes) { sendToHost(arrival.connection, bytes); },
                      stopping_);
    }
}

void WebSocketBoard::sendToHost(unsigned connection, std::span<const std::uint8_t> bytes) {
    QByteArray message(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QMetaObject::invokeMethod(
        &context_,
        [this, connection, message] {
            if (host_ && connection == connection_) host_->sendBinaryMessage(message);
        },
        Qt::QueuedConnection);
}

}  // namespace km640
