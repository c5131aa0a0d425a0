import QtQuick
import Kabelwacht

// The application's mark: a USB-C socket with a check mark on a green tile.
Item {
    id: root
    property real size: 52
    width: size
    height: size
    readonly property real cornerRadius: size * 0.235

    SoftShadow {
        radius: root.cornerRadius
        color: Qt.rgba(0, 0, 0, 0.18)
        blur: root.size * 0.12
        offsetY: root.size * 0.06
    }
    DiagonalGradient {
        anchors.fill: parent
        radius: root.cornerRadius
        startColor: Qt.rgba(0.20, 0.62, 0.36, 1)
        endColor: Theme.brandDarkGreen
    }
    // The socket.
    Rectangle {
        x: root.size * 0.17; y: root.size * 0.30
        width: root.size * 0.66; height: root.size * 0.32
        radius: height / 2
        color: "transparent"
        border.color: "white"
        border.width: Math.max(1.5, root.size * 0.055)
    }
    Rectangle {
        x: root.size * 0.32; y: root.size * 0.435
        width: root.size * 0.36; height: root.size * 0.05
        radius: height / 2
        color: Theme.brandMint
    }
    // The check mark below it.
    Polyline {
        anchors.fill: parent
        color: Theme.brandMint
        lineWidth: Math.max(1.5, root.size * 0.06)
        points: [Qt.point(0.38, 0.74), Qt.point(0.47, 0.82), Qt.point(0.64, 0.67)]
    }
    Rectangle {
        anchors.fill: parent
        radius: root.cornerRadius
        color: "transparent"
        border.color: Qt.rgba(1, 1, 1, 0.34)
        border.width: 0.8
    }
}
