#pragma once
#include <QDialog>

namespace km640 {

// The About box: product name and version.
class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget* parent);
};

}  // namespace km640
