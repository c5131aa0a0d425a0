#pragma once

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
};

} // namespace kw::ui
