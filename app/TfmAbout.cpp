#include "app/TfmAbout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/PagerPicture.h"

namespace km640 {

TfmAbout::TfmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("fmAbout");
    setWindowTitle("About");
    auto* picture = new QLabel(this);
    picture->setPixmap(PagerPicture(48));
    auto* product = new QLabel("KM640", this);
    product->setObjectName("ProductName");
    product->setFont(QFont("Arial", 14, QFont::Bold));
    auto* version = new QLabel("Version 1.1.9 (2011.4.25)", this);
    version->setObjectName("Version");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

}  // namespace km640
