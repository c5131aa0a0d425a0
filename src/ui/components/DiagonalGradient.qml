import QtQuick
import QtQuick.Shapes

// A rounded rectangle filled with a gradient from its top-leading to its bottom-trailing corner.
// Shapes draw with every scene graph backend, the software renderer included.
Shape {
    id: root
    property color startColor
    property color endColor
    property real radius: 0
    readonly property real r: Math.min(radius, width / 2, height / 2)

    ShapePath {
        strokeWidth: -1
        fillGradient: LinearGradient {
            x1: 0; y1: 0
            x2: root.width; y2: root.height
            GradientStop { position: 0; color: root.startColor }
            GradientStop { position: 1; color: root.endColor }
        }
        startX: root.r; startY: 0
        PathLine { x: root.width - root.r; y: 0 }
        PathArc { x: root.width; y: root.r; radiusX: root.r; radiusY: root.r }
        PathLine { x: root.width; y: root.height - root.r }
        PathArc { x: root.width - root.r; y: root.height; radiusX: root.r; radiusY: root.r }
        PathLine { x: root.r; y: root.height }
        PathArc { x: 0; y: root.height - root.r; radiusX: root.r; radiusY: root.r }
        PathLine { x: 0; y: root.r }
        PathArc { x: root.r; y: 0; radiusX: root.r; radiusY: root.r }
    }
}
