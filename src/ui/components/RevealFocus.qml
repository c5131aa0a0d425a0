import QtQuick
import "FocusChain.js" as FocusChain

// Keeps the focused control of a scrolled view whole in sight as the keyboard moves through it.
Item {
    id: root
    required property Flickable flickable
    // Room beyond the control, so that what comes after it shows too, not only its own edge.
    property real margin: 40
    readonly property Item focused: Window.activeFocusItem
    onFocusedChanged: Qt.callLater(reveal) // after the layout has placed what just became visible

    function reveal() {
        if (!focused || !FocusChain.within(flickable.contentItem, focused))
            return
        const top = focused.mapToItem(flickable.contentItem, 0, 0).y
        const bottom = top + focused.height
        let y = flickable.contentY
        if (top - margin < y)
            y = top - margin
        else if (bottom + margin > y + flickable.height)
            y = bottom + margin - flickable.height
        flickable.contentY = Math.max(0, Math.min(y, flickable.contentHeight - flickable.height))
    }
}
