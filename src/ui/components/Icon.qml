import QtQuick
import Kabelwacht

// A symbol by its platform name, drawn from the bundled icon font.
Text {
    property string name
    property real size: 13
    // Symbols say nothing a text beside them does not; a screen reader passes over them.
    Accessible.ignored: true
    text: IconGlyphs.glyphs[name] ?? ""
    font.family: Theme.iconFamily
    font.pointSize: Typography.pointSize(size * 1.15) // the icon font draws a little smaller than the text it stands beside
    // As high as a line of text of the same size, as the platform's symbols are.
    lineHeightMode: Text.FixedHeight
    lineHeight: size * Theme.lineHeightRatio
    color: Theme.primaryLabel
    textFormat: Text.PlainText
    verticalAlignment: Text.AlignVCenter
    horizontalAlignment: Text.AlignHCenter
}
