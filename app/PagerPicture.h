#pragma once
#include <QPixmap>

namespace km640 {
// A small drawing of a pager for the splash and About windows.
QPixmap PagerPicture(int size);
}
