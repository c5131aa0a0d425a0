import QtQuick
import QtQuick.Layouts
import Kabelwacht

// The green column: brand, the four steps of a diagnosis, and the links at its foot.
Item {
    id: root
    required property int currentStep
    signal openWebsite()
    signal openLegalInformation()

    readonly property var steps: [
        { number: 1, title: "Controller prüfen", subtitle: "USB-C Hardware wird erkannt" },
        { number: 2, title: "Anschlüsse testen", subtitle: "Ladekabel nacheinander verbinden" },
        { number: 3, title: "Diagnose auswerten", subtitle: "Messwerte werden bewertet" },
        { number: 4, title: "Resultat", subtitle: "Klare Empfehlung erhalten" }
    ]

    implicitWidth: 278
    width: 278

    DiagonalGradient {
        anchors.fill: parent
        startColor: Theme.brandGreen
        endColor: Theme.brandDarkGreen
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 30
        spacing: 0

        RowLayout {
            spacing: 13
            Layout.bottomMargin: 38
            DOZOvadaAppMark { size: 52 }
            Column {
                spacing: 2
                StyledText { text: "Kabelwacht"; size: 18; font.weight: Font.Bold; color: "white" }
                StyledText { text: "ZIV-A Dodiv"; size: 13; font.weight: Font.Medium; color: Qt.rgba(1, 1, 1, 0.82) }
            }
        }

        ColumnLayout {
            objectName: "stepList"
            spacing: 22
            Layout.fillWidth: true
            Repeater {
                model: root.steps
                delegate: SidebarStepRow {
                    required property var modelData
                    number: modelData.number
                    title: modelData.title
                    subtitle: modelData.subtitle
                    stepState: number < root.currentStep ? "completed" : number === root.currentStep ? "current" : "upcoming"
                    Layout.fillWidth: true
                }
            }
        }

        Item { Layout.fillHeight: true }

        PlainLink {
            objectName: "websiteLink"
            iconName: "globe"
            text: AppInfo.webDomain
            size: 12
            weight: Font.DemiBold
            color: Qt.rgba(1, 1, 1, 0.84)
            focusColor: "white"
            onClicked: root.openWebsite()
        }
        StyledText {
            objectName: "creditLine"
            Layout.topMargin: 12
            Layout.fillWidth: true
            text: "Created by Kabelwacht\nin " + AppInfo.town + ", Germany"
            size: 10.5
            font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.48)
        }
        PlainLink {
            objectName: "legalLink"
            Layout.topMargin: 8
            text: "Impressum / Datenschutz"
            size: 10.5
            weight: Font.DemiBold
            color: Qt.rgba(1, 1, 1, 0.66)
            focusColor: "white"
            Accessible.role: Accessible.Button // it opens the sheet, not a page
            onClicked: root.openLegalInformation()
        }
        StyledText {
            objectName: "versionLine"
            Layout.topMargin: 7
            text: "Version " + AppInfo.version
            size: 9.5
            font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.32)
        }
    }
}
