import QtQuick
import QtQuick.Layouts
import Kabelwacht

// The short evaluation: a bar and a percentage that follow the model's progress.
Item {
    id: root
    property real progress: 0
    readonly property Item focusTarget: evaluationTitle
    readonly property string announcement: evaluationTitle.text

    ColumnLayout {
        anchors.fill: parent
        spacing: 25

        Item { Layout.fillHeight: true }

        Rectangle {
            Layout.alignment: Qt.AlignHCenter
            width: 170; height: 170
            radius: 85
            color: Theme.withAlpha(Theme.brandGreen, 0.09)
            // The ECG line in its rounded frame, drawn as the platform's symbol of that name is.
            Rectangle {
                objectName: "ecgFrame"
                anchors.centerIn: parent
                width: 80; height: 62
                radius: 15
                color: "transparent"
                border.color: Theme.brandDarkGreen
                border.width: 5.5
                Icon { anchors.centerIn: parent; name: "waveform.path.ecg.rectangle"; size: 44; color: Theme.brandDarkGreen }
            }
        }
        StyledText {
            id: evaluationTitle
            heading: true
            Layout.alignment: Qt.AlignHCenter
            text: "Diagnose wird ausgewertet"
            size: 29
            rounded: true
            font.weight: Font.Bold
        }
        BalancedText {
            Layout.alignment: Qt.AlignHCenter
            Layout.fillWidth: true
            Layout.maximumWidth: 560
            text: "Controllerstatus und alle Anschluss-Tests werden zu einer klaren Empfehlung zusammengeführt."
            size: 15
            color: Theme.secondaryLabel
        }
        LinearProgress {
            objectName: "evaluationBar"
            Layout.alignment: Qt.AlignHCenter
            Layout.fillWidth: true
            Layout.maximumWidth: 420
            value: root.progress
            total: 1
            tint: Theme.brandGreen
        }
        StyledText {
            objectName: "percentage"
            Layout.alignment: Qt.AlignHCenter
            text: Math.trunc(root.progress * 100) + " %"
            size: 12
            font.weight: Font.Bold
            font.family: Theme.digitsFamily
            color: Theme.secondaryLabel
            Accessible.name: Math.trunc(root.progress * 100) + " Prozent ausgewertet"
        }

        Item { Layout.fillHeight: true }
    }
}
