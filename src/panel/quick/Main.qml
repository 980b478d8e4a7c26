import QtQuick
import QtQuick.Layouts
import QtQuick.Shapes
import Plimsa.Panel

// The panel window's content: the background, the sidebar and the page the panel points at.
Item {
    id: root

    required property PanelModel panel

    width: 940
    height: 720
    focus: true

    Keys.onEscapePressed: panel.close()
    Shortcut {
        sequences: [StandardKey.Close]
        onActivated: root.panel.close()
    }

    Rectangle {
        anchors.fill: parent
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.bgTop }
            GradientStop { position: 1; color: Theme.bgBottom }
        }
    }
    Shape {
        anchors.fill: parent
        ShapePath {
            strokeWidth: -1
            fillGradient: RadialGradient {
                centerX: root.width; centerY: 0; centerRadius: 520
                focalX: root.width; focalY: 0
                GradientStop { position: 0; color: Qt.rgba(Theme.accent2.r, Theme.accent2.g, Theme.accent2.b, 0.35) }
                GradientStop { position: 1; color: Qt.rgba(Theme.accent2.r, Theme.accent2.g, Theme.accent2.b, 0) }
            }
            PathLine { x: root.width; y: 0 }
            PathLine { x: root.width; y: root.height }
            PathLine { x: 0; y: root.height }
            PathLine { x: 0; y: 0 }
        }
        ShapePath {
            strokeWidth: -1
            fillGradient: RadialGradient {
                centerX: 0; centerY: root.height; centerRadius: 480
                focalX: 0; focalY: root.height
                GradientStop { position: 0; color: Qt.rgba(Theme.sky.r, Theme.sky.g, Theme.sky.b, 0.18) }
                GradientStop { position: 1; color: Qt.rgba(Theme.sky.r, Theme.sky.g, Theme.sky.b, 0) }
            }
            PathLine { x: root.width; y: 0 }
            PathLine { x: root.width; y: root.height }
            PathLine { x: 0; y: root.height }
            PathLine { x: 0; y: 0 }
        }
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        Sidebar {
            Layout.preferredWidth: Theme.sidebarWidth
            Layout.fillHeight: true
            panel: root.panel
        }

        Loader {
            id: detail
            objectName: "detail"
            Layout.fillWidth: true
            Layout.fillHeight: true

            function load() {
                const files = { swing: "SwingPage.qml", corner: "CornerPage.qml", packs: "PacksPage.qml", general: "GeneralPage.qml" }
                const kind = root.panel.pageKind
                const properties = { panel: root.panel }
                if (kind === "swing" || kind === "corner") properties.recordId = root.panel.pageId
                setSource(files[kind], properties)
            }

            Component.onCompleted: load()
            Connections {
                target: root.panel
                function onPageChanged() { detail.load() }
            }
        }
    }
}
