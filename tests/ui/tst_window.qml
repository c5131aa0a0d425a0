import QtQuick
import QtTest
import Kabelwacht
import "Texts.js" as Texts

// The window: its sizes, its hidden title bar, and the intro screen's texts.
Item {
    Component { id: mockModel; MockModel {} }
    Component { id: mainWindow; Main {} }

    TestCase {
        name: "Window"

        function test_sizesAndIntroTexts() {
            const model = createTemporaryObject(mockModel, null)
            const window = createTemporaryObject(mainWindow, null, { model: model, animationsEnabled: false })
            verify(window)
            compare(window.width, 1080)
            compare(window.height, 740)
            compare(window.minimumWidth, 980)
            compare(window.minimumHeight, 680)
            verify(window.flags & Qt.FramelessWindowHint, "no title bar")
            // Holding the minimum is the window system's part; at the minimum, the intro must still be whole.
            window.width = window.minimumWidth
            window.height = window.minimumHeight
            waitForRendering(window.contentItem)
            const start = findChild(window.contentItem, "startButton")
            const box = start.mapToItem(window.contentItem, 0, 0, start.width, start.height)
            verify(box.x >= 0 && box.y >= 0 && box.x + box.width <= 980 && box.y + box.height <= 680,
                   "the start button lies inside the window")

            const texts = Texts.collect(window.contentItem)
            for (const expected of ["Sind alle USB-C Anschlüsse in Ordnung?",
                                    "Der Kabelwacht ZIV-A Dodiv prüft zuerst die erreichbaren Controller und führt anschließend durch einen Ladetest an jedem vorhandenen USB-C bzw. Thunderbolt Anschluss.",
                                    "100 % lokal", "Ohne Administratorrechte", "USB-C & Thunderbolt",
                                    "USB-C Diagnose starten",
                                    "Vor dem Start bitte alle USB-C Geräte, Netzteile und gegebenenfalls MagSafe trennen.",
                                    "Native Diagnose für MacBook"])
                verify(texts.indexOf(expected) >= 0, "shows: " + expected)
        }
    }
}
