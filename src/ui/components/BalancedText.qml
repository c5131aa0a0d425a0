import QtQuick
import Kabelwacht

// Centred, wrapping text that shares its words out evenly over its lines, so that no word is left
// alone on the last one: the text is set at the narrowest width that keeps its number of lines.
Item {
    id: root
    property alias text: label.text
    property alias size: label.size
    property alias rounded: label.rounded
    property alias font: label.font
    property alias color: label.color
    property alias lineSpacing: label.lineSpacing
    property alias heading: label.heading
    readonly property alias lineCount: label.lineCount
    // Where a screen puts the focus when it gives it to this text: on the text a reader reads.
    readonly property Item focusProxy: label

    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight

    StyledText {
        id: label
        anchors.horizontalCenter: parent.horizontalCenter
        width: Typography.balancedWidth(font, text, root.width)
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
    }
}
