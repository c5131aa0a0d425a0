import QtQuick
import Kabelwacht

// A small indeterminate activity indicator; its screen turns it by angle.
Item {
    id: root
    property color tint: Theme.brandGreen
    property real angle: 0
    implicitWidth: 16
    implicitHeight: 16

    ArcShape {
        anchors.centerIn: parent
        diameter: 14
        lineWidth: 2
        color: root.tint
        from: 0
        to: 0.72
        angle: root.angle
    }
}
