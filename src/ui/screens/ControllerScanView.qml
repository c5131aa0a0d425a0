import QtQuick
import QtQuick.Layouts
import Kabelwacht

// While the registry is read: a turning arc inside a breathing ring, and what is happening.
Item {
    id: root
    // Fresh view state each time the screen is shown.
    property real arcRotation: 0
    property bool pulse: false

    ColumnLayout {
        anchors.fill: parent
        spacing: 28

        Item { Layout.fillHeight: true }

        Item {
            objectName: "emblem"
            Layout.alignment: Qt.AlignHCenter
            // Strokes lie on their outlines, half outside: the layout box is the ring's outline.
            implicitWidth: 174
            implicitHeight: 174
            Rectangle {
                objectName: "ring"
                anchors.centerIn: parent
                // Breathing by size rather than by a scale transform keeps the edge smooth on the
                // software renderer.
                property real breath: root.pulse ? 1.08 : 0.92
                width: (174 + 16) * breath; height: width
                radius: width / 2
                color: "transparent"
                border.color: Theme.withAlpha(Theme.brandGreen, 0.14)
                border.width: 16 * breath
                Behavior on breath {
                    enabled: Theme.animationsEnabled
                    NumberAnimation { duration: 1000; easing.type: Easing.InOutQuad }
                }
            }
            ArcShape {
                objectName: "arc"
                anchors.centerIn: parent
                diameter: 150
                lineWidth: 8
                color: Theme.brandGreen
                from: 0.05
                to: 0.78
                angle: root.arcRotation
            }
            Icon {
                anchors.centerIn: parent
                name: "cpu"
                size: 56
                font.weight: Font.Medium
                color: Theme.brandDarkGreen
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 8
            StyledText {
                Layout.alignment: Qt.AlignHCenter
                text: "USB-C Controller werden geprüft"
                size: 27
                rounded: true
                font.weight: Font.Bold
            }
            StyledText {
                Layout.alignment: Qt.AlignHCenter
                text: "macOS Hardware-Registry und Thunderbolt-Dienste werden ausgelesen \u2026"
                size: 15
                color: Theme.secondaryLabel
            }
        }

        Spinner { Layout.alignment: Qt.AlignHCenter; tint: Theme.brandGreen }

        Item { Layout.fillHeight: true }
    }

    // One full turn every 1.25 s at constant speed; the ring grows and shrinks over 1 s each way.
    NumberAnimation on arcRotation {
        running: Theme.animationsEnabled
        from: 0; to: 360
        duration: 1250
        loops: Animation.Infinite
    }
    Timer {
        running: Theme.animationsEnabled
        interval: 1000
        repeat: true
        triggeredOnStart: true
        onTriggered: root.pulse = !root.pulse
    }
}
