import QtQuick
import QtQuick.Templates as T
import Kabelwacht

// A vertical scroll view as the window's long screens and the legal sheet share it: content that
// leaves at the top or the bottom fades into the backdrop over the last `fade` points instead of
// being cut, the bar stays on for as long as there is more than fits and keeps clear of the edges
// by `barInset`, and the keys scroll it. Give it a contentHeight: it holds more than one item.
T.ScrollView {
    id: root
    // What lies behind the view; the fade draws it over the content. Without one, the edges are cut.
    property Item backdrop: null
    property real fade: 0
    property real barInset: 0
    readonly property bool overflows: contentHeight > availableHeight + 0.5

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset, contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset, contentHeight + topPadding + bottomPadding)
    contentWidth: availableWidth
    focus: true
    T.ScrollBar.vertical: ThinScrollBar {
        parent: root
        x: root.width - width - root.barInset
        y: root.barInset
        height: root.height - 2 * root.barInset
        // More than fits shows its bar all the time, not only while it moves.
        policy: root.overflows ? T.ScrollBar.AlwaysOn : T.ScrollBar.AsNeeded
    }

    Keys.onUpPressed: T.ScrollBar.vertical.decrease()
    Keys.onDownPressed: T.ScrollBar.vertical.increase()
    Keys.onPressed: event => {
        const bar = T.ScrollBar.vertical
        const page = availableHeight / Math.max(1, contentHeight)
        switch (event.key) {
        case Qt.Key_PageUp: bar.position = Math.max(0, bar.position - page); break
        case Qt.Key_PageDown:
        case Qt.Key_Space: bar.position = Math.min(1 - bar.size, bar.position + page); break
        case Qt.Key_Home: bar.position = 0; break
        case Qt.Key_End: bar.position = 1 - bar.size; break
        default: return
        }
        event.accepted = true
    }

    // The backdrop drawn over the content in thin strips, more opaque towards the edge: a fade that
    // any renderer draws, since it needs no shader, only pictures of the backdrop. `backdropOrigin`
    // is where the view's top-left corner lies on the backdrop while its screen is at rest; a screen
    // sliding in or out takes the picture with it.
    property point backdropOrigin: Qt.point(0, 0)
    component FadeBand: Item {
        id: band
        property bool atTop
        readonly property int steps: 10
        parent: root // over the view, not in the scrolled content
        visible: root.backdrop !== null && root.fade > 0
        width: root.width
        height: root.fade
        y: atTop ? 0 : root.height - height
        z: 1
        Repeater {
            model: band.visible ? band.steps : 0
            delegate: ShaderEffectSource {
                required property int index
                y: index * height
                width: band.width
                height: band.height / band.steps
                sourceItem: root.backdrop
                sourceRect: Qt.rect(root.backdropOrigin.x, root.backdropOrigin.y + band.y + y, width, height)
                opacity: band.atTop ? 1 - (index + 0.5) / band.steps : (index + 0.5) / band.steps
            }
        }
    }
    // Held in properties, not as children: a child would become scrolled content, and content that
    // arrives before the bar leaves the bar without its size.
    readonly property Item topFade: FadeBand { atTop: true }
    readonly property Item bottomFade: FadeBand { atTop: false }
}
