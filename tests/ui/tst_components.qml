import QtQuick
import QtTest
import Kabelwacht

// The shared components' states.
Item {
    id: host
    width: 400
    height: 400

    Component { id: port; USBCPortSymbol {} }
    Component { id: primary; PrimaryButton { text: "Los" } }
    Component { id: secondary; SecondaryButton { text: "Fertig" } }
    Component { id: mark; DOZOvadaAppMark {} }
    Component { id: pill; StatusPill { icon: "lock.shield"; text: "100 % lokal" } }

    TestCase {
        name: "Components"
        when: windowShown

        function test_portSymbolStates() {
            const idle = createTemporaryObject(port, host, { active: false, failed: false })
            verify(!findChild(idle, "indicator").visible)
            compare(idle.width, 90)
            compare(idle.height, 80)

            const active = createTemporaryObject(port, host, { active: true, failed: false })
            verify(findChild(active, "indicator").visible)
            compare(findChild(active, "socketOutline").border.color, Theme.brandGreen)

            const failed = createTemporaryObject(port, host, { active: true, failed: true })
            verify(!findChild(failed, "indicator").visible, "failed wins over active")
            compare(findChild(failed, "socketOutline").border.color, Theme.alertRed)
        }

        function test_primaryButtonShrinksAndFadesWhilePressed() {
            const button = createTemporaryObject(primary, host)
            verify(button.height >= 48)
            mousePress(button)
            compare(button.scale, 0.98)
            compare(button.opacity, 0.9)
            mouseRelease(button)
            compare(button.scale, 1)
            compare(button.opacity, 1)
        }

        function test_secondaryButtonOnlyLightens() {
            const button = createTemporaryObject(secondary, host)
            verify(button.height >= 44)
            fuzzyCompare(button.background.color.a, 0.72, 0.01)
            mousePress(button)
            fuzzyCompare(button.background.color.a, 0.45, 0.01)
            compare(button.scale, 1)
            mouseRelease(button)
        }

        function test_markGeometry() {
            const m = createTemporaryObject(mark, host, { size: 100 })
            compare(m.width, 100)
            fuzzyCompare(m.cornerRadius, 23.5, 0.001)
        }

        function test_pillIsACapsule() {
            const p = createTemporaryObject(pill, host)
            compare(p.radius, p.height / 2)
            fuzzyCompare(p.color.a, 0.1, 0.01)
        }

        function test_everySymbolHasAGlyph() {
            for (const name of ["play.fill", "info.circle", "checkmark.circle.fill", "checkmark", "globe",
                                "magnifyingglass", "lock.shield", "bolt.fill", "externaldrive.connected.to.line.below",
                                "envelope", "phone", "safari", "arrow.up.right.square", "checkmark.seal.fill",
                                "hand.raised.fill", "exclamationmark.triangle.fill"])
                verify(IconGlyphs.glyphs[name] !== undefined && IconGlyphs.glyphs[name].length > 0, name)
        }
    }
}
