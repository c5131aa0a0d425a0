import QtQuick
import QtTest
import Kabelwacht
import "Texts.js" as Texts

// The sidebar's texts and the look of its steps in each state.
Item {
    id: host
    width: 278
    height: 740

    Component { id: sidebar; SidebarView { height: 740 } }

    TestCase {
        name: "Sidebar"
        when: windowShown

        function rows(view) {
            const list = findChild(view, "stepList")
            const result = []
            for (let i = 0; i < list.children.length; ++i)
                if (list.children[i].stepState !== undefined)
                    result.push(list.children[i])
            return result
        }

        function test_texts() {
            const view = createTemporaryObject(sidebar, host, { currentStep: 1 })
            const texts = Texts.collect(view)
            for (const expected of ["Kabelwacht", "ZIV-A Dodiv", "Controller prüfen", "USB-C Hardware wird erkannt",
                                    "Anschlüsse testen", "Ladekabel nacheinander verbinden", "Diagnose auswerten",
                                    "Messwerte werden bewertet", "Resultat", "Klare Empfehlung erhalten",
                                    AppInfo.webDomain, "Impressum / Datenschutz", "Version " + AppInfo.version])
                verify(texts.indexOf(expected) >= 0, "shows: " + expected)
            compare(AppInfo.version, Qt.application.version, "the version of this build")
            verify(/^\d+\.\d+\.\d+$/.test(AppInfo.version))
        }

        function test_stepStates_data() {
            return [1, 2, 3, 4].map(step => ({ tag: "step " + step, step: step }))
        }
        function test_stepStates(data) {
            const view = createTemporaryObject(sidebar, host, { currentStep: data.step })
            const list = rows(view)
            compare(list.length, 4)
            for (const row of list) {
                const expected = row.number < data.step ? "completed" : row.number === data.step ? "current" : "upcoming"
                compare(row.stepState, expected, "step " + row.number)
                const badge = findChild(row, "badge")
                const title = findChild(row, "stepTitle")
                const number = findChild(row, "badgeNumber")
                if (expected === "completed") {
                    verify(!number.visible, "a check mark instead of the number")
                    compare(badge.color, Qt.rgba(1, 1, 1, 1))
                } else {
                    verify(number.visible)
                    compare(number.text, String(row.number))
                }
                compare(title.font.weight, expected === "current" ? Font.Bold : Font.DemiBold)
                if (expected === "upcoming")
                    fuzzyCompare(badge.color.a, 0.13, 0.01)
            }
        }

        function test_narrowSubtitleWraps() {
            const view = createTemporaryObject(sidebar, host, { currentStep: 1 })
            const subtitle = findChild(rows(view)[1], "stepSubtitle")
            verify(subtitle.lineCount >= 1)
            compare(subtitle.elide, Text.ElideNone)
            compare(subtitle.wrapMode, Text.WordWrap)
        }
    }
}
