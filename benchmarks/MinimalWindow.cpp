// The yardstick for memory and start-up: the smallest Qt Quick window a C++ program like ours can
// show. One 1080x740 window with a gradient, one text and one circle breathing on a repeating 0.9 s
// animation, loaded by a QQmlApplicationEngine in a QGuiApplication, with the renderer chosen the
// same way, so that what it costs is what any Qt Quick program of this kind pays before its own work.
//
//   kabelwacht-minimal-window
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

namespace {

constexpr char minimalWindow[] = R"(
import QtQuick
import QtQuick.Window

Window {
    width: 1080
    height: 740
    visible: true
    title: "minimal window"
    Rectangle {
        anchors.fill: parent
        gradient: Gradient {
            GradientStop { position: 0; color: "#f4f6fb" }
            GradientStop { position: 1; color: "#dfe6f2" }
        }
    }
    Text {
        anchors.horizontalCenter: parent.horizontalCenter
        y: 200
        text: "Bitte warten"
        font.pixelSize: 24
    }
    Rectangle {
        anchors.centerIn: parent
        width: 180; height: 180
        radius: 90
        color: "#1f7a40"
        SequentialAnimation on scale {
            loops: Animation.Infinite
            NumberAnimation { from: 0.94; to: 1.06; duration: 900; easing.type: Easing.InOutQuad }
            NumberAnimation { from: 1.06; to: 0.94; duration: 900; easing.type: Easing.InOutQuad }
        }
    }
}
)";

} // namespace

int main(int argc, char** argv)
{
    // The renderer the program picks unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") && qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(QByteArray(minimalWindow));
    if (engine.rootObjects().isEmpty())
        return 1;
    return app.exec();
}
