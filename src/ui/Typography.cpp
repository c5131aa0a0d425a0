#include "ui/Typography.h"

#include <QGuiApplication>
#include <QScreen>

namespace kw::ui {

qreal Typography::pointSize(qreal logicalPixels) const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return logicalPixels * 72.0 / dpi;
}

} // namespace kw::ui
