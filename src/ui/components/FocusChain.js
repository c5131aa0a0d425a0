.pragma library
// Keyboard focus moves that the window's own Tab handling does not make.

// Whether item is ancestor or lies inside it.
function within(ancestor, item) {
    for (let p = item; p; p = p.parent)
        if (p === ancestor)
            return true
    return false
}

// Gives the focus to the next (or previous) item of the Tab chain after from that accept takes
// (any, without accept); false when the chain comes round to from without one.
function moveOn(from, forward, accept) {
    let item = from
    for (let step = 0; step < 500; ++step) {
        item = item.nextItemInFocusChain(forward)
        if (!item || item === from)
            return false
        if (!accept || accept(item)) {
            item.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
            return true
        }
    }
    return false
}
