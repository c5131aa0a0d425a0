import QtQuick
import Kabelwacht

// A short explanation under a control while the pointer rests on it, drawn in the window's own
// faces and colours instead of the toolkit's stock tooltip. It lies in `parent` (a layer above the
// content) and keeps inside it, below its control or above where there is no room below.
Item {
    id: tip
    required property Item target
    property string text
    property bool hovered: false // the control's own hover state
    property int delay: 500 // as long as the pointer rests before the tip appears
    property bool shown: false

    visible: opacity > 0
    opacity: shown ? 1 : 0
    Behavior on opacity {
        enabled: Theme.animationsEnabled
        NumberAnimation { duration: 120; easing.type: Easing.OutQuad }
    }
    z: 1000
    width: label.implicitWidth + 2 * 10
    height: label.implicitHeight + 2 * 6
    Accessible.role: Accessible.ToolTip
    Accessible.name: text

    onHoveredChanged: {
        if (hovered)
            rest.restart()
        else {
            rest.stop()
            shown = false
        }
    }
    Timer {
        id: rest
        interval: tip.delay
        onTriggered: {
            tip.place()
            tip.shown = true
        }
    }

    function place() {
        if (!parent)
            return
        const margin = 8
        const below = target.mapToItem(parent, target.width / 2, target.height + 8)
        const above = target.mapToItem(parent, target.width / 2, -8 - height)
        x = Math.max(margin, Math.min(below.x - width / 2, parent.width - width - margin))
        y = below.y + height + margin <= parent.height ? below.y : above.y
    }

    SoftShadow { radius: 7; color: Qt.rgba(0, 0, 0, 0.14); blur: 10; offsetY: 3 }
    Rectangle {
        anchors.fill: parent
        radius: 7
        color: Qt.rgba(1, 1, 1, 0.96)
        border.width: 1
        border.color: Qt.rgba(0, 0, 0, 0.08)
    }
    StyledText {
        id: label
        objectName: "tipText"
        Accessible.ignored: true
        anchors.centerIn: parent
        text: tip.text
        size: 12
        font.weight: Font.Medium
        color: Theme.primaryLabel
    }
}
