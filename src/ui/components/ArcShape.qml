import QtQuick
import QtQuick.Shapes

// The part of a circle outline from one fraction of its length to another, clockwise from three o'clock,
// drawn with rounded caps.
Shape {
    id: root
    property real diameter: 150
    property real lineWidth: 8
    property color color
    property real from: 0.05
    property real to: 0.78
    width: diameter
    height: diameter

    ShapePath {
        strokeColor: root.color
        strokeWidth: root.lineWidth
        fillColor: "transparent"
        capStyle: ShapePath.RoundCap
        PathAngleArc {
            centerX: root.diameter / 2
            centerY: root.diameter / 2
            radiusX: (root.diameter - root.lineWidth) / 2
            radiusY: (root.diameter - root.lineWidth) / 2
            // A circle's length starts at three o'clock in the platform's shapes.
            startAngle: root.from * 360
            sweepAngle: (root.to - root.from) * 360
        }
    }
}
