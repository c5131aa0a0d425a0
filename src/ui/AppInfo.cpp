#include "ui/AppInfo.h"

#include "diagnosis/DiagnosisReport.h"

#if defined(Q_OS_MACOS)
#include <CoreFoundation/CoreFoundation.h>
#endif

namespace kw::ui {

using namespace Qt::StringLiterals;

QString AppInfo::version()
{
#if defined(Q_OS_MACOS)
    // The bundle's own word, as its Info.plist says it.
    const CFBundleRef bundle = CFBundleGetMainBundle(); // not ours to release
    const CFTypeRef value = bundle ? CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleShortVersionString"))
                                   : nullptr;
    if (value && CFGetTypeID(value) == CFStringGetTypeID())
        return QString::fromCFString(static_cast<CFStringRef>(value));
    return u"1.0.4"_s;
#else
    return QStringLiteral(KABELWACHT_VERSION);
#endif
}

bool AppInfo::nativeWindowButtons()
{
#if defined(Q_OS_MACOS) && QT_VERSION >= QT_VERSION_CHECK(6, 9, 0)
    return true;
#else
    return false;
#endif
}

int AppInfo::windowFlags()
{
#if defined(Q_OS_MACOS) && QT_VERSION >= QT_VERSION_CHECK(6, 9, 0)
    // The content reaches under a title bar without background; the system draws the three buttons.
    return int(Qt::Window | Qt::ExpandedClientAreaHint | Qt::NoTitleBarBackgroundHint);
#else
    return int(Qt::Window | Qt::FramelessWindowHint);
#endif
}
QString AppInfo::webDomain() { return diagnosis::links::host(); }
QString AppInfo::websiteUrl() { return diagnosis::links::home(); }
QString AppInfo::contactUrl() { return diagnosis::links::home() + u"/kontakt"_s; }
QString AppInfo::termsUrl() { return diagnosis::links::home() + u"/agb"_s; }
QString AppInfo::email() { return QStringLiteral(KABELWACHT_MAKER_EMAIL); }
QString AppInfo::phoneInternational() { return QStringLiteral(KABELWACHT_MAKER_PHONE_INTERNATIONAL); }
QString AppInfo::phoneNational() { return QStringLiteral(KABELWACHT_MAKER_PHONE_NATIONAL); }
QString AppInfo::owner() { return QStringLiteral(KABELWACHT_MAKER_OWNER); }
QString AppInfo::street() { return QStringLiteral(KABELWACHT_MAKER_STREET); }
QString AppInfo::postcode() { return QStringLiteral(KABELWACHT_MAKER_POSTCODE); }
QString AppInfo::town() { return QStringLiteral(KABELWACHT_MAKER_TOWN); }
QString AppInfo::responsiblePerson() { return QStringLiteral(KABELWACHT_RESPONSIBLE_PERSON); }
QString AppInfo::responsibleStreet() { return QStringLiteral(KABELWACHT_RESPONSIBLE_STREET); }
QString AppInfo::responsiblePostcode() { return QStringLiteral(KABELWACHT_RESPONSIBLE_POSTCODE); }
QString AppInfo::responsibleTown() { return QStringLiteral(KABELWACHT_RESPONSIBLE_TOWN); }

} // namespace kw::ui
