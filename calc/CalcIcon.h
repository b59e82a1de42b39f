// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>
#include <QImage>

namespace calcicon {
// The calculator window's own 48 x 48 picture in 256 colours: a pocket calculator.
QImage image();
QIcon icon();
}
