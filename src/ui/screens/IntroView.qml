import QtQuick
import QtQuick.Layouts
import Kabelwacht

// The start screen: the question, the promise, and the button that starts a diagnosis.
Item {
    id: root
    signal start()
    readonly property Item focusTarget: startButton
    readonly property string announcement: "Neue Diagnose. Sind alle USB-C Anschlüsse in Ordnung?"

    ColumnLayout {
        anchors.fill: parent
        spacing: 24

        Item { Layout.fillHeight: true }

        Item {
            objectName: "hero"
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 180
            implicitHeight: 180
            Rectangle {
                anchors.centerIn: parent
                width: 180; height: 180
                radius: 90
                color: Theme.withAlpha(Theme.brandGreen, 0.1)
            }
            USBCPortSymbol {
                anchors.centerIn: parent
                active: true
                failed: false
                magnification: 1.45
            }
            Icon {
                anchors.centerIn: parent
                anchors.horizontalCenterOffset: 53
                anchors.verticalCenterOffset: 48
                name: "magnifyingglass"
                size: 44
                font.weight: Font.Medium
                color: Theme.brandDarkGreen
            }
        }

        ColumnLayout {
            spacing: 11
            Layout.alignment: Qt.AlignHCenter
            Layout.fillWidth: true
            BalancedText {
                objectName: "headline"
                heading: true
                Layout.fillWidth: true
                text: "Sind alle USB-C Anschlüsse in Ordnung?"
                size: 31
                rounded: true
                font.weight: Font.Bold
            }
            BalancedText {
                objectName: "paragraph"
                Layout.alignment: Qt.AlignHCenter
                Layout.maximumWidth: 640
                Layout.fillWidth: true
                lineSpacing: 4
                text: "Der Kabelwacht ZIV-A Dodiv prüft zuerst die erreichbaren Controller und führt anschließend "
                      + "durch einen Ladetest an jedem vorhandenen USB-C bzw. Thunderbolt Anschluss."
                size: 15.5
                color: Theme.secondaryLabel
            }
        }

        Row {
            objectName: "featurePills"
            Layout.alignment: Qt.AlignHCenter
            spacing: 10
            StatusPill { icon: "lock.shield"; text: "100 % lokal"; tint: Theme.brandGreen }
            StatusPill { icon: "bolt.fill"; text: "Ohne Administratorrechte"; tint: Theme.brandGreen }
            StatusPill { icon: "externaldrive.connected.to.line.below"; text: "USB-C & Thunderbolt"; tint: Theme.brandGreen }
        }

        PrimaryButton {
            id: startButton
            objectName: "startButton"
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 7
            text: "USB-C Diagnose starten"
            iconName: "play.fill"
            onClicked: root.start()
        }

        BalancedText {
            objectName: "hint"
            Layout.alignment: Qt.AlignHCenter
            Layout.fillWidth: true
            text: "Vor dem Start bitte alle USB-C Geräte, Netzteile und gegebenenfalls MagSafe trennen."
            size: 12.5
            font.weight: Font.Medium
            color: Theme.secondaryLabel
        }

        Item { Layout.fillHeight: true }
    }
}
