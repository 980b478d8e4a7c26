import QtQuick

// The keyboard focus ring drawn around a control (its parent); shown while `visible`.
Rectangle {
    property real gap: 3
    anchors.fill: parent
    anchors.margins: -gap
    radius: (parent && parent.radius !== undefined ? parent.radius : Theme.radiusSmall) + gap
    color: "transparent"
    border.color: Theme.focusRing
    border.width: 2
    visible: false
}
