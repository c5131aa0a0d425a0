import QtQuick
import QtQuick.Templates as T
import QtQuick.Layouts
import Kabelwacht

// The simulated Mac's sockets, as the case has them: plug a charger, a hub or MagSafe, unplug,
// or break a socket. The diagnosis sees every change through the ordinary hardware probe.
T.ApplicationWindow {
    id: window
    required property var simulator
    width: 430
    height: Math.min(760, content.implicitHeight + 40)
    minimumWidth: 400
    visible: true
    title: "Hardware-Simulator – " + simulator.machineTitle
    color: Theme.backgroundTop
    font.family: Theme.sansFamily

    readonly property var chargerWatts: [30, 61, 96, 140]

    component SmallButton: SecondaryButton {
        implicitHeight: 30
        leftPadding: 10
        rightPadding: 10
    }

    // Beside the view, not in it: a second item there would leave the view without a content size.
    RevealFocus { flickable: scroller.contentItem }

    ScrollArea {
        id: scroller
        anchors.fill: parent

        ColumnLayout {
            id: content
            width: parent.width
            spacing: 14

            ColumnLayout {
                Layout.leftMargin: 20; Layout.rightMargin: 20; Layout.topMargin: 20
                spacing: 3
                StyledText { text: "Hardware-Simulator"; heading: true; size: 20; rounded: true; font.weight: Font.Bold }
                StyledText { text: window.simulator.machineTitle; size: 12.5; color: Theme.secondaryLabel; Layout.fillWidth: true; wrapMode: Text.WordWrap }
                StyledText {
                    objectName: "powerText"
                    text: window.simulator.powerText
                    size: 13
                    font.weight: Font.DemiBold
                    color: Theme.brandDarkGreen
                    Layout.topMargin: 6
                }
            }

            Repeater {
                model: window.simulator.sockets
                delegate: Rectangle {
                    id: card
                    required property var modelData
                    readonly property bool magSafe: modelData.kind === "MagSafe"
                    readonly property string name: magSafe ? "MagSafe" : "USB-C " + modelData.number
                    objectName: magSafe ? "socketMagSafe" : "socket" + modelData.number
                    Layout.fillWidth: true
                    Layout.leftMargin: 20; Layout.rightMargin: 20
                    implicitHeight: column.implicitHeight + 28
                    radius: 14
                    color: Qt.rgba(1, 1, 1, 0.7)
                    border.color: Qt.rgba(0, 0, 0, 0.06)
                    // A reader hears the socket and what is in it; each button names its socket too,
                    // since "96 W" alone says nothing once the card is left behind.
                    Accessible.role: Accessible.Grouping
                    Accessible.name: name + ", " + modelData.label + ", " + stateText()

                    function stateText() {
                        if (modelData.broken)
                            return "defekt – ohne Kontakt"
                        const worn = modelData.worn ? " · Kontakt abgenutzt" : ""
                        if (modelData.plugged === "charger")
                            return "Netzteil " + modelData.watts + " W" + worn
                        if (modelData.plugged === "pdDevice")
                            return "USB-C Hub / Adapter (ohne Strom)" + worn
                        return modelData.worn ? "frei · Kontakt abgenutzt" : "frei"
                    }

                    ColumnLayout {
                        id: column
                        anchors.fill: parent
                        anchors.margins: 14
                        spacing: 8
                        RowLayout {
                            Layout.fillWidth: true
                            StyledText { Accessible.ignored: true; text: card.name; size: 14; font.weight: Font.Bold }
                            StyledText {
                                Accessible.ignored: true
                                text: card.modelData.label + (card.modelData.hasController ? "" : " · ohne Port-Controller")
                                size: 12
                                color: Theme.secondaryLabel
                                Layout.fillWidth: true
                                elide: Text.ElideRight
                            }
                            StyledText {
                                Accessible.ignored: true
                                objectName: "state"
                                text: card.stateText()
                                size: 12
                                font.weight: Font.DemiBold
                                color: card.modelData.broken ? Theme.alertRed
                                     : card.modelData.plugged === "nothing" ? Theme.secondaryLabel
                                     : card.modelData.worn ? Theme.cautionOrange : Theme.brandGreen
                            }
                        }
                        Flow {
                            Layout.fillWidth: true
                            spacing: 6
                            Repeater {
                                model: window.chargerWatts
                                delegate: SmallButton {
                                    required property int modelData
                                    objectName: "plug" + modelData
                                    text: modelData + " W"
                                    Accessible.name: card.name + ": Netzteil mit " + modelData + " W anstecken"
                                    onClicked: card.magSafe ? window.simulator.plugMagSafeCharger(modelData)
                                                            : window.simulator.plugCharger(card.modelData.number, modelData)
                                }
                            }
                            SmallButton {
                                objectName: "plugHub"
                                visible: !card.magSafe
                                text: "Hub"
                                Accessible.name: card.name + ": USB-C Hub anstecken"
                                onClicked: window.simulator.plugDevice(card.modelData.number)
                            }
                            SmallButton {
                                objectName: "unplug"
                                text: "Abziehen"
                                Accessible.name: card.name + ": abziehen"
                                onClicked: card.magSafe ? window.simulator.unplugMagSafe() : window.simulator.unplug(card.modelData.number)
                            }
                            SmallButton {
                                objectName: "break"
                                visible: !card.magSafe && !card.modelData.broken
                                text: "Defekt machen"
                                Accessible.name: card.name + ": defekt machen"
                                onClicked: window.simulator.breakSocket(card.modelData.number)
                            }
                            SmallButton {
                                objectName: "weaken"
                                visible: !card.magSafe && !card.modelData.broken && !card.modelData.worn
                                text: "Kontakt abgenutzt"
                                Accessible.name: card.name + ": Kontakt abnutzen, lädt nur noch mit 5 V"
                                onClicked: window.simulator.weakenSocket(card.modelData.number)
                            }
                        }
                    }
                }
            }

            RowLayout {
                Layout.leftMargin: 20; Layout.rightMargin: 20; Layout.bottomMargin: 20
                StyledText {
                    Layout.fillWidth: true
                    wrapMode: Text.WordWrap
                    text: "Nur eine Simulation: Die Diagnose liest diesen Mac über dieselbe Hardware-Schnittstelle wie einen echten."
                    size: 11.5
                    color: Theme.secondaryLabel
                }
                SecondaryButton {
                    objectName: "unplugAll"
                    text: "Alles abziehen"
                    onClicked: window.simulator.unplugAll()
                }
            }
        }
    }
}
