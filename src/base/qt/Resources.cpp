// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be called outside any namespace.
static void initFlowdeskResources() {
  Q_INIT_RESOURCE(flowdesk);
}

namespace flowdesk {

void ensureResources() {
  static const bool done = [] {
    initFlowdeskResources();
    return true;
  }();
  (void)done;
}

QPixmap resourcePicture(const QString& name) {
  ensureResources();
  return QPixmap(QStringLiteral(":/pictures/") + name);
}

int unitPictureId(int unitCode) {
  static constexpr int kPictures[] = {135, 135, 134, 135, 134, 136, 134};
  if (unitCode < 0 || unitCode >= 7) unitCode = 0;
  return kPictures[unitCode];
}

}  // namespace flowdesk
