#include "app/TfmBoardTest.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "app/PagerPicture.h"

namespace km640 {

TfmBoardTest::TfmBoardTest() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::SplashScreen) {
    setObjectName("fmBoardTest");
    setAutoFillBackground(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(PagerPicture(64));

    auto* title = new QLabel("KM640 Programmer", this);
    title->setObjectName("lblTitle");
    title->setFont(QFont("Arial", 24, QFont::Bold));
    title->setStyleSheet("color: navy;");

    auto* line = new QLabel("Target board testing .....", this);
    line->setObjectName("lblTesting");
    line->setFont(QFont("Arial", 16, QFont::Bold));

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(line);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(picture);
    layout->addLayout(texts);
    adjustSize();
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

}  // namespace km640
