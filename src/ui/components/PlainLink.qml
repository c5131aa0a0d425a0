import QtQuick
import Kabelwacht

// A control without chrome: an optional symbol and a text. A link to screen readers by default;
// one that opens something of the program's own says it is a button. Built on a plain item, since
// a button template would insist on being read as a button.
Item {
    id: control
    property string text
    property string iconName
    property real size: 13
    property int weight: Font.Normal
    property color color: Theme.primaryLabel
    property alias focusColor: ring.ringColor
    readonly property alias hovered: hover.hovered
    readonly property alias pressed: tap.pressed
    signal clicked()

    implicitWidth: row.implicitWidth
    implicitHeight: row.implicitHeight
    activeFocusOnTab: true

    Accessible.role: Accessible.Link
    Accessible.name: text
    Accessible.focusable: true
    Accessible.focused: activeFocus
    Accessible.onPressAction: clicked()
    Keys.onSpacePressed: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    HoverHandler {
        id: hover
        cursorShape: Qt.PointingHandCursor
    }
    TapHandler {
        id: tap
        gesturePolicy: TapHandler.ReleaseWithinBounds
        onTapped: control.clicked()
    }

    Row {
        id: row
        spacing: 8
        opacity: control.pressed ? 0.6 : 1
        Icon {
            visible: control.iconName !== ""
            name: control.iconName
            size: control.size
            color: control.color
            anchors.verticalCenter: parent.verticalCenter
        }
        StyledText {
            Accessible.ignored: true
            text: control.text
            size: control.size
            font.weight: control.weight
            font.underline: control.hovered
            color: control.color
            anchors.verticalCenter: parent.verticalCenter
        }
    }
    // A text has no outline of its own, and its letters reach past its box: the ring keeps 3 pt of
    // air around the letters, not around the box, besides its own light inner line.
    FocusRing { id: ring; control: control; cornerRadius: 4; gap: 6 }
}
