import QtQuick
import QtQuick.Shapes

// A softly blurred disc: solid to within blur of its edge, fading out to blur beyond it.
Shape {
    id: root
    property color color
    property real diameter: 100
    property real blur: 8
    width: diameter + 2 * blur
    height: width
    readonly property real outer: width / 2

    ShapePath {
        strokeWidth: -1
        fillGradient: RadialGradient {
            centerX: root.outer; centerY: root.outer; centerRadius: root.outer
            focalX: root.outer; focalY: root.outer
            GradientStop { position: 0; color: root.color }
            GradientStop { position: Math.max(0, (root.diameter / 2 - root.blur) / root.outer); color: root.color }
            GradientStop { position: 1; color: Qt.rgba(root.color.r, root.color.g, root.color.b, 0) }
        }
        startX: 0; startY: root.outer
        PathArc { x: root.width; y: root.outer; radiusX: root.outer; radiusY: root.outer }
        PathArc { x: 0; y: root.outer; radiusX: root.outer; radiusY: root.outer }
    }
}
