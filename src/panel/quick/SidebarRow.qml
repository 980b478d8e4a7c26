import QtQuick
import QtQuick.Layouts
import Plimsa.Panel

// One navigation row of the sidebar: character portraits or a symbol, then the title. Activated by a
// click, Return or Space.
Rectangle {
    id: row

    property PanelModel panel
    property string title
    property var portraits: []
    property string icon
    property bool selected

    signal activated()

    Layout.fillWidth: true
    implicitHeight: 40
    radius: 10
    color: selected ? Theme.selection : (mouse.pressed ? Theme.pressed : (mouse.containsMouse ? Theme.hover : "transparent"))
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.checked: selected
    Accessible.onPressAction: activated()
    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()
    Keys.onSpacePressed: activated()

    Rectangle {
        visible: row.selected
        x: 0
        anchors.verticalCenter: parent.verticalCenter
        width: 3
        height: 18
        radius: 1.5
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.accent }
            GradientStop { position: 1; color: Theme.accent2 }
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        spacing: 10

        RowLayout {
            visible: row.portraits.length > 0
            spacing: -8
            Repeater {
                model: row.portraits
                PortraitView {
                    required property string modelData
                    panel: row.panel
                    name: modelData
                    size: 28
                }
            }
        }
        Icon {
            visible: row.portraits.length === 0 && row.icon !== ""
            name: row.icon
            color: row.selected ? Theme.text : Theme.dim
            size: 17
        }
        Text {
            Layout.fillWidth: true
            text: row.title
            color: Theme.text
            font.pixelSize: Theme.fontBody
            font.weight: row.selected ? Font.DemiBold : Font.Normal
            elide: Text.ElideRight
        }
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: row.activated()
    }
    FocusRing { gap: 1; visible: row.activeFocus }
}
