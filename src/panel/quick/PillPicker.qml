import QtQuick
import QtQuick.Layouts

// One capsule per {value, label} option; the one whose value is `current` is highlighted. A click, or
// Left/Right while it has keyboard focus, emits `picked` with the option's value.
Item {
    id: picker

    property string title
    property var options: []
    property var current

    signal picked(var value)

    readonly property int currentIndex: {
        for (let i = 0; i < options.length; ++i)
            if (options[i].value == current) return i
        return -1
    }

    // Clicks focus the picker too; only keyboard focus shows the ring.
    property bool focusedByMouse: false
    onActiveFocusChanged: if (!activeFocus) focusedByMouse = false

    function pickAt(index) {
        if (index >= 0 && index < options.length && index !== currentIndex)
            picked(options[index].value)
    }

    Layout.fillWidth: true
    implicitWidth: flow.implicitWidth
    implicitHeight: flow.implicitHeight
    activeFocusOnTab: true
    Accessible.role: Accessible.PageTabList
    Accessible.name: title
    Accessible.description: currentIndex >= 0 ? options[currentIndex].label : ""

    Keys.onLeftPressed: pickAt(Math.max(0, currentIndex - 1))
    Keys.onRightPressed: pickAt(Math.min(options.length - 1, currentIndex + 1))

    Flow {
        id: flow
        width: picker.width
        spacing: 6

        Repeater {
            model: picker.options

            Rectangle {
                id: pill
                required property var modelData
                required property int index
                readonly property bool selected: index === picker.currentIndex

                implicitWidth: label.implicitWidth + 28
                implicitHeight: Theme.controlHeight
                width: implicitWidth
                height: implicitHeight
                radius: height / 2
                color: mouse.pressed ? Theme.pressed : (mouse.containsMouse ? Theme.hover : Theme.well)
                border.color: selected ? "transparent" : Theme.stroke
                Accessible.role: Accessible.PageTab
                Accessible.name: modelData.label
                Accessible.checked: selected

                Rectangle {
                    anchors.fill: parent
                    visible: pill.selected
                    radius: parent.radius
                    gradient: Gradient {
                        orientation: Gradient.Horizontal
                        GradientStop { position: 0; color: Theme.accent }
                        GradientStop { position: 1; color: Theme.accent2 }
                    }
                }
                Text {
                    id: label
                    anchors.centerIn: parent
                    text: pill.modelData.label
                    color: pill.selected ? "white" : Theme.text
                    font.pixelSize: Theme.fontBody
                    font.weight: pill.selected ? Font.DemiBold : Font.Normal
                }
                MouseArea {
                    id: mouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: {
                        picker.focusedByMouse = true
                        picker.forceActiveFocus(Qt.MouseFocusReason)
                        picker.pickAt(pill.index)
                    }
                }
            }
        }
    }

    FocusRing {
        radius: Theme.controlHeight / 2
        visible: picker.activeFocus && !picker.focusedByMouse
    }
}
