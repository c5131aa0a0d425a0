import QtQuick
import Kabelwacht

// A control without chrome: an optional symbol and a text. A link to screen readers by default;
// one that opens something of the program's own says it is a button. Built on a plain item, since
// a button template would insist on being read as a button.
Item {
    id: control
    property string text
    property string iconName
    property real size: 13
    property int weight: Font.Normal
    property color color: Theme.primaryLabel
    property alias focusColor: ring.ringColor
    readonly property alias hovered: hover.hovered
    readonly property alias pressed: tap.pressed
    signal clicked()

    implicitWidth: row.implicitWidth
    implicitHeight: row.implicitHeight
    activeFocusOnTab: true

    Accessible.role: Accessible.Link
    Accessible.name: text
    Accessible.focusable: true
    Accessible.focused: activeFocus
    Accessible.onPressAction: clicked()
    Keys.onSpacePressed: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    HoverHandler {
        id: hover
        cursorShape: Qt.PointingHandCursor
    }
    TapHandler {
        id: tap
        gesturePolicy: TapHandler.ReleaseWithinBounds
        onTapped: control.clicked()
    }

    Row {
        id: row
        spacing: 8
        opacity: control.pressed ? 0.6 : 1
        Icon {
            id: symbol
            visible: control.iconName !== ""
            name: control.iconName
            size: control.size
            color: control.color
            anchors.verticalCenter: parent.verticalCenter
        }
        StyledText {
            id: label
            Accessible.ignored: true
            text: control.text
            size: control.size
            font.weight: control.weight
            font.underline: control.hovered
            color: control.color
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    // A text has no outline of its own, and its letters do not fill its box: descenders reach
    // below it, capitals stop short of its top. The ring goes round the ink of the symbol and the
    // letters instead, with 3 pt of air and its own light inner line between.
    FontMetrics { id: symbolMetrics; font: symbol.font }
    FontMetrics { id: labelMetrics; font: label.font }
    function inkOf(item, metrics) {
        const r = metrics.tightBoundingRect(item.text)
        // The metrics may measure the face at another resolution than the text is set at: they
        // are taken to the scale of the text's own width.
        const k = item.implicitWidth / Math.max(1, metrics.advanceWidth(item.text))
        const x = row.x + item.x + (item.width - item.implicitWidth) / 2
        const baseline = row.y + item.y + item.baselineOffset
        return { left: x + k * r.x, top: baseline + k * r.y, right: x + k * (r.x + r.width), bottom: baseline + k * (r.y + r.height) }
    }
    readonly property var ink: {
        const parts = [symbol.visible ? inkOf(symbol, symbolMetrics) : null, label.text !== "" ? inkOf(label, labelMetrics) : null]
            .filter(part => part !== null && part.right > part.left)
        if (parts.length === 0)
            return { left: 0, top: 0, right: width, bottom: height }
        return { left: Math.min(...parts.map(p => p.left)), top: Math.min(...parts.map(p => p.top)),
                 right: Math.max(...parts.map(p => p.right)), bottom: Math.max(...parts.map(p => p.bottom)) }
    }
    FocusRing {
        id: ring
        control: control
        // Rounded no further than the air: a corner of a symbol keeps its 3 pt too.
        cornerRadius: 0
        gap: 4
        readonly property real reach: gap + border.width
        anchors.leftMargin: control.ink.left - reach
        anchors.topMargin: control.ink.top - reach
        anchors.rightMargin: control.width - control.ink.right - reach
        anchors.bottomMargin: control.height - control.ink.bottom - reach
    }
}
