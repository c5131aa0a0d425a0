// Runs the tst_*.qml files against the program's own QML module.
#include "ui/ShadowImageProvider.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(KabelwachtPlugin)

class Setup : public QObject {
    Q_OBJECT
public slots:
    // As the program does, so that a screen can be held against the version of the build.
    void applicationAvailable() { QCoreApplication::setApplicationVersion(QStringLiteral(KW_PROJECT_VERSION)); }
    // Qt 6.4 does not yet look for modules in the resources by default.
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->addImageProvider(QStringLiteral("shadow"), new kw::ui::ShadowImageProvider);
    }
};

QUICK_TEST_MAIN_WITH_SETUP(kabelwacht_ui, Setup)

#include "main.moc"
