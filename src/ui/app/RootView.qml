import QtQuick
import QtQuick.Templates as T
import QtQuick.Layouts
import Kabelwacht
import "FocusChain.js" as FocusChain

// The window's content: the sidebar, and a column with the top bar and the screen of the phase.
Item {
    id: root
    required property var model
    property bool showLegalInformation: false
    // Said once, plainly, when the window shows something else than this computer.
    property string notice: ""

    readonly property var report: model.hardwareReport
    readonly property string title: report ? (report.marketingName !== "" ? report.marketingName : report.modelIdentifier)
                                           : "Native Diagnose für MacBook"

    function sidebarStep(phase) {
        switch (phase) {
        case "portPreparation":
        case "portTesting":
            return 2
        case "evaluating":
            return 3
        case "result":
            return 4
        default:
            return 1
        }
    }

    readonly property var screens: ({
        "intro": introScreen,
        "controllerScan": scanScreen,
        "controllerFailure": failureScreen,
        "portPreparation": preparationScreen,
        "portTesting": testingScreen,
        "evaluating": evaluationScreen,
        "result": resultScreen
    })

    RowLayout {
        anchors.fill: parent
        spacing: 0

        SidebarView {
            id: sidebar
            objectName: "sidebar"
            Layout.fillHeight: true
            currentStep: root.sidebarStep(root.model.phase)
            onOpenWebsite: root.model.openWebsite()
            onOpenLegalInformation: root.showLegalInformation = true
        }

        Item {
            id: content
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true

            Item {
                id: screenBackdrop
                anchors.fill: parent
                DiagonalGradient {
                    anchors.fill: parent
                    startColor: Theme.backgroundTop
                    endColor: Theme.backgroundBottom
                }
                Glow {
                    anchors.centerIn: parent
                    anchors.horizontalCenterOffset: 300
                    anchors.verticalCenterOffset: -280
                    color: Theme.withAlpha(Theme.brandMint, 0.24)
                    diameter: 430
                    blur: 8
                }
            }

            ColumnLayout {
                anchors.fill: parent
                spacing: 0

                RowLayout {
                    id: topBar
                    Layout.fillWidth: true
                    Layout.leftMargin: 34
                    Layout.rightMargin: 34
                    Layout.topMargin: 23
                    StyledText {
                        objectName: "windowTitle"
                        text: root.title
                        size: 12
                        font.weight: Font.DemiBold
                        color: Theme.secondaryLabel
                    }
                    // Taller than the title: it stands centred on the row and takes none of its height.
                    // While the legal sheet is up it goes away: beside a narrow sheet its end would
                    // show as a stray orange fragment.
                    Item {
                        visible: root.notice !== ""
                        opacity: legalSheet.active ? 0 : 1
                        Behavior on opacity {
                            enabled: Theme.animationsEnabled
                            NumberAnimation { duration: 350; easing.type: Easing.InOutQuad }
                        }
                        Layout.leftMargin: 12
                        implicitWidth: notice.implicitWidth
                        implicitHeight: 0
                        StatusPill {
                            id: notice
                            objectName: "notice"
                            anchors.verticalCenter: parent.verticalCenter
                            icon: "info.circle"
                            text: root.notice
                            tint: Theme.cautionOrange
                        }
                    }
                    Item { Layout.fillWidth: true }
                    PlainLink {
                        id: infoButton
                        objectName: "infoButton"
                        iconName: "info.circle"
                        size: 17
                        weight: Font.Medium
                        color: Theme.secondaryLabel
                        Accessible.role: Accessible.Button
                        Accessible.name: infoTip.text
                        onClicked: root.showLegalInformation = true
                    }
                }

                T.StackView {
                    id: phaseContent
                    objectName: "phaseContent"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    Layout.margins: 34
                    initialItem: root.screens[root.model.phase]
                    // Once a screen has slid away and is gone, what it held goes back to the system.
                    onBusyChanged: if (!busy) FreedMemory.giveBack()

                    // A heading given the focus is no Tab stop, and Qt would send Tab from it back
                    // to the start of the window: it goes on from the heading instead.
                    Keys.onTabPressed: if (Window.activeFocusItem) FocusChain.moveOn(Window.activeFocusItem, true)
                    Keys.onBacktabPressed: if (Window.activeFocusItem) FocusChain.moveOn(Window.activeFocusItem, false)

                    // In from the trailing edge, out towards the leading edge.
                    replaceEnter: Theme.animationsEnabled ? insertion : null
                    replaceExit: Theme.animationsEnabled ? removal : null
                    readonly property Transition insertion: Transition {
                        ParallelAnimation {
                            NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 350; easing.type: Easing.InOutQuad }
                            NumberAnimation { property: "x"; from: phaseContent.width; to: 0; duration: 350; easing.type: Easing.InOutQuad }
                        }
                    }
                    readonly property Transition removal: Transition {
                        ParallelAnimation {
                            NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 350; easing.type: Easing.InOutQuad }
                            NumberAnimation { property: "x"; from: 0; to: -phaseContent.width; duration: 350; easing.type: Easing.InOutQuad }
                        }
                    }
                }
            }
        }
    }

    // A new screen for every phase, so each starts with fresh animation state.
    Connections {
        target: root.model
        function onPhaseChanged() {
            const next = root.screens[root.model.phase]
            if (phaseContent.currentItem && phaseContent.currentItem.phaseName === root.model.phase)
                return // the phase was assigned again, not changed
            root.freeze(phaseContent.currentItem)
            phaseContent.replace(null, next)
            announcer.say(phaseContent.currentItem.announcement)
            root.placeFocus()
        }
        function onTransientMessageChanged() {
            if (root.model.transientMessage)
                announcer.say(root.model.transientMessage)
        }
    }

    // A screen leaves looking as it looked. The model changes the phase first and then clears what
    // the next screen does not need; the screen going out keeps the values it showed, and takes
    // no more presses.
    function freeze(screen) {
        if (!screen)
            return
        screen.enabled = false
        if (screen.model !== undefined) {
            // Every value the model publishes, as it is now; a value added to the model comes along.
            const m = root.model
            const values = {}
            for (const name in m) {
                if (typeof m[name] !== "function")
                    values[name] = m[name]
            }
            screen.model = values
        }
        if (screen.progress !== undefined)
            screen.progress = screen.progress // the value stays, the binding goes
    }

    // The keyboard focus follows the diagnosis: each screen names where it belongs (its primary
    // action, or its heading where there is none) and may move it as its state changes.
    function placeFocus() {
        const target = phaseContent.currentItem ? phaseContent.currentItem.focusTarget : null
        if (!target)
            return
        const item = target.focusProxy ?? target
        if (legalSheet.item && legalSheet.item.opened)
            legalSheet.item.returnFocusTo = item // the sheet keeps it until it closes
        else
            item.forceActiveFocus()
    }
    Component.onCompleted: placeFocus()
    Connections {
        target: phaseContent.currentItem
        function onFocusTargetChanged() { root.placeFocus() }
        function onAnnouncementChanged() { announcer.say(phaseContent.currentItem.announcement) }
    }

    // What changes on its own, the phase and the port test's status, is said once as it happens.
    Announcer {
        id: announcer
        objectName: "announcer"
    }

    // In the top bar, beside the info button: there it covers no button, whatever the result
    // screen shows and wherever it is scrolled, and nothing has to move out of its way.
    MessageOverlay {
        id: messageOverlay
        objectName: "messageOverlay"
        x: root.width - topBar.Layout.rightMargin - infoButton.width - 12 - width
        y: topBar.y + (topBar.height - height) / 2
        message: root.model.transientMessage
    }

    HoverTip {
        id: infoTip
        objectName: "infoTip"
        target: infoButton
        hovered: infoButton.hovered && !infoButton.pressed && !legalSheet.active
        text: "Impressum und Datenschutzhinweise anzeigen"
    }

    // A fresh sheet each time it is asked for, gone once it has slid away: it keeps nothing, not
    // even where it was scrolled, and the first frame need not wait for it.
    Loader {
        id: legalSheet
        property bool presented: false // from the moment it opens until it has closed
        active: root.showLegalInformation || presented
        sourceComponent: LegalInformationView {
            objectName: "legalSheet"
            parent: T.Overlay.overlay
            shown: root.showLegalInformation
            onAboutToShow: legalSheet.presented = true
            onDismissed: {
                root.showLegalInformation = false
                Qt.callLater(() => legalSheet.presented = false) // not inside the sheet's own handler
            }
        }
    }

    Component {
        id: introScreen
        IntroView {
            readonly property string phaseName: "intro"
            onStart: root.model.startDiagnosis()
        }
    }
    Component {
        id: scanScreen
        ControllerScanView { readonly property string phaseName: "controllerScan" }
    }
    Component {
        id: failureScreen
        ControllerFailureView { readonly property string phaseName: "controllerFailure"; model: root.model }
    }
    Component {
        id: preparationScreen
        PortPreparationView { readonly property string phaseName: "portPreparation"; model: root.model }
    }
    Component {
        id: testingScreen
        PortTestingView { readonly property string phaseName: "portTesting"; model: root.model }
    }
    Component {
        id: evaluationScreen
        EvaluationView { readonly property string phaseName: "evaluating"; progress: root.model.evaluationProgress }
    }
    Component {
        id: resultScreen
        ResultView {
            readonly property string phaseName: "result"
            model: root.model
            outerPadding: phaseContent.Layout.margins
            backdrop: screenBackdrop
            backdropOrigin: Qt.point(phaseContent.x, phaseContent.y)
        }
    }
}
