import QtQuick

// Stands in for the diagnosis model: the values the window reads, and counters for what it calls.
QtObject {
    property string phase: "intro"
    property var hardwareReport: null
    property var portResults: []
    property string portTestStatus: "ready"
    property int secondsRemaining: 25
    property real evaluationProgress: 0
    property var transientMessage: null
    property int currentPortNumber: 1
    property var failedResults: []
    property var weakPorts: []
    property string reportText: ""
    property string repairPageURL: ""

    property var calls: ({})
    function record(name) { const c = calls; c[name] = (c[name] || 0) + 1; calls = c }
    function count(name) { return calls[name] || 0 }

    function startDiagnosis() { record("startDiagnosis") }
    function resetDiagnosis() { record("resetDiagnosis") }
    function beginPortTesting() { record("beginPortTesting") }
    function restartPortTest() { record("restartPortTest") }
    function markCurrentPortDefective() { record("markCurrentPortDefective") }
    function copyReport() { record("copyReport") }
    function openRepairPage() { record("openRepairPage") }
    function openWebsite() { record("openWebsite") }
}
