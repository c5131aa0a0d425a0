import QtQuick
import Kabelwacht

// Centred, wrapping text that shares its words out evenly over its lines, so that no word is left
// alone on the last one.
StyledText {
    readonly property real lineWidth: Typography.balancedWidth(font, text, width)
    // Lines are laid out before the binding above catches up with a new width.
    onLineWidthChanged: forceLayout()
    horizontalAlignment: Text.AlignHCenter
    wrapMode: Text.WordWrap
    onLineLaidOut: line => {
        if (lineWidth < width) {
            line.width = lineWidth
            line.x += (width - lineWidth) / 2
        }
    }
}
