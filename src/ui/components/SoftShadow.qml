import QtQuick

// The blurred shadow of a rounded rectangle the size of its parent. Painted once per size change on
// a canvas, so it looks the same on every renderer and costs nothing while nothing moves.
Canvas {
    id: root
    property real radius: 0
    property color color: Qt.rgba(0, 0, 0, 0.08)
    property real blur: 24
    property real offsetX: 0
    property real offsetY: 14

    readonly property real margin: blur * 2
    x: -margin + offsetX
    y: -margin + offsetY
    width: parent ? parent.width + 2 * margin : 0
    height: parent ? parent.height + 2 * margin : 0
    onRadiusChanged: requestPaint()
    onColorChanged: requestPaint()
    onBlurChanged: requestPaint()
    onWidthChanged: requestPaint()
    onHeightChanged: requestPaint()

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        const w = width - 2 * margin, h = height - 2 * margin
        if (w <= 0 || h <= 0)
            return
        // Draw the shape out of sight and let only its shadow fall into view.
        const away = width + 100
        ctx.shadowColor = root.color
        ctx.shadowBlur = root.blur
        ctx.shadowOffsetX = away
        ctx.shadowOffsetY = 0
        ctx.fillStyle = "black"
        const r = Math.min(root.radius, w / 2, h / 2)
        ctx.beginPath()
        ctx.roundedRect(margin - away, margin, w, h, r, r)
        ctx.fill()
    }
}
