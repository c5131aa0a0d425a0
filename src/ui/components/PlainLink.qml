import QtQuick
import QtQuick.Templates as T
import Kabelwacht

// A button without chrome: an optional symbol and a text.
T.AbstractButton {
    id: control
    property string iconName
    property real size: 13
    property int weight: Font.Normal
    property color color: Theme.primaryLabel
    padding: 0
    implicitWidth: row.implicitWidth
    implicitHeight: row.implicitHeight
    hoverEnabled: true

    contentItem: Item {}
    Row {
        id: row
        spacing: 8
        opacity: control.down ? 0.6 : 1
        Icon {
            visible: control.iconName !== ""
            name: control.iconName
            size: control.size
            color: control.color
            anchors.verticalCenter: parent.verticalCenter
        }
        StyledText {
            text: control.text
            size: control.size
            font.weight: control.weight
            font.underline: control.hovered
            color: control.color
            anchors.verticalCenter: parent.verticalCenter
        }
    }
}
