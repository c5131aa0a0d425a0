import QtQuick
import Kabelwacht

// Where the keyboard is: a ring just outside the control's outline, shown while its control has
// the focus and the user works by keyboard. A light inner line keeps it apart from a green button
// and from the green sidebar. `gap` is the room between the outline and the ring.
Rectangle {
    id: root
    required property Item control
    objectName: "focusRing"
    property real cornerRadius: 8
    property color ringColor: Theme.focusRing
    property real gap: 3

    anchors.fill: parent
    anchors.margins: -(gap + border.width)
    radius: cornerRadius + gap + border.width
    visible: control.activeFocus && InputMode.keyboard
    color: "transparent"
    border.width: 3
    border.color: ringColor
    Rectangle {
        anchors.fill: parent
        anchors.margins: parent.border.width
        radius: parent.radius - parent.border.width
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.9)
    }
}
