import QtQuick
import Kabelwacht

// Content on a frosted, softly shadowed card. The frosting is a translucent white: behind the
// cards lies a smooth gradient, so a blur of it would look the same, and this draws on any renderer.
Item {
    id: root
    default property alias content: holder.data
    property real padding: 24
    implicitWidth: holder.childrenRect.width + 2 * padding
    implicitHeight: holder.childrenRect.height + 2 * padding

    SoftShadow { radius: 24; color: Qt.rgba(0, 0, 0, 0.08); blur: 24; offsetY: 14 }
    Rectangle {
        anchors.fill: parent
        radius: 24
        color: Qt.rgba(1, 1, 1, 0.62)
        border.color: Qt.rgba(1, 1, 1, 0.55)
        border.width: 1
    }
    Item {
        id: holder
        anchors.fill: parent
        anchors.margins: root.padding
    }
}
