#include "util/CursorSwapper.h"

#include <QApplication>
#include <QCursor>

namespace util {

CursorSwapper::CursorSwapper(Qt::CursorShape shape) { QApplication::setOverrideCursor(QCursor(shape)); }

CursorSwapper::~CursorSwapper() { QApplication::restoreOverrideCursor(); }

} // namespace util
