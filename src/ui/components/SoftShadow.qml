import QtQuick

// The blurred shadow of a rounded rectangle the size of its parent: a nine-patch of a picture made
// once per look, so resizing costs nothing and every renderer draws it alike.
BorderImage {
    id: root
    property real radius: 0
    property color color: Qt.rgba(0, 0, 0, 0.08) // only its opacity counts: shadows are black
    property real blur: 24
    property real offsetX: 0
    property real offsetY: 14

    readonly property int margin: Math.ceil(blur * 2)
    readonly property int corner: Math.ceil(radius)
    x: -margin + offsetX
    y: -margin + offsetY
    width: parent ? parent.width + 2 * margin : 0
    height: parent ? parent.height + 2 * margin : 0
    source: "image://shadow/" + radius + "/" + blur + "/" + color.a
    border { left: margin + corner; right: margin + corner; top: margin + corner; bottom: margin + corner }
    horizontalTileMode: BorderImage.Stretch
    verticalTileMode: BorderImage.Stretch
    smooth: true
}
