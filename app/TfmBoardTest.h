#pragma once
// The start-up splash shown while the programmer board is searched for.

#include <QWidget>

namespace km640 {

class TfmBoardTest : public QWidget {
    Q_OBJECT
public:
    TfmBoardTest();
};

}  // namespace km640
