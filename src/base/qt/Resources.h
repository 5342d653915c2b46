// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPixmap>
#include <QString>

namespace flowdesk {

// The artwork is compiled into the Qt layer, a static library: its resources
// have to be registered by hand before the first use, which this does once.
void ensureResources();

// The picture of a resource name in the pictures folder (unit134.svg ...),
// rendered at its own size; a null pixmap when it cannot be drawn (for
// example, without Qt's SVG image plugin).
QPixmap resourcePicture(const QString& name);

// The main window's picture for a unit code: 0, 1, 3 the portable family
// (135), 2, 4, 6 the wall-mounted family (134), 5 the family with
// temperature probes (136).
int unitPictureId(int unitCode);

}  // namespace flowdesk
