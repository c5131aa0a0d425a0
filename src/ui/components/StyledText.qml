import QtQuick
import Kabelwacht

// Text in the bundled sans-serif face; size in logical pixels, weight as Font.* values.
Text {
    id: root
    property real size: 13
    property bool rounded: false
    font.family: rounded ? Theme.roundedFamily : Theme.sansFamily
    font.pointSize: Typography.pointSize(size)
    // Extra room between lines, not after the last one.
    property real lineSpacing: 0
    // Read by screen readers as it stands; a heading is one they can jump to. Texts inside a
    // control or a composed line are ignored there, and the whole is named instead.
    property bool heading: false
    Accessible.role: heading ? Accessible.Heading : Accessible.StaticText
    Accessible.name: text

    // Lines as high as the platform's faces set them; the bundled faces, the rounded one most,
    // would stand taller.
    lineHeightMode: Text.FixedHeight
    lineHeight: size * Theme.lineHeightRatio + lineSpacing
    // The last line would otherwise keep the face's own height.
    bottomPadding: -lineSpacing - Math.max(0, metrics.height - size * Theme.lineHeightRatio)
    FontMetrics { id: metrics; font: root.font }
    color: Theme.primaryLabel
    textFormat: Text.PlainText
}
