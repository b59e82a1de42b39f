// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>

namespace icons {
// The About window's picture: a 32 x 32 icon in the 16 standard colours
// (with transparent corners), a monitor showing a page of text.
QImage aboutImage();
}
