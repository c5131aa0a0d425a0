#include "ui/Typography.h"

#include <QGuiApplication>

#include <cmath>
#include <QScreen>
#include <QTextLayout>

namespace kw::ui {

qreal Typography::pointSize(qreal logicalPixels) const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return logicalPixels * 72.0 / dpi;
}

namespace {

int lineCount(const QFont& font, const QString& text, qreal width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

} // namespace

qreal Typography::balancedWidth(const QFont& font, const QString& text, qreal width) const
{
    if (width <= 0 || text.isEmpty())
        return width;
    const int lines = lineCount(font, text, width);
    if (lines < 2)
        return width;
    // Halve the interval between a width that keeps the line count and one that does not.
    qreal keeps = width;
    qreal breaks = 0;
    while (keeps - breaks > 1) {
        const qreal middle = (keeps + breaks) / 2;
        (lineCount(font, text, middle) == lines ? keeps : breaks) = middle;
    }
    // A pixel to spare: the window lays text out with its own rounding.
    return std::min(width, std::ceil(keeps) + 1);
}

} // namespace kw::ui
