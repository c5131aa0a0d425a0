import QtQuick
import QtQuick.Templates as T
import QtQuick.Layouts
import Kabelwacht
import "FocusChain.js" as FocusChain

// The legal notice, privacy and diagnosis notes, as a modal sheet over the window.
T.Dialog {
    id: root
    property bool shown: false
    signal dismissed()

    readonly property string contactURL: AppInfo.contactUrl
    readonly property string termsURL: AppInfo.termsUrl
    readonly property string emailURL: "mailto:" + AppInfo.email
    readonly property string phoneURL: "tel:" + AppInfo.phoneInternational

    onShownChanged: shown ? open() : close()
    Component.onCompleted: if (shown) open() // built on demand, already asked for
    onClosed: {
        dismissed()
        if (returnFocusTo && returnFocusTo.visible)
            returnFocusTo.forceActiveFocus()
    }

    // The keyboard focus goes to "Fertig" while the sheet is open, and back to where it was after.
    property Item returnFocusTo: null
    onAboutToShow: returnFocusTo = Window.activeFocusItem
    onOpened: doneButton.forceActiveFocus()

    title: "Impressum & Datenschutz" // what a screen reader calls the sheet
    modal: true
    dim: true
    focus: true
    closePolicy: T.Popup.CloseOnEscape
    padding: 0
    // A sheet hangs from the top of the window; never smaller than 680 × 620.
    width: parent ? Math.max(680, Math.min(760, parent.width - 60)) : 760
    height: parent ? Math.max(620, Math.min(760, parent.height - 30)) : 760
    x: parent ? (parent.width - width) / 2 : 0
    y: 0

    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.18) }
    // The sheet slides down from the top edge; without animations it simply appears.
    enter: Theme.animationsEnabled ? slideIn : null
    exit: Theme.animationsEnabled ? slideOut : null
    readonly property Transition slideIn: Transition {
        NumberAnimation { property: "y"; from: -root.height; to: 0; duration: 350; easing.type: Easing.OutCubic }
    }
    readonly property Transition slideOut: Transition {
        NumberAnimation { property: "y"; from: 0; to: -root.height; duration: 350; easing.type: Easing.InCubic }
    }

    background: Item {
        SoftShadow { radius: 12; color: Qt.rgba(0, 0, 0, 0.25); blur: 30; offsetY: 10 }
    }

    contentItem: Item {
        id: sheetContent
        clip: true
        focus: true
        Keys.onReturnPressed: root.shown = false
        Keys.onEnterPressed: root.shown = false

        // Tab goes round the sheet's own controls only; the window behind it waits.
        Keys.onTabPressed: cycle(true)
        Keys.onBacktabPressed: cycle(false)
        function cycle(forward) {
            const inside = item => FocusChain.within(sheetContent, item)
            if (!FocusChain.moveOn(Window.activeFocusItem ?? doneButton, forward, inside))
                doneButton.forceActiveFocus(Qt.TabFocusReason)
        }

        // What the body's content fades into where it scrolls under the header and off the bottom.
        Item {
            id: sheetBackdrop
            anchors.fill: parent
            DiagonalGradient {
                anchors.fill: parent
                radius: 12
                startColor: Theme.backgroundTop
                endColor: Theme.backgroundBottom
            }
            Glow {
                anchors.centerIn: parent
                anchors.horizontalCenterOffset: 270
                anchors.verticalCenterOffset: -310
                color: Theme.withAlpha(Theme.brandMint, 0.2)
                diameter: 360
                blur: 8
            }
        }

        // Beside the view, not in it: a second item there would leave the view without a content size.
        RevealFocus { flickable: body.contentItem; margin: body.fade + 16 } // clear of the fade

        ColumnLayout {
            anchors.fill: parent
            spacing: 0

            RowLayout {
                objectName: "sheetHeader"
                Layout.fillWidth: true
                Layout.leftMargin: 24
                Layout.rightMargin: 24
                Layout.topMargin: 17
                Layout.bottomMargin: 17
                spacing: 13
                DOZOvadaAppMark { size: 45 }
                ColumnLayout {
                    spacing: 2
                    StyledText { text: "Impressum & Datenschutz"; heading: true; size: 21; rounded: true; font.weight: Font.Bold }
                    StyledText {
                        objectName: "sheetSubtitle"
                        text: "Kabelwacht ZIV-A Dodiv \u00B7 Kabelwacht " + AppInfo.town
                        size: 12
                        color: Theme.secondaryLabel
                    }
                }
                Item { Layout.fillWidth: true }
                SecondaryButton {
                    id: doneButton
                    objectName: "doneButton"
                    text: "Fertig"
                    onClicked: root.shown = false
                }
            }

            // Scrolls as the result does: the content rests inside the body's padding at either end
            // and fades there as it passes under the header or off the bottom.
            ScrollArea {
                id: body
                objectName: "sheetBody"
                Layout.fillWidth: true
                Layout.fillHeight: true
                fade: 24
                barInset: fade / 2 - 4
                backdrop: sheetBackdrop
                backdropOrigin: Qt.point(x, y)
                contentHeight: bodyColumn.implicitHeight

                ColumnLayout {
                    id: bodyColumn
                    width: body.availableWidth
                    spacing: 16

                    Item { implicitHeight: 8 } // with the spacing: 24 above the first box

                    LegalNoticeBox {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "100 % kostenlos"
                        systemImage: "checkmark.seal.fill"
                        tint: Theme.brandGreen
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Der Kabelwacht ZIV-A Dodiv wird ausschließlich kostenlos bereitgestellt. Für Download, "
                                       + "Installation und Nutzung verlangt die Kabelwacht kein Entgelt."
                        }
                    }
                    LegalNoticeBox {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "Lokale Diagnose ohne Datenübertragung"
                        systemImage: "hand.raised.fill"
                        tint: Theme.systemBlue
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Die App liest USB-C-, Thunderbolt-, Controller- und Stromversorgungsdaten ausschließlich "
                                       + "lokal aus macOS und der Hardware-Registry des eigenen Macs aus. Es werden keine Geräte-, "
                                       + "Nutzungs- oder Diagnosedaten an die Kabelwacht oder an andere externe Dienste übertragen."
                        }
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Externe Webseiten werden nur geöffnet, wenn ein Link oder ein Reparatur-Button bewusst "
                                       + "angeklickt wird. Analyse-, Werbe- und Trackingdienste sind nicht enthalten."
                        }
                    }
                    LegalNoticeBox {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "Hinweis zur Diagnose"
                        systemImage: "exclamationmark.triangle.fill"
                        tint: Theme.cautionOrange
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Ein erfolgreicher Ladetest bestätigt, dass der getestete Anschluss auf USB Power Delivery "
                                       + "reagiert. Datenübertragung, DisplayPort, maximale Thunderbolt-Geschwindigkeit, "
                                       + "mechanische Kontaktprobleme und Fehler unter Last können zusätzliche Werkstattmessungen "
                                       + "erfordern."
                        }
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Die automatisierte Auswertung ist eine technische Vorprüfung und ersetzt keine elektrische "
                                       + "Messung von USB-PD, Datenleitungen, Kurzschlüssen oder Bauteilen auf der Hauptplatine."
                        }
                    }

                    ColumnLayout {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        Layout.topMargin: 10
                        spacing: 6
                        StyledText { text: "Impressum"; heading: true; size: 24; rounded: true; font.weight: Font.Bold }
                        StyledText { text: "Angaben gemäß § 5 Digitale-Dienste-Gesetz (DDG)"; size: 13; color: Theme.secondaryLabel }
                    }

                    LegalSection {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "Diensteanbieter"
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Kabelwacht\nInh. " + AppInfo.owner + " (Einzelunternehmerin)\n" + AppInfo.street + "\n"
                                       + AppInfo.postcode + " " + AppInfo.town + "\nDeutschland"
                        }
                    }
                    LegalSection {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "Inhaltlich verantwortlich"
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Verantwortlich für journalistisch-redaktionelle Inhalte gemäß § 18 Abs. 2 "
                                       + "Medienstaatsvertrag (MStV):"
                        }
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: AppInfo.responsiblePerson + "\n" + AppInfo.responsibleStreet + "\n"
                                       + AppInfo.responsiblePostcode + " " + AppInfo.responsibleTown
                        }
                    }
                    LegalSection {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "Kontaktmöglichkeiten"
                        Column {
                            spacing: 9
                            PlainLink {
                                objectName: "emailLink"
                                iconName: "envelope"; text: AppInfo.email; size: 13.5; color: Theme.brandGreen
                                Accessible.name: "E-Mail an " + AppInfo.email + " schreiben"
                                onClicked: Qt.openUrlExternally(root.emailURL)
                            }
                            PlainLink {
                                objectName: "phoneLink"
                                iconName: "phone"; text: AppInfo.phoneNational; size: 13.5; color: Theme.brandGreen
                                Accessible.name: AppInfo.phoneNational + " anrufen"
                                onClicked: Qt.openUrlExternally(root.phoneURL)
                            }
                            PlainLink {
                                objectName: "contactLink"
                                iconName: "safari"; text: "Kontaktformular öffnen"; size: 13.5; color: Theme.brandGreen
                                onClicked: Qt.openUrlExternally(root.contactURL)
                            }
                        }
                    }
                    LegalSection {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "Streitbeilegung"
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Wir sind nicht bereit oder verpflichtet, an Streitbeilegungsverfahren vor einer "
                                       + "Verbraucherschlichtungsstelle teilzunehmen."
                        }
                    }
                    LegalSection {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "Umsatzsteuer-Identifikationsnummer"
                        SelectableText {
                            Layout.fillWidth: true
                            plainText: "Eine Umsatzsteuer-Identifikationsnummer gemäß § 27a Umsatzsteuergesetz ist nicht vorhanden."
                        }
                    }
                    LegalSection {
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        title: "Allgemeine Geschäftsbedingungen"
                        PlainLink {
                            objectName: "termsLink"
                            iconName: "arrow.up.right.square"
                            text: "AGB auf " + AppInfo.webDomain + " öffnen"
                            size: 13.5
                            color: Theme.brandGreen
                            onClicked: Qt.openUrlExternally(root.termsURL)
                        }
                    }

                    Rectangle {
                        objectName: "trademarkNote"
                        Layout.fillWidth: true
                        Layout.leftMargin: 24; Layout.rightMargin: 24
                        implicitHeight: trademark.implicitHeight + 36
                        radius: 16
                        color: Qt.rgba(1, 1, 1, 0.45)
                        SelectableText {
                            id: trademark
                            anchors.fill: parent
                            anchors.margins: 18
                            size: 11.5
                            plainText: "Apple, das Apple-Logo, MacBook, MacBook Air, MacBook Pro, macOS, USB-C und Thunderbolt "
                                       + "sind eingetragene Marken ihrer jeweiligen Inhaber. Die Kabelwacht steht in keinem "
                                       + "Zusammenhang mit Apple Inc."
                        }
                    }
                    Item { implicitHeight: 8 }
                }
            }
        }
    }
}
