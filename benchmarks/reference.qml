import QtQuick
import QtQuick.Window

// The yardstick: the smallest Qt Quick window with one repeating scale animation.
Window {
    width: 1080
    height: 740
    visible: true
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
