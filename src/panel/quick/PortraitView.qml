import QtQuick
import Plimsa.Panel

// A character's tile: a rounded square over a soft gradient showing the character's thumbnail (the
// person symbol while there is none) and, with `live` set, the live portrait once it is ready.
Item {
    id: tile

    property PanelModel panel
    property string name
    property real size: 64
    property bool live: false

    readonly property real cornerRadius: size * 0.22

    width: size
    height: size
    implicitWidth: size
    implicitHeight: size
    Accessible.role: Accessible.Graphic
    Accessible.name: name

    Rectangle {
        anchors.fill: parent
        radius: tile.cornerRadius
        antialiasing: true
        border.color: Theme.stroke
        gradient: Gradient {
            GradientStop { position: 0; color: Qt.rgba(Theme.lilac.r, Theme.lilac.g, Theme.lilac.b, 0.35) }
            GradientStop { position: 1; color: Qt.rgba(Theme.sky.r, Theme.sky.g, Theme.sky.b, 0.18) }
        }
    }

    Icon {
        anchors.centerIn: parent
        visible: !thumbnail.available && !portrait.ready
        name: "person.fill"
        color: Theme.dim
        size: tile.size * 0.55
    }

    ThumbnailItem {
        id: thumbnail

        anchors.fill: parent
        visible: !portrait.ready
        panel: tile.panel
        name: tile.name
        radius: tile.cornerRadius
    }

    PortraitItem {
        id: portrait

        anchors.fill: parent
        // Drawn while hidden, so that it has a frame to show the moment it is ready.
        opacity: ready ? 1 : 0
        panel: tile.panel
        name: tile.name
        live: tile.live
        radius: tile.cornerRadius
    }
}
