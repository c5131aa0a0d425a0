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

    CardSurface {
        id: surface
        x: -reach
        y: -reach
        width: root.width + 2 * reach
        height: root.height + 2 * reach
        radius: 24
        color: Qt.rgba(1, 1, 1, 0.62)
        borderColor: Qt.rgba(1, 1, 1, 0.55)
        shadowOpacity: 0.08
        shadowBlur: 24
        shadowOffsetY: 14
    }
    Item {
        id: holder
        anchors.fill: parent
        anchors.margins: root.padding
    }
}
