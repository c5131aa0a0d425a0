import QtQuick
import QtQuick.Controls
import QtQuick.Window
import QtTest
import Kabelwacht
import "Texts.js" as Texts

// Every screen whole at the sizes a user can set: each visible button and link lies in sight, or in
// a scroll view that can bring it whole into sight, and the copy confirmation covers none of them.
Item {
    id: host
    width: 1080
    height: 740

    Component { id: mockModel; MockModel {} }
    Component { id: rootView; RootView { anchors.fill: parent } }

    TestCase {
        name: "Layout"
        when: windowShown

        readonly property var sizes: [{ width: 1080, height: 740 }, { width: 980, height: 680 }]

        function initTestCase() { Theme.animationsEnabled = false }

        function report(ports) { return { marketingName: "MacBook Pro", modelIdentifier: "MacBookPro18,3", expectedPortCount: ports } }

        function results(ports, failed) {
            const list = []
            for (let i = 1; i <= ports; ++i) {
                const bad = failed && i === Math.min(2, ports)
                list.push({ ordinal: i, state: bad ? "failed" : "passed", adapterWatts: bad ? null : 96,
                            note: bad ? "Innerhalb des Prüfzeitraums wurde an diesem Anschluss kein USB-C Ladevorgang erkannt."
                                      : "USB-C Power Delivery wurde mit einem 96-W-Netzteil erkannt." })
            }
            return list
        }

        function makeView(size, setUp) {
            host.width = size.width
            host.height = size.height
            host.Window.window.width = size.width
            host.Window.window.height = size.height
            // Models outlive their views, which read them until they are gone.
            const model = mockModel.createObject(host)
            setUp(model)
            const view = createTemporaryObject(rootView, host, { model: model })
            verify(view)
            waitForRendering(view)
            return view
        }

        function isControl(item) {
            return typeof item.clicked === "function" && item.activeFocusOnTab // buttons and links
        }
        function controls(item, list) {
            if (!item.visible || item.opacity === 0)
                return list
            if (isControl(item))
                list.push(item)
            for (let i = 0; i < item.children.length; ++i)
                controls(item.children[i], list)
            return list
        }
        function flickableOf(item) {
            for (let p = item.parent; p; p = p.parent)
                if (p.contentY !== undefined && p.contentHeight !== undefined && p.flicking !== undefined)
                    return p
            return null
        }
        function rectIn(item, target) {
            const r = item.mapToItem(target, 0, 0, item.width, item.height)
            return { x: r.x, y: r.y, width: r.width, height: r.height }
        }
        function inside(inner, outer) {
            const e = 0.5
            return inner.x >= outer.x - e && inner.y >= outer.y - e
                && inner.x + inner.width <= outer.x + outer.width + e
                && inner.y + inner.height <= outer.y + outer.height + e
        }
        function overlaps(a, b) {
            return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height
        }
        // What a user can see of an item's surroundings: the window cut by every clipping ancestor.
        function visibleArea(item, view) {
            let area = { x: 0, y: 0, width: view.width, height: view.height }
            for (let p = item.parent; p && p !== view; p = p.parent) {
                if (!p.clip)
                    continue
                const r = rectIn(p, view)
                const x = Math.max(area.x, r.x), y = Math.max(area.y, r.y)
                area = { x: x, y: y, width: Math.min(area.x + area.width, r.x + r.width) - x,
                         height: Math.min(area.y + area.height, r.y + r.height) - y }
            }
            return area
        }

        function checkControls(view, what, capsule) {
            const found = controls(view, [])
            verify(found.length > 0, what + ": no controls found")
            const overlayShown = capsule && capsule.opacity > 0
            for (const control of found) {
                const name = control.objectName || control.text
                const flickable = flickableOf(control)
                if (flickable) {
                    // Brought into view as far as the view scrolls, the control is whole in sight.
                    const maxY = Math.max(0, flickable.contentHeight + flickable.topMargin + flickable.bottomMargin - flickable.height)
                    const top = control.mapToItem(flickable.contentItem, 0, 0).y
                    flickable.contentY = Math.min(maxY, Math.max(0, top + control.height - flickable.height + 8))
                }
                verify(inside(rectIn(control, view), visibleArea(control, view)),
                       what + ": " + name + " is cut off at " + JSON.stringify(rectIn(control, view)))
                if (flickable) {
                    flickable.contentY = Math.max(0, flickable.contentHeight + flickable.topMargin + flickable.bottomMargin - flickable.height)
                }
                if (overlayShown && inside(rectIn(control, view), visibleArea(control, view)))
                    verify(!overlaps(rectIn(control, view), rectIn(capsule, view)),
                           what + ": the copy confirmation covers " + name)
                if (flickable)
                    flickable.contentY = 0
            }
        }

        function test_result_data() {
            const rows = []
            for (const size of sizes)
                for (const ports of [1, 3, 4])
                    for (const failed of [false, true])
                        rows.push({ tag: size.width + "x" + size.height + " " + ports + " ports " + (failed ? "negative" : "positive"),
                                    size: size, ports: ports, failed: failed })
            return rows
        }
        function test_result(data) {
            const view = makeView(data.size, model => {
                model.hardwareReport = report(data.ports)
                model.portResults = results(data.ports, data.failed)
                model.failedResults = model.portResults.filter(r => r.state === "failed")
                model.phase = "result"
            })
            // The report is copied: the verdict stays where it was, whole in sight below the fade
            // under the top bar, and the confirmation covers no button in sight.
            const scroller = findChild(view, "resultScroller")
            const emblem = findChild(view, "verdictEmblem"), headline = findChild(view, "verdictHeadline")
            const before = [rectIn(emblem, view), rectIn(headline, view)]
            view.model.transientMessage = "Diagnosebericht wurde kopiert."
            const capsule = findChild(view, "messageCapsule")
            tryCompare(capsule, "opacity", 1)
            waitForRendering(view)
            const view_ = rectIn(scroller, view)
            const clear = { x: view_.x, y: view_.y + scroller.fade, width: view_.width, height: view_.height - 2 * scroller.fade }
            compare(JSON.stringify([rectIn(emblem, view), rectIn(headline, view)]), JSON.stringify(before), "the verdict stays")
            verify(inside(before[0], clear) && inside(before[1], clear), data.tag + ": the verdict is not whole in sight: "
                   + JSON.stringify(before) + " in " + JSON.stringify(clear))
            checkControls(view, data.tag, capsule)
            compare(findChild(view, "repairButton").visible, data.failed)
        }

        // A port that charges below the others: the rows name it in full, the verdict says so (or the
        // defective port's verdict stands), the repair page is offered, and a reader hears it all.
        function test_weakPortResult_data() {
            const rows = []
            for (const size of sizes)
                for (const ports of [3, 4])
                    for (const failed of [false, true])
                        rows.push({ tag: size.width + "x" + size.height + " " + ports + " ports" + (failed ? " weak and failed" : " weak"),
                                    size: size, ports: ports, failed: failed })
            return rows
        }
        function test_weakPortResult(data) {
            const weakNote = "Mit demselben Netzteil wurden an Anschluss 1 96 W vereinbart, hier nur 5 V und 15 W. Das deutet "
                           + "auf eine abgenutzte Buchse oder einen beschädigten Ladepfad hin."
            const weakOrdinal = data.ports
            const view = makeView(data.size, model => {
                model.hardwareReport = report(data.ports)
                model.portResults = results(data.ports, data.failed)
                model.failedResults = model.portResults.filter(r => r.state === "failed")
                model.weakPorts = [{ ordinal: weakOrdinal, stateText: "Anschluss reagiert, lädt aber nur eingeschränkt", note: weakNote }]
                model.phase = "evaluating"
            })
            view.model.phase = "result"
            waitForRendering(view)
            const headline = data.failed ? "Mindestens ein USB-C Anschluss ist vermutlich defekt"
                                         : "Mindestens ein USB-C Anschluss lädt nur eingeschränkt"
            compare(findChild(view, "verdictHeadline").text, headline)
            compare(findChild(view, "verdictSymbol").name, data.failed ? "wrench.and.screwdriver.fill" : "exclamationmark.triangle.fill")
            compare(String(findChild(view, "verdictSymbol").color), String(data.failed ? Theme.alertRed : Theme.cautionOrange))
            tryCompare(findChild(view, "announcer"), "message", headline)
            verify(findChild(view, "repairButton").visible)
            checkControls(view, data.tag)

            const rows = findChild(view, "portRows")
            const delegates = []
            for (let i = 0; i < rows.children.length; ++i)
                if (rows.children[i].modelData !== undefined)
                    delegates.push(rows.children[i])
            compare(delegates.length, data.ports)
            for (const row of delegates) {
                const weak = row.modelData.ordinal === weakOrdinal
                const state = findChild(row, "weakState")
                const note = findChild(row, "rowNote")
                compare(state.visible, weak)
                compare(note.text, weak ? weakNote : row.modelData.note)
                if (!weak)
                    continue
                compare(String(state.color), String(Theme.cautionOrange))
                compare(findChild(row, "rowSymbol").name, "exclamationmark.triangle.fill")
                compare(row.Accessible.name, "USB-C Anschluss " + weakOrdinal + ": Anschluss reagiert, lädt aber nur eingeschränkt. " + weakNote)
                // Readable: every line of the state and the note lies inside the row, clear of the badge.
                const rowRect = rectIn(row, view)
                const badge = rectIn(findChild(row, "wattBadge"), view)
                for (const text of [state, note]) {
                    const r = rectIn(text, view)
                    verify(text.implicitHeight <= text.height + 0.5, data.tag + ": " + text.objectName + " is cut short")
                    verify(inside(r, rowRect), data.tag + ": " + text.objectName + " leaves its row " + JSON.stringify(r))
                    verify(r.x + text.contentWidth <= badge.x, data.tag + ": " + text.objectName + " runs under the badge")
                }
            }
        }

        // At the window's default size the three-port result needs no scrolling to be seen whole
        // when all passed, nor to show its buttons when one failed.
        function test_threePortResultAtDefaultSize_data() {
            return [{ tag: "positive", failed: false }, { tag: "negative", failed: true }]
        }
        function test_threePortResultAtDefaultSize(data) {
            const view = makeView(sizes[0], model => {
                model.hardwareReport = report(3)
                model.portResults = results(3, data.failed)
                model.failedResults = model.portResults.filter(r => r.state === "failed")
                model.phase = "result"
            })
            const scroller = findChild(view, "resultScroller")
            if (!data.failed)
                verify(!scroller.overflows, "the positive result scrolls: " + findChild(view, "resultColumn").implicitHeight
                       + " in " + scroller.height)
            for (const name of ["newDiagnosisButton", "copyButton", "repairButton"]) {
                const button = findChild(view, name)
                if (button.visible)
                    verify(inside(rectIn(button, view), visibleArea(button, view)), name + " needs scrolling: "
                           + JSON.stringify(rectIn(button, view)) + " in " + JSON.stringify(visibleArea(button, view)))
            }
        }

        function test_scrollsByKeyboard() {
            const view = makeView(sizes[1], model => {
                model.hardwareReport = report(4)
                model.portResults = results(4, true)
                model.failedResults = model.portResults.filter(r => r.state === "failed")
                model.phase = "result"
            })
            const scroller = findChild(view, "resultScroller")
            verify(scroller.overflows)
            compare(scroller.ScrollBar.vertical.policy, ScrollBar.AlwaysOn)
            // The thumb shows how much of the result is in view, not a sliver of no size.
            const bar = scroller.ScrollBar.vertical
            fuzzyCompare(bar.size, scroller.availableHeight / scroller.contentHeight, 0.01)
            scroller.forceActiveFocus()
            keyClick(Qt.Key_End)
            const flickable = scroller.contentItem
            verify(flickable.contentY > 0, "End scrolls to the end")
            keyClick(Qt.Key_Home)
            compare(flickable.contentY, 0)
            keyClick(Qt.Key_Down)
            verify(flickable.contentY > 0, "the arrow key scrolls")
        }

        function test_otherScreens_data() {
            const rows = []
            const screens = [
                { name: "intro", setUp: m => {} },
                { name: "controllerFailure", setUp: m => { m.hardwareReport = report(3); m.phase = "controllerFailure" } },
                { name: "portPreparation 1", setUp: m => { m.hardwareReport = report(1); m.phase = "portPreparation" } },
                { name: "portPreparation 4", setUp: m => { m.hardwareReport = report(4); m.phase = "portPreparation" } },
                { name: "portTesting timedOut 4", setUp: m => { m.hardwareReport = report(4); m.portTestStatus = "timedOut"; m.phase = "portTesting" } },
                { name: "portTesting waiting 4", setUp: m => { m.hardwareReport = report(4); m.portTestStatus = "waitingForConnection"; m.phase = "portTesting" } }
            ]
            for (const size of sizes)
                for (const screen of screens)
                    rows.push({ tag: size.width + "x" + size.height + " " + screen.name, size: size, setUp: screen.setUp })
            return rows
        }
        function test_otherScreens(data) {
            const view = makeView(data.size, data.setUp)
            checkControls(view, data.tag)
        }

        function test_legalSheet_data() {
            return sizes.map(size => ({ tag: size.width + "x" + size.height, size: size }))
        }
        function test_legalSheet(data) {
            const view = makeView(data.size, m => {})
            view.showLegalInformation = true
            const sheet = findChild(view, "legalSheet")
            tryCompare(sheet, "opened", true)
            checkControls(sheet.contentItem, data.tag + " legal sheet")

            // It scrolls as the result does: its bar stays on, and a heading scrolled half under
            // the header fades into the sheet's backdrop instead of being cut at the edge.
            const body = findChild(sheet.contentItem, "sheetBody")
            verify(body.overflows)
            compare(body.ScrollBar.vertical.policy, ScrollBar.AlwaysOn)
            verify(body.backdrop, "the body fades into the sheet")
            const heading = Texts.find(body.contentItem, "Impressum")
            waitForRendering(sheet.contentItem) // laid out anew after the scrolling above
            body.contentItem.contentY = heading.mapToItem(body.contentItem.contentItem, 0, 0).y + 9
            waitForRendering(sheet.contentItem)
            fuzzyCompare(heading.mapToItem(body, 0, 0).y, -9, 1)
            const image = grabImage(host)
            const top = Math.ceil(body.mapToItem(null, 0, 0).y)
            const r = heading.mapToItem(null, 0, 0, heading.width, heading.height)
            let most = 0 // against the backdrop beside the heading, on the same line
            for (let y = top; y < top + 2; ++y)
                for (let x = Math.floor(r.x); x < r.x + r.width; ++x)
                    most = Math.max(most, Math.abs(image.pixel(x, y).r - image.pixel(r.x - 6, y).r))
            verify(most < 0.1, "the heading shows at the edge with " + most.toFixed(2) + " of its contrast")
        }
    }
}
