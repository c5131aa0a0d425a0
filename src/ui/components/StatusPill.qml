import QtQuick
import Kabelwacht

// A small tinted capsule with a symbol and a text.
Rectangle {
    id: root
    property string icon
    property string text
    property color tint: Theme.brandGreen
    implicitWidth: row.implicitWidth + 24
    implicitHeight: row.implicitHeight + 14
    radius: height / 2
    color: Theme.withAlpha(tint, 0.1)
    Accessible.role: Accessible.StaticText
    Accessible.name: text

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 8
        Icon {
            name: root.icon
            size: 12
            font.weight: Font.Bold
            color: root.tint
            anchors.verticalCenter: parent.verticalCenter
        }
        StyledText {
            Accessible.ignored: true
            text: root.text
            size: 12
            font.weight: Font.DemiBold
            color: root.tint
            anchors.verticalCenter: parent.verticalCenter
        }
    }
}
