import QtQuick
import QtQuick.Layouts
import Kabelwacht

// The controller check passed: how many ports there are and how their test works.
Item {
    id: root
    required property var model
    readonly property var report: model.hardwareReport
    readonly property int portCount: report ? report.expectedPortCount : 1
    readonly property Item focusTarget: beginButton
    readonly property string announcement: "Controllergrundtest bestanden. " + preparationTitle.text

    function explanation() {
        const word = (!report || report.expectedPortCount === 1) ? "Anschluss" : "Anschlüsse"
        return "Die App hat " + portCount + " USB-C bzw. Thunderbolt " + word + " für dieses MacBook ermittelt. "
               + "Verwenden Sie ein sicher funktionierendes USB-C Netzteil und dasselbe Ladekabel für alle Tests."
    }

    GlassCard {
        anchors.centerIn: parent
        width: Math.min(790, root.width)

        ColumnLayout {
            width: parent.width
            spacing: 22

            StatusPill {
                Layout.alignment: Qt.AlignHCenter
                icon: "checkmark.circle.fill"
                text: "Controllergrundtest bestanden"
                tint: Theme.brandGreen
            }
            BalancedText {
                id: preparationTitle
                heading: true
                Layout.fillWidth: true
                text: "Jetzt jeden Anschluss einzeln prüfen"
                size: 29
                rounded: true
                font.weight: Font.Bold
            }
            BalancedText {
                objectName: "explanation"
                Layout.alignment: Qt.AlignHCenter
                Layout.fillWidth: true
                Layout.maximumWidth: 650
                lineSpacing: 4
                text: root.explanation()
                size: 15
                color: Theme.secondaryLabel
            }
            Row {
                objectName: "portGlyphs"
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 4
                Layout.bottomMargin: 4
                spacing: 18
                Repeater {
                    model: Math.min(root.portCount, 4)
                    delegate: USBCPortSymbol { active: false; failed: false }
                }
            }
            // As wide as its longest step, not the card.
            Rectangle {
                objectName: "instructionCard"
                Layout.alignment: Qt.AlignHCenter
                Layout.maximumWidth: parent.width
                Layout.preferredWidth: steps.implicitWidth + 36
                implicitHeight: steps.implicitHeight + 36
                radius: 17
                color: Qt.rgba(1, 1, 1, 0.52)
                ColumnLayout {
                    id: steps
                    anchors.fill: parent
                    anchors.margins: 18
                    spacing: 11
                    Repeater {
                        model: ["Alle USB-C Geräte und MagSafe vom MacBook trennen.",
                                "Nur das getestete Ladekabel nacheinander an jeden Anschluss stecken.",
                                "Nach einem erfolgreichen Test das Kabel wieder vollständig abziehen."]
                        delegate: RowLayout {
                            required property string modelData
                            required property int index
                            Layout.fillWidth: true
                            spacing: 12
                            Rectangle {
                                width: 25; height: 25
                                radius: 12.5
                                color: Theme.brandGreen
                                StyledText { Accessible.ignored: true; anchors.centerIn: parent; text: String(index + 1); size: 12; font.weight: Font.Bold; color: "white" }
                            }
                            StyledText {
                                Layout.fillWidth: true
                                wrapMode: Text.WordWrap
                                text: modelData
                                Accessible.name: (index + 1) + ". " + modelData
                                size: 13.5
                                font.weight: Font.Medium
                            }
                        }
                    }
                }
            }
            PrimaryButton {
                id: beginButton
                objectName: "beginButton"
                Layout.alignment: Qt.AlignHCenter
                text: "Anschluss-Test starten"
                iconName: "cable.connector"
                onClicked: root.model.beginPortTesting()
            }
        }
    }
}
