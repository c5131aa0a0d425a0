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
    Component { id: link; PlainLink { color: "black"; weight: Font.DemiBold } }

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

        // What is drawn, not the constants it is drawn from.
        function isGreen(c) { return c.g > c.r + 0.15 && c.g > c.b + 0.1 }

        function test_markHasRoundCornersAndAShadowBelow() {
            // At size 100 the corners are cut with a radius of 23.5: the curve passes about 6.9 from
            // each edge on the diagonal. The shadow lies 6 below the mark.
            const m = createTemporaryObject(mark, host, { size: 100, x: 50, y: 50 })
            waitForRendering(m)
            const image = grabImage(host)
            verify(!isGreen(image.pixel(54, 54)), "the corner is cut away")
            verify(isGreen(image.pixel(59, 59)), "the tile begins inside the curve")
            verify(image.pixel(100, 153).r < image.pixel(100, 47).r - 0.05, "the shadow falls below, not above")
        }

        function test_pillIsACapsuleTintedAtOneTenth() {
            const p = createTemporaryObject(pill, host, { x: 200, y: 300, tint: Theme.alertRed })
            waitForRendering(p)
            const image = grabImage(host)
            verify(Qt.colorEqual(image.pixel(201, 301), "white"), "round ends: the corner stays empty")
            const inside = image.pixel(203, 300 + p.height / 2)
            for (const channel of ["r", "g", "b"])
                fuzzyCompare(inside[channel], 1 - 0.1 * (1 - Theme.alertRed[channel]), 0.01, channel)
        }

        // A text link's ring keeps clear of the letters, whose ink reaches past the text's box:
        // 3 of air and the ring's light inner line between the nearest letter and the green.
        function test_linkRingClearsTheLetters_data() {
            return [{ tag: "with a symbol", iconName: "globe", text: "www.kabelwacht-beispiel.invalid", size: 12 },
                    { tag: "small", iconName: "", text: "Impressum / Datenschutz", size: 10.5 }]
        }
        function test_linkRingClearsTheLetters(data) {
            const l = createTemporaryObject(link, host, { x: 40, y: 200, iconName: data.iconName, text: data.text, size: data.size })
            l.forceActiveFocus()
            keyClick(Qt.Key_Shift) // the keyboard is in use
            verify(findChild(l, "focusRing").visible)
            waitForRendering(l)
            const image = grabImage(host)
            const ink = [], ring = []
            for (let y = 180; y < 240; ++y)
                for (let x = 20; x < 380; ++x) {
                    const c = image.pixel(x, y)
                    if (isGreen(c))
                        ring.push([x, y])
                    else if (c.r < 0.75 && Math.abs(c.g - c.r) < 0.05)
                        ink.push([x, y])
                }
            verify(ring.length > 0 && ink.length > 0)
            let closest = Infinity
            for (const [x, y] of ink)
                for (const [u, v] of ring)
                    closest = Math.min(closest, Math.hypot(x - u, y - v))
            verify(closest >= 4.5, (closest - 2).toFixed(1) + " px of air between the letters and the ring")
        }

        function test_everySymbolOfTheScreensHasAGlyph() {
            for (const name of ["arrow.up.right", "arrow.up.right.square", "bolt.fill", "cable.connector", "checkmark",
                                "checkmark.circle.fill", "checkmark.seal.fill", "circle", "cpu", "doc.on.doc", "envelope",
                                "exclamationmark.triangle.fill", "externaldrive.connected.to.line.below", "globe",
                                "hand.raised.fill", "info.circle", "lock.shield", "magnifyingglass", "phone", "play.fill",
                                "safari", "waveform.path.ecg.rectangle", "wrench.and.screwdriver.fill", "xmark.circle",
                                "xmark.circle.fill"]) {
                const shown = Qt.createQmlObject("import Kabelwacht; Icon {}", host)
                shown.name = name
                verify(shown.text.length > 0, name)
                shown.destroy()
            }
        }
    }
}
