import QtQuick

// A character's tile until live portraits are in: a rounded square over a soft gradient with the
// person symbol.
Rectangle {
    property string name
    property real size: 28

    width: size
    height: size
    implicitWidth: size
    implicitHeight: size
    radius: size * 0.28
    border.color: Theme.stroke
    gradient: Gradient {
        GradientStop { position: 0; color: Qt.rgba(Theme.lilac.r, Theme.lilac.g, Theme.lilac.b, 0.35) }
        GradientStop { position: 1; color: Qt.rgba(Theme.sky.r, Theme.sky.g, Theme.sky.b, 0.18) }
    }
    Icon {
        anchors.centerIn: parent
        name: "person.fill"
        color: Theme.dim
        size: parent.size * 0.55
    }
}
