import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A titled switch. `toggled` carries the new state; the switch then follows `checked` again.
RowLayout {
    id: row

    property string title
    property bool checked

    signal toggled(bool checked)

    Layout.fillWidth: true
    spacing: Theme.spacing

    Text {
        Layout.fillWidth: true
        text: row.title
        color: Theme.text
        font.pixelSize: Theme.fontBody
        elide: Text.ElideRight
    }

    Switch {
        id: control
        objectName: "switch"
        checked: row.checked
        focusPolicy: Qt.StrongFocus
        Accessible.name: row.title
        padding: 0
        // The Basic switch leaves its indicator out of its size; without this it pokes past the row's end.
        implicitWidth: implicitIndicatorWidth
        implicitHeight: implicitIndicatorHeight

        onToggled: {
            row.toggled(checked)
            checked = Qt.binding(function() { return row.checked })
        }

        indicator: Rectangle {
            implicitWidth: 40
            implicitHeight: 22
            radius: 11
            color: control.checked ? Theme.mint : Theme.well
            border.color: control.checked ? "transparent" : Theme.stroke
            Behavior on color { ColorAnimation { duration: 120 } }

            Rectangle {
                x: control.checked ? parent.width - width - 3 : 3
                anchors.verticalCenter: parent.verticalCenter
                width: 16
                height: 16
                radius: 8
                color: "white"
                Behavior on x { NumberAnimation { duration: 120 } }
            }
            Rectangle {
                anchors.fill: parent
                radius: parent.radius
                color: control.pressed ? Theme.pressed : (control.hovered ? Theme.hover : "transparent")
            }
            FocusRing { visible: control.visualFocus }
        }
        contentItem: Item {}
    }
}
