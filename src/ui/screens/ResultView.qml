import QtQuick
import QtQuick.Layouts
import Kabelwacht

// The verdict, one row per tested port, and what to do next.
Item {
    id: root
    required property var model
    readonly property bool positive: model.failedResults.length === 0
    // Every port responds, but one charges below what the charger gave elsewhere.
    readonly property bool limitedCharging: positive && model.weakPorts.length > 0
    readonly property color verdictColor: limitedCharging ? Theme.cautionOrange : positive ? Theme.brandGreen : Theme.alertRed
    // The padding that the window gives every screen, what lies behind the screen and where the
    // screen's corner lies on it at rest; all set by the window.
    property real outerPadding: 0
    property Item backdrop: null
    property point backdropOrigin: Qt.point(0, 0)
    // The verdict is what a reader should hear first; the buttons follow it in the Tab order.
    readonly property Item focusTarget: verdictHeadline
    readonly property string announcement: verdictHeadline.text

    RevealFocus { flickable: scroller.contentItem; margin: scroller.fade + 24 } // clear of the fade

    ScrollArea {
        id: scroller
        objectName: "resultScroller"
        // The view reaches into the screen's padding, where the content fades as it scrolls by:
        // the card's shadow is not cut, and at either end the content rests inside the padding.
        anchors.fill: parent
        anchors.margins: -root.outerPadding
        fade: root.outerPadding
        barInset: root.outerPadding / 2 - 4
        backdrop: root.backdrop
        backdropOrigin: Qt.point(root.backdropOrigin.x - root.outerPadding, root.backdropOrigin.y - root.outerPadding)
        contentHeight: column.implicitHeight + 2 * root.outerPadding

        ColumnLayout {
            id: column
            objectName: "resultColumn"
            x: root.outerPadding
            y: root.outerPadding
            width: scroller.availableWidth - 2 * root.outerPadding
            spacing: 20

            GlassCard {
                objectName: "verdictCard"
                Layout.fillWidth: true
                ColumnLayout {
                    width: parent.width
                    spacing: 17
                    Rectangle {
                        objectName: "verdictEmblem"
                        Layout.alignment: Qt.AlignHCenter
                        width: 108; height: 108
                        radius: 54
                        color: Theme.withAlpha(root.verdictColor, 0.11)
                        Icon {
                            objectName: "verdictSymbol"
                            anchors.centerIn: parent
                            name: root.limitedCharging ? "exclamationmark.triangle.fill"
                                  : root.positive ? "checkmark.seal.fill" : "wrench.and.screwdriver.fill"
                            size: 51
                            color: root.verdictColor
                        }
                    }
                    BalancedText {
                        id: verdictHeadline
                        heading: true
                        objectName: "verdictHeadline"
                        Layout.fillWidth: true
                        text: root.limitedCharging ? "Mindestens ein USB-C Anschluss lädt nur eingeschränkt"
                              : root.positive ? "Alle USB-C Anschlüsse reagieren korrekt"
                                              : "Mindestens ein USB-C Anschluss ist vermutlich defekt"
                        size: 29
                        rounded: true
                        font.weight: Font.Bold
                    }
                    BalancedText {
                        objectName: "verdictExplanation"
                        Layout.alignment: Qt.AlignHCenter
                        Layout.fillWidth: true
                        Layout.maximumWidth: 650
                        lineSpacing: 4
                        text: root.limitedCharging
                              ? "An allen ermittelten Anschlüssen wurde eine USB-C Ladeverbindung erkannt, an mindestens "
                                + "einem jedoch nur mit eingeschränkter Leistung. Eine Prüfung beziehungsweise Reparatur der "
                                + "USB-C Buchse ist empfehlenswert."
                              : root.positive
                              ? "An allen ermittelten Anschlüssen wurde eine USB-C Ladeverbindung erkannt. Controller und "
                                + "Ladefunktion zeigen in dieser Vorprüfung keine Auffälligkeit."
                              : "An mindestens einem Anschluss wurde mit dem verwendeten, funktionierenden Netzteil keine "
                                + "Ladeverbindung erkannt. Eine Prüfung beziehungsweise Reparatur des USB-C Anschlusses ist "
                                + "empfehlenswert."
                        size: 14.5
                        color: Theme.secondaryLabel
                    }
                }
            }

            ColumnLayout {
                objectName: "portRows"
                Layout.fillWidth: true
                spacing: 10
                Repeater {
                    model: root.model.portResults
                    // Placed by anchors rather than a layout, which would round each line up to
                    // whole pixels and make every row taller than its content.
                    delegate: Rectangle {
                        id: resultRow
                        required property var modelData
                        readonly property bool failed: modelData.state === "failed"
                        readonly property var weak: root.model.weakPorts.find(w => w.ordinal === modelData.ordinal) || null
                        readonly property bool hasWatts: modelData.adapterWatts !== null && modelData.adapterWatts !== undefined
                        Layout.fillWidth: true
                        implicitHeight: Math.max(symbol.implicitHeight, texts.implicitHeight, badge.implicitHeight) + 32
                        radius: 16
                        color: Qt.rgba(1, 1, 1, 0.58)
                        // One line for a reader: the port, its verdict and the note (which names the watts).
                        Accessible.role: Accessible.StaticText
                        Accessible.name: "USB-C Anschluss " + modelData.ordinal + ": "
                                         + (failed ? "vermutlich defekt" : weak ? weak.stateText
                                            : modelData.state === "limited" ? "Ladevorgang erkannt" : "in Ordnung")
                                         + ". " + (weak ? weak.note : modelData.note)
                        Icon {
                            id: symbol
                            objectName: "rowSymbol"
                            anchors.left: parent.left
                            anchors.leftMargin: 16
                            anchors.verticalCenter: parent.verticalCenter
                            name: resultRow.failed ? "xmark.circle.fill"
                                  : resultRow.weak ? "exclamationmark.triangle.fill" : "checkmark.circle.fill"
                            size: 22
                            color: resultRow.failed ? Theme.alertRed : resultRow.weak ? Theme.cautionOrange : Theme.brandGreen
                        }
                        Column {
                            id: texts
                            anchors.left: symbol.right
                            anchors.leftMargin: 14
                            anchors.right: resultRow.hasWatts ? badge.left : parent.right
                            anchors.rightMargin: resultRow.hasWatts ? 14 : 16
                            anchors.verticalCenter: parent.verticalCenter
                            spacing: 3
                            StyledText { Accessible.ignored: true; text: "USB-C Anschluss " + resultRow.modelData.ordinal; size: 14; font.weight: Font.Bold }
                            StyledText {
                                objectName: "weakState"
                                Accessible.ignored: true
                                visible: resultRow.weak !== null
                                width: parent.width
                                wrapMode: Text.WordWrap
                                text: resultRow.weak ? resultRow.weak.stateText : ""
                                size: 12.5
                                font.weight: Font.Bold
                                color: Theme.cautionOrange
                            }
                            StyledText {
                                objectName: "rowNote"
                                Accessible.ignored: true
                                width: parent.width
                                wrapMode: Text.WordWrap
                                text: resultRow.weak ? resultRow.weak.note : resultRow.modelData.note
                                size: 12.5
                                color: Theme.secondaryLabel
                            }
                        }
                        Rectangle {
                            id: badge
                            objectName: "wattBadge"
                            visible: resultRow.hasWatts
                            anchors.right: parent.right
                            anchors.rightMargin: 16
                            anchors.verticalCenter: parent.verticalCenter
                            width: watts.implicitWidth + 20
                            height: watts.implicitHeight + 12
                            implicitHeight: visible ? height : 0
                            radius: height / 2
                            color: Theme.withAlpha(Theme.brandGreen, 0.1)
                            StyledText {
                                id: watts
                                Accessible.ignored: true
                                anchors.centerIn: parent
                                text: resultRow.modelData.adapterWatts + " W"
                                size: 12
                                rounded: true
                                font.weight: Font.Bold
                                color: Theme.brandDarkGreen
                            }
                        }
                    }
                }
            }

            Row {
                objectName: "resultButtons"
                Layout.alignment: Qt.AlignHCenter
                spacing: 12
                SecondaryButton {
                    objectName: "newDiagnosisButton"
                    text: "Neue Diagnose"
                    onClicked: root.model.resetDiagnosis()
                }
                SecondaryButton {
                    objectName: "copyButton"
                    text: "Bericht kopieren"
                    iconName: "doc.on.doc"
                    onClicked: root.model.copyReport()
                }
                PrimaryButton {
                    objectName: "repairButton"
                    visible: !root.positive || root.model.weakPorts.length > 0
                    text: "Passende USB-C Reparatur"
                    iconName: "arrow.up.right"
                    onClicked: root.model.openRepairPage()
                }
            }

            BalancedText {
                Layout.alignment: Qt.AlignHCenter
                Layout.fillWidth: true
                Layout.maximumWidth: 690
                Layout.topMargin: 4
                text: "Die App führt eine softwaregestützte Funktionsprüfung durch. Sie ersetzt keine elektrische Messung "
                      + "von USB-PD, Datenleitungen, Kurzschlüssen oder mechanischen Kontakten in der Werkstatt."
                size: 11.5
                color: Theme.secondaryLabel
            }
        }
    }
}
