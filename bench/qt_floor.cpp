// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// The floors the command line is measured against: the least a Qt program can do.
//   qtcore_floor          a QtCore program that prints one line
//   qimage_floor OUT.png  a QtGui program that also saves a 32 x 32 PNG with QImage

#include <QCoreApplication>
#ifdef WITH_IMAGE
#include <QImage>
#endif

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
#ifdef WITH_IMAGE
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::red);
    if (argc < 2 || !image.save(QString::fromLocal8Bit(argv[1])))
        return 1;
#endif
    std::puts("floor");
    return 0;
}
