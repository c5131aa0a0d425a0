import QtQuick
import Kabelwacht

// A thin linear progress bar: value out of total, filled with the tint.
Item {
    id: root
    property real value: 0
    property real total: 1
    property color tint: Theme.brandGreen
    readonly property real fraction: total > 0 ? Math.max(0, Math.min(1, value / total)) : 0
    implicitHeight: 6

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Qt.rgba(0, 0, 0, 0.08)
    }
    Rectangle {
        objectName: "fill"
        width: parent.width * root.fraction
        height: parent.height
        radius: height / 2
        color: root.tint
    }
}
