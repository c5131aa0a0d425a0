import QtQuick
import Kabelwacht

// A drawn USB-C socket: grey when idle, green with a lit indicator when active, red when failed.
// magnification draws it larger about its centre without changing its 90 × 80 layout size; unlike
// a scale transform it stays crisp on the software renderer.
Item {
    id: root
    property bool active: false
    property bool failed: false
    property real magnification: 1
    readonly property real m: magnification
    readonly property color tint: failed ? Theme.alertRed
                                 : active ? Theme.brandGreen
                                 : Theme.withAlpha(Theme.secondaryColor, 0.52)
    width: 90
    height: 80

    Rectangle {
        objectName: "socketOutline"
        width: 74 * root.m; height: 34 * root.m
        anchors.centerIn: parent
        radius: 11 * root.m
        color: "transparent"
        border.color: root.tint
        border.width: 4 * root.m
    }
    Rectangle {
        objectName: "tongue"
        width: 38 * root.m; height: 7 * root.m
        anchors.centerIn: parent
        radius: height / 2
        color: Theme.withAlpha(root.tint, root.tint.a * 0.24)
    }
    Item {
        objectName: "indicator"
        visible: root.active && !root.failed
        width: 10 * root.m; height: 10 * root.m
        anchors.centerIn: parent
        anchors.verticalCenterOffset: 30 * root.m
        Glow {
            anchors.centerIn: parent
            color: Theme.withAlpha(Theme.brandGreen, 0.5)
            diameter: parent.width
            blur: 8 * root.m
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Theme.brandMint
        }
    }
}
