#include "ui/AppInfo.h"

#include "diagnosis/DiagnosisReport.h"

namespace kw::ui {

using namespace Qt::StringLiterals;

QString AppInfo::version() { return QStringLiteral(KABELWACHT_VERSION); }
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
