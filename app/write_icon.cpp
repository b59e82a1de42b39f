// SPDX-License-Identifier: GPL-3.0-or-later
// Build step: writes the main window's icon as a PNG for the desktop entry.
#include "editor/Icons.h"
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2 || !icons::zendralImage().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "usage: write_icon OUTPUT.png\n");
        return 1;
    }
    return 0;
}
