#include "app/TfmState.h"

#include <QCloseEvent>
#include <algorithm>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace km640 {

TfmState::TfmState(QWidget* mainWindow)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint), mainWindow_(mainWindow) {
    setObjectName("fmState");
    setFixedSize(330, 100);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80));  // teal
    setPalette(pal);

    caption_ = new QLabel(this);
    caption_->setObjectName("lblState");
    QFont f("Courier New", 14, QFont::Bold);
    caption_->setFont(f);
    caption_->setStyleSheet("color: #c0c0c0;");  // silver
    caption_->setAlignment(Qt::AlignCenter);

    gauge_ = new QProgressBar(this);
    gauge_->setObjectName("Gauge1");
    gauge_->setFixedSize(250, 20);
    gauge_->setTextVisible(false);
    gauge_->setValue(0);
    gauge_->setStyleSheet("QProgressBar { background: white; border: 1px solid gray; }"
                          "QProgressBar::chunk { background: red; }");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(gauge_, 0, Qt::AlignHCenter);
}

void TfmState::setCaption(const QString& text) { caption_->setText(text); }
QString TfmState::caption() const { return caption_->text(); }
void TfmState::setGaugeVisible(bool visible) { gauge_->setVisible(visible); }
void TfmState::setGaugeRange(int min, int max) { gauge_->setRange(min, max); }
void TfmState::setGaugePosition(int position) { gauge_->setValue(position); }
void TfmState::addToGauge(int step) { gauge_->setValue(std::min(gauge_->maximum(), gauge_->value() + step)); }
int TfmState::gaugePosition() const { return gauge_->value(); }
int TfmState::gaugeMaximum() const { return gauge_->maximum(); }

void TfmState::showState() {
    if (mainWindow_) {
        const QRect r = mainWindow_->frameGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
        mainWindow_->setEnabled(false);
    }
    gauge_->setVisible(true);
    show();
    raise();
}

void TfmState::repaintNow() {
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfmState::closeState() { close(); }

void TfmState::closeEvent(QCloseEvent* event) {
    if (mainWindow_) mainWindow_->setEnabled(true);
    gauge_->setValue(0);
    QWidget::closeEvent(event);
}

}  // namespace km640
