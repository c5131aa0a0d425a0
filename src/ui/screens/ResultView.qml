import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kabelwacht

// The verdict, one row per tested port, and what to do next.
Item {
    id: root
    required property var model
    readonly property bool positive: model.failedResults.length === 0
    readonly property color verdictColor: positive ? Theme.brandGreen : Theme.alertRed

    ScrollView {
        anchors.fill: parent
        contentWidth: availableWidth

        ColumnLayout {
            width: parent.width
            spacing: 20

            GlassCard {
                objectName: "verdictCard"
                Layout.fillWidth: true
                ColumnLayout {
                    width: parent.width
                    spacing: 17
                    Rectangle {
                        Layout.alignment: Qt.AlignHCenter
                        width: 108; height: 108
                        radius: 54
                        color: Theme.withAlpha(root.verdictColor, 0.11)
                        Icon {
                            objectName: "verdictSymbol"
                            anchors.centerIn: parent
                            name: root.positive ? "checkmark.seal.fill" : "wrench.and.screwdriver.fill"
                            size: 51
                            color: root.verdictColor
                        }
                    }
                    StyledText {
                        objectName: "verdictHeadline"
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignHCenter
                        wrapMode: Text.WordWrap
                        text: root.positive ? "Alle USB-C Anschlüsse reagieren korrekt"
                                            : "Mindestens ein USB-C Anschluss ist vermutlich defekt"
                        size: 29
                        rounded: true
                        font.weight: Font.Bold
                    }
                    StyledText {
                        objectName: "verdictExplanation"
                        Layout.alignment: Qt.AlignHCenter
                        Layout.fillWidth: true
                        Layout.maximumWidth: 650
                        horizontalAlignment: Text.AlignHCenter
                        wrapMode: Text.WordWrap
                        lineHeightMode: Text.FixedHeight
                        lineHeight: fontInfo.pixelSize * 1.21 + 4
                        text: root.positive
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
                    delegate: Rectangle {
                        required property var modelData
                        readonly property bool failed: modelData.state === "failed"
                        Layout.fillWidth: true
                        implicitHeight: row.implicitHeight + 32
                        radius: 16
                        color: Qt.rgba(1, 1, 1, 0.58)
                        RowLayout {
                            id: row
                            anchors.fill: parent
                            anchors.margins: 16
                            spacing: 14
                            Icon {
                                objectName: "rowSymbol"
                                name: parent.parent.failed ? "xmark.circle.fill" : "checkmark.circle.fill"
                                size: 22
                                color: parent.parent.failed ? Theme.alertRed : Theme.brandGreen
                            }
                            ColumnLayout {
                                spacing: 3
                                Layout.fillWidth: true
                                StyledText { text: "USB-C Anschluss " + modelData.ordinal; size: 14; font.weight: Font.Bold }
                                StyledText {
                                    Layout.fillWidth: true
                                    wrapMode: Text.WordWrap
                                    text: modelData.note
                                    size: 12.5
                                    color: Theme.secondaryLabel
                                }
                            }
                            Rectangle {
                                objectName: "wattBadge"
                                visible: modelData.adapterWatts !== null && modelData.adapterWatts !== undefined
                                implicitWidth: watts.implicitWidth + 20
                                implicitHeight: watts.implicitHeight + 12
                                radius: height / 2
                                color: Theme.withAlpha(Theme.brandGreen, 0.1)
                                StyledText {
                                    id: watts
                                    anchors.centerIn: parent
                                    text: modelData.adapterWatts + " W"
                                    size: 12
                                    rounded: true
                                    font.weight: Font.Bold
                                    color: Theme.brandDarkGreen
                                }
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
                    visible: !root.positive
                    text: "Passende USB-C Reparatur"
                    iconName: "arrow.up.right"
                    onClicked: root.model.openRepairPage()
                }
            }

            StyledText {
                Layout.alignment: Qt.AlignHCenter
                Layout.fillWidth: true
                Layout.maximumWidth: 690
                Layout.topMargin: 4
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: "Die App führt eine softwaregestützte Funktionsprüfung durch. Sie ersetzt keine elektrische Messung "
                      + "von USB-PD, Datenleitungen, Kurzschlüssen oder mechanischen Kontakten in der Werkstatt."
                size: 11.5
                color: Theme.secondaryLabel
            }
        }
    }
}
