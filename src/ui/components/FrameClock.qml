import QtQuick
import Kabelwacht

// The time since a screen appeared, for its slow, endless motions (breathing, turning). It ticks a
// few dozen times a second (interval) rather than with every frame of the display: motions this
// slow look the same, and the window draws a fraction of the frames while it waits on battery.
// Stopped, it stays where it was.
Timer {
    id: clock
    property real elapsed: 0
    property real started: 0
    interval: 33
    repeat: true
    running: Theme.animationsEnabled
    onRunningChanged: if (running) started = Date.now() - elapsed
    Component.onCompleted: started = Date.now()
    onTriggered: elapsed = Date.now() - started

    // From low to high and back, easing in and out over duration each way; starts at low.
    function swing(duration, low, high) {
        const t = (elapsed % (2 * duration)) / duration
        const p = t < 1 ? t : 2 - t
        const eased = p < 0.5 ? 2 * p * p : 1 - Math.pow(-2 * p + 2, 2) / 2
        return low + (high - low) * eased
    }
    // Whole turns at constant speed, one every period, in degrees.
    function turn(period) { return (elapsed % period) / period * 360 }
}
