import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A drop-down of character names. `current` may be a name that is not in the list (an empty seat, a file
// given by path): it is shown as it is, and nothing in the list is marked.
ComboBox {
    id: box

    property var names: []
    property string current

    signal chosen(string name)

    model: names
    currentIndex: names.indexOf(current)
    displayText: current !== "" ? current : "Choose a character"
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true
    Accessible.name: "Character"
    Layout.fillWidth: true
    Layout.minimumWidth: 160
    implicitHeight: Theme.controlHeight + 4

    onActivated: function(index) {
        if (index >= 0 && index < names.length) box.chosen(names[index])
        currentIndex = Qt.binding(function() { return box.names.indexOf(box.current) })
    }

    contentItem: Text {
        leftPadding: 12
        rightPadding: box.indicator.width + 8
        text: box.displayText
        color: box.current !== "" ? Theme.text : Theme.dim
        font.pixelSize: Theme.fontBody
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    indicator: Text {
        x: box.width - width - 12
        y: (box.height - height) / 2
        text: "\u25BE"
        color: Theme.dim
        font.pixelSize: Theme.fontBody
    }

    background: Rectangle {
        implicitWidth: 180
        radius: Theme.radiusSmall
        color: box.down ? Theme.pressed : (box.hovered ? Theme.hover : Theme.well)
        border.color: Theme.stroke
        FocusRing { visible: box.visualFocus }
    }

    delegate: ItemDelegate {
        id: entry
        required property var modelData
        required property int index
        width: ListView.view ? ListView.view.width : implicitWidth
        highlighted: box.highlightedIndex === index
        Accessible.name: modelData
        contentItem: Text {
            text: entry.modelData
            color: Theme.text
            font.pixelSize: Theme.fontBody
            font.weight: entry.modelData === box.current ? Font.DemiBold : Font.Normal
            elide: Text.ElideRight
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            color: entry.highlighted ? Theme.selection : "transparent"
            radius: 6
        }
    }

    popup: Popup {
        y: box.height + 4
        width: box.width
        implicitHeight: Math.min(list.contentHeight + 12, 300)
        padding: 6
        contentItem: ListView {
            id: list
            clip: true
            implicitHeight: contentHeight
            model: box.popup.visible ? box.delegateModel : null
            currentIndex: box.highlightedIndex
            ScrollIndicator.vertical: ScrollIndicator {}
        }
        background: Rectangle {
            radius: Theme.radiusSmall
            color: "#231d38"
            border.color: Qt.rgba(1, 1, 1, 0.16)
        }
    }
}
