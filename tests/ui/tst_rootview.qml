import QtQuick
import QtTest
import Kabelwacht
import "Texts.js" as Texts

// The root view against a stand-in model: title, sidebar steps, message overlay and legal sheet.
Item {
    id: host
    width: 1080
    height: 740

    Component { id: mockModel; MockModel {} }
    Component { id: rootView; RootView { anchors.fill: parent } }

    TestCase {
        name: "RootView"
        when: windowShown

        function initTestCase() { Theme.animationsEnabled = false }

        function makeView() {
            const model = createTemporaryObject(mockModel, host)
            const view = createTemporaryObject(rootView, host, { model: model })
            verify(view)
            return view
        }

        function test_titleRule() {
            const view = makeView()
            const title = findChild(view, "windowTitle")
            compare(title.text, "Native Diagnose für MacBook")
            view.model.hardwareReport = { marketingName: "MacBook Air", modelIdentifier: "Mac14,2" }
            compare(title.text, "MacBook Air")
            view.model.hardwareReport = { marketingName: "", modelIdentifier: "Mac14,2" }
            compare(title.text, "Mac14,2")
        }

        function test_sidebarStepForEveryPhase_data() {
            return [
                { tag: "intro", phase: "intro", step: 1 },
                { tag: "controllerScan", phase: "controllerScan", step: 1 },
                { tag: "controllerFailure", phase: "controllerFailure", step: 1 },
                { tag: "portPreparation", phase: "portPreparation", step: 2 },
                { tag: "portTesting", phase: "portTesting", step: 2 },
                { tag: "evaluating", phase: "evaluating", step: 3 },
                { tag: "result", phase: "result", step: 4 }
            ]
        }
        function test_sidebarStepForEveryPhase(data) {
            const view = makeView()
            view.model.phase = data.phase
            compare(findChild(view, "sidebar").currentStep, data.step)
            compare(findChild(view, "phaseContent").currentItem.phaseName, data.phase, "the phase's screen is shown")
        }

        function test_overlayOnlyWhileThereIsAMessage() {
            const view = makeView()
            const overlay = findChild(view, "messageOverlay")
            verify(!overlay.visible)
            view.model.transientMessage = "Diagnosebericht wurde kopiert."
            tryVerify(() => overlay.visible)
            compare(findChild(overlay, "messageText").text, "Diagnosebericht wurde kopiert.")
            view.model.transientMessage = null
            tryVerify(() => !overlay.visible)
        }

        function test_introStartsTheDiagnosisOncePerPress() {
            const view = makeView()
            const start = findChild(view, "startButton")
            verify(start)
            mouseClick(start)
            compare(view.model.count("startDiagnosis"), 1)
            mouseClick(start)
            compare(view.model.count("startDiagnosis"), 2)
        }

        function test_websiteLinkOpensTheWebsite() {
            const view = makeView()
            mouseClick(findChild(view, "websiteLink"))
            compare(view.model.count("openWebsite"), 1)
        }

        function sheetOf(view) { return findChild(view, "legalSheet") }

        // The info button explains itself in the window's own face, inside the window, and only
        // while the pointer rests on it.
        function test_infoButtonTip() {
            const view = makeView()
            const button = findChild(view, "infoButton")
            const tip = findChild(view, "infoTip")
            verify(tip, "a tip drawn by the window")
            tip.delay = 0
            mouseMove(button)
            tryVerify(() => tip.visible && tip.opacity === 1)
            compare(tip.Accessible.name, "Impressum und Datenschutzhinweise anzeigen")
            compare(button.Accessible.name, tip.Accessible.name)
            compare(findChild(tip, "tipText").font.family, Theme.sansFamily)
            const r = tip.mapToItem(view, 0, 0, tip.width, tip.height)
            verify(r.x >= 0 && r.x + r.width <= view.width && r.y > button.mapToItem(view, 0, 0).y, JSON.stringify(r))
            mouseMove(view, view.width / 2, view.height / 2)
            tryVerify(() => !tip.visible)
        }

        // Opened over a narrow window, the sheet leaves nothing of the simulation notice beside it.
        function test_noticeStepsBackForTheSheet() {
            const view = makeView()
            view.notice = "Simulation: Dieser Computer meldet keine USB-C Anschlüsse"
            const notice = findChild(view, "notice")
            const shown = () => { let o = 1; for (let p = notice; p && p !== view; p = p.parent) o *= p.visible ? p.opacity : 0; return o }
            compare(shown(), 1)
            view.showLegalInformation = true
            tryVerify(() => sheetOf(view) && sheetOf(view).opened)
            compare(shown(), 0)
            view.showLegalInformation = false
            tryVerify(() => !sheetOf(view) || !sheetOf(view).visible)
            tryCompare(notice.parent, "opacity", 1)
        }

        function test_sheetFromSidebarLinkClosedByReturn() {
            const view = makeView()
            mouseClick(findChild(view, "legalLink"))
            tryVerify(() => sheetOf(view).visible)
            keyClick(Qt.Key_Return)
            tryVerify(() => !sheetOf(view) || !sheetOf(view).visible) // gone once closed
            verify(!view.showLegalInformation)
        }

        // Each time it is shown, the sheet is a new one: it opens at its top however it was left.
        function test_sheetOpensAtItsTopAgain() {
            const view = makeView()
            view.showLegalInformation = true
            tryVerify(() => sheetOf(view) && sheetOf(view).opened)
            const body = findChild(sheetOf(view).contentItem, "sheetBody").contentItem
            verify(body.contentHeight > body.height, "the sheet has something to scroll")
            body.contentY = 200
            view.showLegalInformation = false
            tryVerify(() => !sheetOf(view) || !sheetOf(view).visible)
            wait(20) // a user's next click comes later than the next turn of the event loop
            view.showLegalInformation = true
            tryVerify(() => sheetOf(view) && sheetOf(view).opened)
            compare(findChild(sheetOf(view).contentItem, "sheetBody").contentItem.contentY, 0)
        }

        function test_sheetTextsAreExact() {
            const view = makeView()
            view.showLegalInformation = true
            tryVerify(() => sheetOf(view).visible)
            const texts = Texts.collect(sheetOf(view).contentItem)
            for (const expected of [
                "Impressum & Datenschutz",
                "Kabelwacht ZIV-A Dodiv \u00B7 Kabelwacht " + AppInfo.town,
                "Fertig",
                "100 % kostenlos",
                "Lokale Diagnose ohne Datenübertragung",
                "Hinweis zur Diagnose",
                "Impressum",
                "Angaben gemäß § 5 Digitale-Dienste-Gesetz (DDG)",
                "Diensteanbieter",
                "Kabelwacht\nInh. " + AppInfo.owner + " (Einzelunternehmerin)\n" + AppInfo.street + "\n" + AppInfo.postcode + " " + AppInfo.town + "\nDeutschland",
                "Inhaltlich verantwortlich",
                "Verantwortlich für journalistisch-redaktionelle Inhalte gemäß § 18 Abs. 2 Medienstaatsvertrag (MStV):",
                "Kontaktmöglichkeiten",
                AppInfo.email,
                AppInfo.phoneNational,
                "Kontaktformular öffnen",
                "Streitbeilegung",
                "Wir sind nicht bereit oder verpflichtet, an Streitbeilegungsverfahren vor einer Verbraucherschlichtungsstelle teilzunehmen.",
                "Umsatzsteuer-Identifikationsnummer",
                "Eine Umsatzsteuer-Identifikationsnummer gemäß § 27a Umsatzsteuergesetz ist nicht vorhanden.",
                "Allgemeine Geschäftsbedingungen",
                "AGB auf " + AppInfo.webDomain + " öffnen",
                "Apple, das Apple-Logo, MacBook, MacBook Air, MacBook Pro, macOS, USB-C und Thunderbolt sind eingetragene Marken ihrer jeweiligen Inhaber. Die Kabelwacht steht in keinem Zusammenhang mit Apple Inc."
            ])
                verify(texts.indexOf(expected) >= 0, "shows: " + expected)
            compare(sheetOf(view).phoneURL, "tel:" + AppInfo.phoneInternational)
            verify(sheetOf(view).width >= 680 && sheetOf(view).height >= 620)
        }
    }
}
