import QtQuick
import QtQuick.Layouts
import Kabelwacht

// While the registry is read: a turning arc inside a breathing ring, and what is happening.
Item {
    id: root
    readonly property Item focusTarget: scanTitle
    readonly property string announcement: scanTitle.text
    // Fresh view state each time the screen is shown: the clock starts with the screen.

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
            Disc {
                objectName: "ring"
                anchors.centerIn: parent
                diameter: 174
                lineWidth: 16
                // One picture, scaled: drawing a ring this large anew in every step would cost more
                // than the rest of the screen.
                scale: clock.swing(1000, 0.92, 1.08)
                color: Theme.withAlpha(Theme.brandGreen, 0.14)
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
                id: scanTitle
                objectName: "scanTitle"
                heading: true
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

        Spinner { Layout.alignment: Qt.AlignHCenter; tint: Theme.brandGreen; angle: clock.turn(800) }

        Item { Layout.fillHeight: true }
    }

    // One full turn every 1.25 s at constant speed; the ring grows and shrinks over 1 s each way.
    FrameClock { id: clock; interval: 40 } // 25 steps a second: a steady turn, half the frames of a display
    readonly property real arcRotation: clock.turn(1250)
}
