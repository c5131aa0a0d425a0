import QtQuick
import QtQuick.Layouts
import Kabelwacht

// The charging test of one port after the other: which port, what the test waits for, how long.
Item {
    id: root
    required property var model

    readonly property var report: model.hardwareReport
    readonly property int portCount: report ? report.expectedPortCount : 1
    readonly property string status: model.portTestStatus

    // After a timeout the choice is the user's: the focus goes to "Erneut prüfen", the harmless one.
    readonly property Item focusTarget: status === "timedOut" ? retryButton : portHeading
    // Said when the status changes, with the port it is about; the port number alone changing
    // under an unchanged status says nothing new.
    property string announcement: ""
    function composeAnnouncement() {
        const title = titles[status] ?? ""
        announcement = title === "" ? "" : "USB-C Anschluss " + model.currentPortNumber + " von " + portCount + ": " + title
    }
    onStatusChanged: composeAnnouncement()
    Component.onCompleted: composeAnnouncement()

    function chipState(result, port) {
        if (result)
            return result.state === "failed" ? "vermutlich defekt" : "geprüft"
        return port === model.currentPortNumber ? "wird geprüft" : "noch nicht geprüft"
    }

    readonly property var titles: ({
        waitingForDisconnect: "Ladekabel zuerst trennen",
        ready: "Bereit für den nächsten Anschluss",
        waitingForConnection: "Ladekabel jetzt anschließen",
        checking: "Anschluss wird überprüft \u2026",
        alreadyTested: "Dieser Anschluss wurde bereits geprüft",
        wrongPowerSource: "Strom erkannt, aber nicht an einem USB-C Anschluss",
        timedOut: "Kein Ladevorgang erkannt",
        success: "Anschluss erfolgreich geprüft"
    })
    readonly property string nextPortText: "Schließen Sie das sicher funktionierende USB-C Ladekabel jetzt an den "
                                           + "nächsten noch nicht getesteten Anschluss an."
    readonly property var details: ({
        waitingForDisconnect: "Trennen Sie das Netzteil vollständig. Der nächste Test beginnt automatisch, sobald das "
                              + "MacBook wieder aus der Batterie versorgt wird.",
        ready: nextPortText,
        waitingForConnection: nextPortText,
        checking: "Power Delivery, externe Stromversorgung und der aktive Port-Controller werden miteinander abgeglichen.",
        alreadyTested: "Dieser Port wurde bereits erkannt. Ziehen Sie das Kabel ab und verwenden Sie danach einen "
                       + "anderen Anschluss.",
        wrongPowerSource: "Möglicherweise ist MagSafe angeschlossen. Trennen Sie alle Stromquellen und verwenden Sie "
                          + "ausschließlich USB-C.",
        timedOut: "Es wurde keine Ladeverbindung erkannt. Prüfen Sie Kabel und Netzteil noch einmal oder werten Sie "
                  + "diesen Anschluss als vermutlich defekt.",
        success: "Die Ladeverbindung wurde erkannt. Ziehen Sie das Kabel ab; anschließend startet automatisch der "
                 + "nächste Test."
    })
    readonly property color tint: {
        switch (status) {
        case "alreadyTested": return Theme.cautionOrange
        case "wrongPowerSource":
        case "timedOut": return Theme.alertRed
        case "success": return Theme.brandGreen
        default: return Theme.brandDarkGreen
        }
    }

    function resultFor(port) {
        const results = model.portResults
        for (let i = 0; i < results.length; ++i)
            if (results[i].ordinal === port)
                return results[i]
        return null
    }

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width
        spacing: 20

        RowLayout {
            Layout.fillWidth: true
            ColumnLayout {
                spacing: 4
                StyledText {
                    id: portHeading
                    heading: true
                    objectName: "portHeading"
                    text: "USB-C Anschluss " + root.model.currentPortNumber + " von " + root.portCount
                    size: 25
                    rounded: true
                    font.weight: Font.Bold
                }
                StyledText {
                    text: "Nehmen Sie den nächsten noch nicht geprüften Anschluss."
                    size: 13.5
                    color: Theme.secondaryLabel
                }
            }
            Item { Layout.fillWidth: true }
            Rectangle {
                implicitWidth: tally.implicitWidth + 26
                implicitHeight: tally.implicitHeight + 16
                radius: height / 2
                color: Theme.withAlpha(Theme.brandGreen, 0.1)
                Accessible.role: Accessible.StaticText
                Accessible.name: root.model.portResults.length + " von " + root.portCount + " Anschlüssen geprüft"
                StyledText {
                    id: tally
                    Accessible.ignored: true
                    objectName: "tally"
                    anchors.centerIn: parent
                    text: root.model.portResults.length + " / " + root.portCount + " geprüft"
                    size: 12
                    font.weight: Font.Bold
                    color: Theme.brandDarkGreen
                }
            }
        }

        GlassCard {
            id: statusCard
            objectName: "statusCard"
            Layout.fillWidth: true
            // A status brings its own rows and lines: the card eases to its new height, as the
            // platform animates a change of layout, and cuts what does not fit yet at its edge.
            implicitHeight: statusColumn.implicitHeight + 2 * padding
            property real easedHeight: implicitHeight
            Behavior on easedHeight {
                enabled: Theme.animationsEnabled
                NumberAnimation { duration: 220; easing.type: Easing.OutCubic }
            }
            Layout.preferredHeight: easedHeight

            Item {
                // From the card's top edge to its bottom edge: the breathing halo may reach into
                // the padding above, the rows of the next status not past the card below.
                y: -statusCard.padding
                width: parent.width
                height: statusCard.height
                clip: true

                ColumnLayout {
                    id: statusColumn
                    y: statusCard.padding
                    width: parent.width
                    spacing: 20

                    // The box is the halo's; its breathing and the magnified glyph do not move the layout.
                    Item {
                        Layout.alignment: Qt.AlignHCenter
                        implicitWidth: 180
                        implicitHeight: 180
                        Disc {
                            objectName: "halo"
                            anchors.centerIn: parent
                            // Breathes by drawing itself at each size: the software renderer would scale
                            // one picture without smoothing its edge.
                            diameter: 180 * clock.swing(900, 0.94, 1.06)
                            color: Theme.withAlpha(root.tint, 0.11)
                        }
                        USBCPortSymbol {
                            objectName: "statusGlyph"
                            anchors.centerIn: parent
                            active: root.status === "checking" || root.status === "success"
                            failed: root.status === "timedOut"
                            magnification: 1.7
                        }
                    }

                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 7
                        BalancedText {
                            objectName: "statusTitle"
                            Layout.fillWidth: true
                            text: root.titles[root.status] ?? ""
                            size: 23
                            rounded: true
                            font.weight: Font.Bold
                            color: root.tint
                        }
                        BalancedText {
                            objectName: "statusDetail"
                            Layout.alignment: Qt.AlignHCenter
                            Layout.fillWidth: true
                            Layout.maximumWidth: 560
                            text: root.details[root.status] ?? ""
                            size: 14
                            color: Theme.secondaryLabel
                        }
                    }

                    RowLayout {
                        objectName: "countdownRow"
                        visible: root.status === "waitingForConnection"
                        Layout.alignment: Qt.AlignHCenter
                        spacing: 8
                        LinearProgress {
                            objectName: "countdownBar"
                            Layout.preferredWidth: 280
                            value: 25 - root.model.secondsRemaining
                            total: 25
                            tint: Theme.brandGreen
                        }
                        StyledText {
                            objectName: "countdownText"
                            Accessible.name: root.model.secondsRemaining === 1 ? "noch 1 Sekunde"
                                                                               : "noch " + root.model.secondsRemaining + " Sekunden"
                            Layout.preferredWidth: 38
                            horizontalAlignment: Text.AlignHCenter
                            text: root.model.secondsRemaining + " s"
                            size: 12
                            font.weight: Font.Bold
                            font.family: Theme.digitsFamily
                            color: Theme.secondaryLabel
                        }
                    }

                    Row {
                        objectName: "timeoutButtons"
                        visible: root.status === "timedOut"
                        Layout.alignment: Qt.AlignHCenter
                        spacing: 12
                        SecondaryButton {
                            id: retryButton
                            objectName: "retryButton"
                            text: "Erneut prüfen"
                            onClicked: root.model.restartPortTest()
                        }
                        PrimaryButton {
                            objectName: "defectiveButton"
                            text: "Als defekt werten"
                            iconName: "xmark.circle"
                            onClicked: root.model.markCurrentPortDefective()
                        }
                    }
                }
            }
        }

        Row {
            objectName: "portChips"
            Layout.alignment: Qt.AlignHCenter
            spacing: 10
            Repeater {
                model: root.portCount
                delegate: Rectangle {
                    id: chip
                    required property int index
                    readonly property int port: index + 1
                    readonly property var result: root.resultFor(port)
                    readonly property string symbol: !result ? "circle" : result.state === "failed" ? "xmark.circle.fill" : "checkmark.circle.fill"
                    readonly property color symbolColor: !result
                        ? (port === root.model.currentPortNumber ? Theme.brandGreen : Theme.withAlpha(Theme.secondaryColor, 0.45))
                        : (result.state === "failed" ? Theme.alertRed : Theme.brandGreen)
                    implicitWidth: chipRow.implicitWidth + 24
                    implicitHeight: chipRow.implicitHeight + 16
                    radius: height / 2
                    color: Qt.rgba(1, 1, 1, 0.56)
                    Accessible.role: Accessible.StaticText
                    Accessible.name: "Port " + port + ", " + root.chipState(result, port)
                    Row {
                        id: chipRow
                        anchors.centerIn: parent
                        spacing: 7
                        Icon { name: chip.symbol; size: 12; color: chip.symbolColor; anchors.verticalCenter: parent.verticalCenter }
                        StyledText { Accessible.ignored: true; text: "Port " + chip.port; size: 12; font.weight: Font.DemiBold; anchors.verticalCenter: parent.verticalCenter }
                    }
                }
            }
        }
    }

    // The halo breathes: 0.9 s each way, for as long as the screen is shown.
    FrameClock { id: clock; interval: 50 } // a breath of 1.8 s moves smoothly in 20 steps a second
}
