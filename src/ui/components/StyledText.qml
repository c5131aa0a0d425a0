import QtQuick
import Kabelwacht

// Text in the bundled sans-serif face; size in logical pixels, weight as Font.* values.
Text {
    property real size: 13
    property bool rounded: false
    font.family: rounded ? Theme.roundedFamily : Theme.sansFamily
    font.pointSize: Typography.pointSize(size)
    color: Theme.primaryLabel
    textFormat: Text.PlainText
}
