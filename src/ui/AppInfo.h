#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace kw::ui {

// Build configuration the screens show: the version and the maker's published details.
class AppInfo : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(bool nativeWindowButtons READ nativeWindowButtons CONSTANT)
    Q_PROPERTY(int windowFlags READ windowFlags CONSTANT)
    Q_PROPERTY(QString webDomain READ webDomain CONSTANT)
    Q_PROPERTY(QString websiteUrl READ websiteUrl CONSTANT)
    Q_PROPERTY(QString contactUrl READ contactUrl CONSTANT)
    Q_PROPERTY(QString termsUrl READ termsUrl CONSTANT)
    Q_PROPERTY(QString email READ email CONSTANT)
    Q_PROPERTY(QString phoneInternational READ phoneInternational CONSTANT)
    Q_PROPERTY(QString phoneNational READ phoneNational CONSTANT)
    Q_PROPERTY(QString owner READ owner CONSTANT)
    Q_PROPERTY(QString street READ street CONSTANT)
    Q_PROPERTY(QString postcode READ postcode CONSTANT)
    Q_PROPERTY(QString town READ town CONSTANT)
    Q_PROPERTY(QString responsiblePerson READ responsiblePerson CONSTANT)
    Q_PROPERTY(QString responsibleStreet READ responsibleStreet CONSTANT)
    Q_PROPERTY(QString responsiblePostcode READ responsiblePostcode CONSTANT)
    Q_PROPERTY(QString responsibleTown READ responsibleTown CONSTANT)
public:
    using QObject::QObject;
    static QString version();
    // Where Qt keeps the system's own window buttons over content that reaches the top edge (macOS
    // with Qt 6.9 or later), the window uses them; elsewhere it is frameless and draws its own.
    static bool nativeWindowButtons();
    static int windowFlags();
    static QString webDomain();
    static QString websiteUrl();
    static QString contactUrl();
    static QString termsUrl();
    static QString email();
    static QString phoneInternational();
    static QString phoneNational();
    static QString owner();
    static QString street();
    static QString postcode();
    static QString town();
    static QString responsiblePerson();
    static QString responsibleStreet();
    static QString responsiblePostcode();
    static QString responsibleTown();
};

} // namespace kw::ui
