import QtQuick
import QtQuick.Layouts
import Kabelwacht

// The run ends here: a port controller is missing. The counts behind the finding, and what next.
Item {
    id: root
    required property var model
    readonly property var report: model.hardwareReport
    readonly property Item focusTarget: failureTitle
    readonly property string announcement: failureTitle.text + ". " + failureReason.text

    GlassCard {
        anchors.centerIn: parent
        width: Math.min(760, root.width)

        ColumnLayout {
            width: parent.width
            spacing: 22

            Rectangle {
                Layout.alignment: Qt.AlignHCenter
                width: 116; height: 116
                radius: 58
                color: Theme.withAlpha(Theme.alertRed, 0.11)
                Icon { anchors.centerIn: parent; name: "exclamationmark.triangle.fill"; size: 52; color: Theme.alertRed }
            }

            ColumnLayout {
                Layout.fillWidth: true
                spacing: 8
                BalancedText {
                    id: failureTitle
                    objectName: "failureTitle"
                    heading: true
                    Layout.fillWidth: true
                    text: "Voraussichtlicher Platinenschaden"
                    size: 29
                    rounded: true
                    font.weight: Font.Bold
                }
                BalancedText {
                    id: failureReason
                    Layout.fillWidth: true
                    text: "Mindestens ein USB-C Controller ist für macOS nicht erreichbar."
                    size: 17
                    font.weight: Font.DemiBold
                    color: Theme.alertRed
                }
                BalancedText {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.fillWidth: true
                    Layout.maximumWidth: 620
                    lineSpacing: 4
                    text: "Die Diagnose wird an dieser Stelle beendet, weil ein reiner Anschluss-Test den Controllerfehler "
                          + "nicht zuverlässig eingrenzen kann. Eine Werkstattdiagnose der Hauptplatine ist empfehlenswert."
                    size: 14.5
                    color: Theme.secondaryLabel
                }
            }

            RowLayout {
                objectName: "countRow"
                visible: root.report !== null && root.report !== undefined
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 8
                Layout.bottomMargin: 8
                spacing: 26
                MetricColumn {
                    objectName: "expectedCount"
                    Layout.preferredWidth: 150
                    caption: "Erwartet"
                    value: root.report ? String(root.report.expectedPortCount) : ""
                    subCaption: "USB-C Controller"
                }
                Rectangle { width: 1; height: 50; color: Qt.rgba(0, 0, 0, 0.12) }
                MetricColumn {
                    objectName: "reachableCount"
                    Layout.preferredWidth: 150
                    caption: "Erreichbar"
                    value: root.report ? String(root.report.portDescriptorCount) : ""
                    subCaption: "Portdienste"
                }
            }

            Row {
                Layout.alignment: Qt.AlignHCenter
                spacing: 12
                SecondaryButton {
                    objectName: "resetButton"
                    text: "Neue Diagnose"
                    onClicked: root.model.resetDiagnosis()
                }
                PrimaryButton {
                    objectName: "estimateButton"
                    text: "Diagnose & Kostenvoranschlag"
                    iconName: "arrow.up.right"
                    onClicked: root.model.openRepairPage()
                }
            }
        }
    }
}
