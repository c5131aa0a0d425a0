import QtQuick

// Says a short text once to a screen reader: a notification shown anew for each text, which is
// what the readers speak without the focus moving. Running values such as a countdown are not
// said here; a reader finds them in the window when asked.
Item {
    id: root
    property string message
    property string pending
    visible: false
    Accessible.role: Accessible.Notification
    Accessible.name: message

    // A state that passes at once (ready, then waiting for the cable, while the computer is
    // looked at) is not worth a word: a text is said once nothing newer has come for a moment.
    function say(text) {
        if (!text)
            return
        pending = text
        settle.restart()
    }
    Timer {
        id: settle
        interval: 250
        onTriggered: {
            root.visible = false
            root.message = "" // the same text again is news again: its name changes all the same
            root.message = root.pending
            root.visible = true
        }
    }
}
