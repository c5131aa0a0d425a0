#pragma once

#include <QFont>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace kw::ui {

// Sizes in the screens are logical pixels (points on a Mac). Qt fonts take whole pixels or points,
// so fractional sizes like 12.5 go through points at the screen's logical DPI.
class Typography : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    using QObject::QObject;
    Q_INVOKABLE qreal pointSize(qreal logicalPixels) const;
    // The narrowest line width at which the text still takes as many lines as at width: centred
    // headlines and paragraphs share their words out evenly instead of leaving one word alone on
    // the last line.
    Q_INVOKABLE qreal balancedWidth(const QFont& font, const QString& text, qreal width) const;
};

} // namespace kw::ui
