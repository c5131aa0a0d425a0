import QtQuick
import Kabelwacht

// A drawn USB-C socket: grey when idle, green with a lit indicator when active, red when failed.
Item {
    id: root
    property bool active: false
    property bool failed: false
    readonly property color tint: failed ? Theme.alertRed
                                 : active ? Theme.brandGreen
                                 : Theme.withAlpha(Theme.secondaryColor, 0.52)
    width: 90
    height: 80

    Rectangle {
        width: 74; height: 34
        anchors.centerIn: parent
        radius: 11
        color: "transparent"
        border.color: root.tint
        border.width: 4
    }
    Rectangle {
        width: 38; height: 7
        anchors.centerIn: parent
        radius: height / 2
        color: Theme.withAlpha(root.tint, root.tint.a * 0.24)
    }
    Item {
        visible: root.active && !root.failed
        width: 10; height: 10
        anchors.centerIn: parent
        anchors.verticalCenterOffset: 30
        Glow {
            anchors.centerIn: parent
            color: Theme.withAlpha(Theme.brandGreen, 0.5)
            diameter: 10
            blur: 8
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Theme.brandMint
        }
    }
}
