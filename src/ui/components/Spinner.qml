import QtQuick
import Kabelwacht

// A small indeterminate activity indicator.
Item {
    id: root
    property color tint: Theme.brandGreen
    implicitWidth: 16
    implicitHeight: 16

    ArcShape {
        anchors.centerIn: parent
        diameter: 16
        lineWidth: 2
        color: root.tint
        from: 0
        to: 0.72
        NumberAnimation on angle {
            running: root.visible && Theme.animationsEnabled
            from: 0; to: 360
            duration: 800
            loops: Animation.Infinite
        }
    }
}
