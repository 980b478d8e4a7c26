import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A titled slider over [from, to] and its printed value. Every move (drag, click, wheel or arrow key)
// emits `moved`; the handle then follows `value` again, so a write the store refuses springs back.
RowLayout {
    id: row

    property string title
    property real from: 0
    property real to: 1
    property real value: 0
    property string unit
    property string text: value.toFixed(2)
    // What a screen reader calls the slider; rows that repeat a title (one block per seat) say whose it is.
    property string accessibleName: title

    signal moved(real value)

    Layout.fillWidth: true
    spacing: Theme.spacing

    Text {
        Layout.preferredWidth: 150
        Layout.maximumWidth: 150
        text: row.title
        color: Theme.text
        font.pixelSize: Theme.fontBody
        // A long title takes a second line rather than losing its end.
        wrapMode: Text.Wrap
        maximumLineCount: 2
        elide: Text.ElideRight
    }

    Slider {
        id: slider
        objectName: "slider"
        Layout.fillWidth: true
        Layout.minimumWidth: 120
        from: row.from
        to: row.to
        value: row.value
        stepSize: (row.to - row.from) / 100
        snapMode: Slider.NoSnap
        focusPolicy: Qt.StrongFocus
        Accessible.name: row.accessibleName

        onMoved: {
            row.moved(value)
            value = Qt.binding(function() { return row.value })
        }

        background: Item {
            x: slider.leftPadding
            y: slider.topPadding + slider.availableHeight / 2 - height / 2
            implicitWidth: 200
            implicitHeight: 6
            width: slider.availableWidth
            height: 6

            Rectangle {
                anchors.fill: parent
                radius: 3
                color: Theme.well
                border.color: Theme.stroke
            }
            Rectangle {
                width: slider.visualPosition * parent.width
                height: parent.height
                radius: 3
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0; color: Theme.accent }
                    GradientStop { position: 1; color: Theme.accent2 }
                }
            }
        }
        handle: Rectangle {
            x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
            y: slider.topPadding + slider.availableHeight / 2 - height / 2
            implicitWidth: 18
            implicitHeight: 18
            radius: 9
            color: slider.pressed ? "#e8e4f4" : "white"
            border.color: Qt.rgba(0, 0, 0, 0.25)
            scale: slider.pressed ? 1.08 : (slider.hovered ? 1.04 : 1)
            Behavior on scale { NumberAnimation { duration: 90 } }
            FocusRing { visible: slider.visualFocus }
        }
    }

    Text {
        Layout.preferredWidth: 48
        Layout.maximumWidth: 48
        horizontalAlignment: Text.AlignRight
        text: row.text
        color: Theme.dim
        font.pixelSize: Theme.fontBody
        font.family: Theme.monoFamily
        Accessible.ignored: true
    }
}
