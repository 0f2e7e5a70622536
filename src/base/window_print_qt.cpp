#include "base/window_print_qt.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QWidget>

bool PrintWindowImage(QPrinter& printer, QWidget& window) {
    const QPixmap shot = window.grab();
    QPainter p;
    if (!p.begin(&printer)) return false;
    const QRect page = p.viewport();
    const QSize size = shot.size().scaled(page.size(), Qt::KeepAspectRatio);
    p.drawPixmap(QRect(QPoint(0, 0), size), shot);
    p.end();
    return true;
}
