// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>
#include <QImage>

namespace icons {
// The main window's 48 x 48 picture: a sheet of paper with lines and a pen.
QImage zendralImage();
QIcon zendral();
}
