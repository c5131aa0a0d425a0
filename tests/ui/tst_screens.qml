import QtQuick
import QtTest
import Kabelwacht
import "Texts.js" as Texts

// The diagnosis screens against a stand-in model: every status's wording, the chips, the counts.
Item {
    id: host
    width: 800
    height: 700

    Component { id: mockModel; MockModel {} }
    Component { id: testing; PortTestingView { anchors.fill: parent } }
    Component { id: preparation; PortPreparationView { anchors.fill: parent } }
    Component { id: failure; ControllerFailureView { anchors.fill: parent } }
    Component { id: evaluation; EvaluationView { anchors.fill: parent } }
    Component { id: result; ResultView { anchors.fill: parent } }

    TestCase {
        name: "Screens"
        when: windowShown

        function initTestCase() { Theme.animationsEnabled = false }

        function model(values) {
            const m = createTemporaryObject(mockModel, host)
            for (const key in values)
                m[key] = values[key]
            return m
        }
        function report(expected, descriptors) {
            return { expectedPortCount: expected, portDescriptorCount: descriptors, marketingName: "MacBook Pro",
                     modelIdentifier: "MacBookPro18,3" }
        }

        function test_statusWordingAndRows_data() {
            return [
                { tag: "waitingForDisconnect", title: "Ladekabel zuerst trennen", tint: "brandDarkGreen" },
                { tag: "ready", title: "Bereit für den nächsten Anschluss", tint: "brandDarkGreen" },
                { tag: "waitingForConnection", title: "Ladekabel jetzt anschließen", tint: "brandDarkGreen", countdown: true },
                { tag: "checking", title: "Anschluss wird überprüft \u2026", tint: "brandDarkGreen", active: true },
                { tag: "alreadyTested", title: "Dieser Anschluss wurde bereits geprüft", tint: "cautionOrange" },
                { tag: "wrongPowerSource", title: "Strom erkannt, aber nicht an einem USB-C Anschluss", tint: "alertRed" },
                { tag: "timedOut", title: "Kein Ladevorgang erkannt", tint: "alertRed", buttons: true, failed: true },
                { tag: "success", title: "Anschluss erfolgreich geprüft", tint: "brandGreen", active: true }
            ]
        }
        function test_statusWordingAndRows(data) {
            const view = createTemporaryObject(testing, host, { model: model({ portTestStatus: data.tag, hardwareReport: report(3, 3) }) })
            const title = findChild(view, "statusTitle")
            compare(title.text, data.title)
            compare(String(title.color), String(Theme[data.tint]), "Text keeps 8 bits per channel")
            const details = {
                waitingForDisconnect: "Trennen Sie das Netzteil vollständig. Der nächste Test beginnt automatisch, sobald das MacBook wieder aus der Batterie versorgt wird.",
                ready: "Schließen Sie das sicher funktionierende USB-C Ladekabel jetzt an den nächsten noch nicht getesteten Anschluss an.",
                waitingForConnection: "Schließen Sie das sicher funktionierende USB-C Ladekabel jetzt an den nächsten noch nicht getesteten Anschluss an.",
                checking: "Power Delivery, externe Stromversorgung und der aktive Port-Controller werden miteinander abgeglichen.",
                alreadyTested: "Dieser Port wurde bereits erkannt. Ziehen Sie das Kabel ab und verwenden Sie danach einen anderen Anschluss.",
                wrongPowerSource: "Möglicherweise ist MagSafe angeschlossen. Trennen Sie alle Stromquellen und verwenden Sie ausschließlich USB-C.",
                timedOut: "Es wurde keine Ladeverbindung erkannt. Prüfen Sie Kabel und Netzteil noch einmal oder werten Sie diesen Anschluss als vermutlich defekt.",
                success: "Die Ladeverbindung wurde erkannt. Ziehen Sie das Kabel ab; anschließend startet automatisch der nächste Test."
            }
            compare(findChild(view, "statusDetail").text, details[data.tag])
            compare(findChild(view, "countdownRow").visible, !!data.countdown)
            compare(findChild(view, "timeoutButtons").visible, !!data.buttons)
            const glyph = findChild(view, "statusGlyph")
            compare(glyph.active, !!data.active)
            compare(glyph.failed, !!data.failed)
        }

        function test_countdownFillsAsTimeRunsOut() {
            const m = model({ portTestStatus: "waitingForConnection", secondsRemaining: 25 })
            const view = createTemporaryObject(testing, host, { model: m })
            compare(findChild(view, "countdownText").text, "25 s")
            compare(findChild(view, "countdownBar").fraction, 0)
            m.secondsRemaining = 0
            compare(findChild(view, "countdownText").text, "0 s")
            compare(findChild(view, "countdownBar").fraction, 1)

            // The countdown row goes with the next status: the card eases to its new height.
            Theme.animationsEnabled = true
            const card = findChild(view, "statusCard")
            const from = card.height
            const seen = []
            const record = () => seen.push(card.height)
            card.heightChanged.connect(record)
            m.portTestStatus = "checking"
            tryVerify(() => card.implicitHeight < from - 20, 1000, "the row and its spacing go")
            tryCompare(card, "height", card.implicitHeight)
            card.heightChanged.disconnect(record)
            verify(seen.some(h => h < from - 2 && h > card.height + 2), "heights passed: " + seen)
        }
        function cleanup() { Theme.animationsEnabled = false }

        function test_headingAndTally() {
            const m = model({ portTestStatus: "waitingForConnection", hardwareReport: report(3, 3), currentPortNumber: 3,
                              portResults: [{ ordinal: 1, state: "passed", adapterWatts: 96, note: "" },
                                            { ordinal: 2, state: "failed", adapterWatts: null, note: "" }] })
            const view = createTemporaryObject(testing, host, { model: m })
            compare(findChild(view, "portHeading").text, "USB-C Anschluss 3 von 3")
            compare(findChild(view, "tally").text, "2 / 3 geprüft")
        }

        function test_chipsSayAndShowEveryState() {
            // A limited result counts as tested, like a passed one, whatever the machine.
            const m = model({ portTestStatus: "waitingForConnection", hardwareReport: report(5, 0), currentPortNumber: 4,
                              portResults: [{ ordinal: 1, state: "passed", adapterWatts: 96, note: "" },
                                            { ordinal: 2, state: "limited", adapterWatts: null, note: "" },
                                            { ordinal: 3, state: "failed", adapterWatts: null, note: "" }] })
            const view = createTemporaryObject(testing, host, { model: m })
            const chips = findChild(view, "portChips")
            const list = []
            for (let i = 0; i < chips.children.length; ++i)
                if (chips.children[i].port !== undefined)
                    list.push(chips.children[i])
            const expected = [
                { name: "Port 1, geprüft", symbol: "checkmark.circle.fill", color: Theme.brandGreen },
                { name: "Port 2, geprüft", symbol: "checkmark.circle.fill", color: Theme.brandGreen },
                { name: "Port 3, vermutlich defekt", symbol: "xmark.circle.fill", color: Theme.alertRed },
                { name: "Port 4, wird geprüft", symbol: "circle", color: Theme.brandGreen },
                { name: "Port 5, noch nicht geprüft", symbol: "circle", color: Theme.withAlpha(Theme.secondaryColor, 0.45) }
            ]
            compare(list.length, expected.length)
            for (let i = 0; i < expected.length; ++i) {
                compare(list[i].Accessible.name, expected[i].name)
                compare(list[i].symbol, expected[i].symbol, expected[i].name)
                verify(Qt.colorEqual(list[i].symbolColor, expected[i].color), expected[i].name)
            }
        }

        function test_withoutReportOneChip() {
            const view = createTemporaryObject(testing, host, { model: model({ portTestStatus: "waitingForConnection" }) })
            compare(findChild(view, "portHeading").text, "USB-C Anschluss 1 von 1")
        }

        function test_preparationCountsAndGlyphs_data() {
            return [
                { tag: "no report", report: null, text: "Die App hat 1 USB-C bzw. Thunderbolt Anschluss für", glyphs: 1 },
                { tag: "one port", report: report(1, 1), text: "Die App hat 1 USB-C bzw. Thunderbolt Anschluss für", glyphs: 1 },
                { tag: "two ports", report: report(2, 2), text: "Die App hat 2 USB-C bzw. Thunderbolt Anschlüsse für", glyphs: 2 },
                { tag: "six ports", report: report(6, 6), text: "Die App hat 6 USB-C bzw. Thunderbolt Anschlüsse für", glyphs: 4 }
            ]
        }
        function test_preparationCountsAndGlyphs(data) {
            const view = createTemporaryObject(preparation, host, { model: model({ hardwareReport: data.report }) })
            verify(findChild(view, "explanation").text.startsWith(data.text), findChild(view, "explanation").text)
            const row = findChild(view, "portGlyphs")
            let glyphs = 0
            for (let i = 0; i < row.children.length; ++i)
                if (row.children[i].active !== undefined)
                    ++glyphs
            compare(glyphs, data.glyphs)
        }

        function test_failureScreenCounts() {
            const withReport = createTemporaryObject(failure, host, { model: model({ hardwareReport: report(3, 0) }) })
            verify(findChild(withReport, "countRow").visible)
            compare(findChild(findChild(withReport, "expectedCount"), "metricValue").text, "3")
            compare(findChild(findChild(withReport, "reachableCount"), "metricValue").text, "0")
            const m = model({})
            const without = createTemporaryObject(failure, host, { model: m })
            verify(!findChild(without, "countRow").visible, "no report, no counts")
            mouseClick(findChild(without, "estimateButton"))
            mouseClick(findChild(without, "resetButton"))
            compare(m.count("openRepairPage"), 1)
            compare(m.count("resetDiagnosis"), 1)
        }

        function test_evaluationPercentage() {
            const view = createTemporaryObject(evaluation, host, { progress: 0 })
            compare(findChild(view, "percentage").text, "0 %")
            view.progress = 0.5
            compare(findChild(view, "percentage").text, "50 %")
            view.progress = 0.999
            compare(findChild(view, "percentage").text, "99 %")
            view.progress = 1
            compare(findChild(view, "percentage").text, "100 %")
        }

        function test_resultVerdicts() {
            const positive = createTemporaryObject(result, host, { model: model({
                portResults: [{ ordinal: 1, state: "limited", adapterWatts: 0, note: "n" }], failedResults: [] }) })
            compare(findChild(positive, "verdictHeadline").text, "Alle USB-C Anschlüsse reagieren korrekt")
            verify(!findChild(positive, "repairButton").visible)
            verify(findChild(positive, "wattBadge").visible, "0 W still shows")

            const failed = { ordinal: 2, state: "failed", adapterWatts: null, note: "n" }
            const negative = createTemporaryObject(result, host, { model: model({
                portResults: [{ ordinal: 1, state: "passed", adapterWatts: 96, note: "n" }, failed], failedResults: [failed] }) })
            compare(findChild(negative, "verdictHeadline").text, "Mindestens ein USB-C Anschluss ist vermutlich defekt")
            verify(findChild(negative, "repairButton").visible)
        }
    }
}
