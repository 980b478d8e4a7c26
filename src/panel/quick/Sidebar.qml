import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Plimsa.Panel

// The panel's navigation: the product's name, the swings, the corner sitters, the other pages, and the
// version footer.
Rectangle {
    id: sidebar

    property PanelModel panel

    color: Qt.rgba(0, 0, 0, 0.18)

    component SectionTitle: Text {
        Layout.fillWidth: true
        Layout.topMargin: 14
        Layout.leftMargin: 10
        color: Theme.dim
        font.pixelSize: Theme.fontSmall
        font.weight: Font.DemiBold
        font.letterSpacing: 0.8
        font.capitalization: Font.AllUppercase
        Accessible.role: Accessible.Heading
    }

    Rectangle {
        anchors.right: parent.right
        width: 1
        height: parent.height
        color: Theme.stroke
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 14
        anchors.topMargin: 22
        spacing: 6

        ColumnLayout {
            Layout.leftMargin: 10
            spacing: 2
            Text {
                text: "Plimsa"
                color: Theme.text
                font.pixelSize: 22
                font.weight: Font.Bold
                Accessible.role: Accessible.Heading
            }
            Text {
                text: "Totally optional, btw."
                color: Theme.dim
                font.pixelSize: Theme.fontBody
            }
        }

        ScrollView {
            id: scroll
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.topMargin: 6
            contentWidth: availableWidth
            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

            ColumnLayout {
                width: scroll.availableWidth
                spacing: 4

                SectionTitle { text: "Your swings" }
                Repeater {
                    model: sidebar.panel ? sidebar.panel.swingRows : []
                    SidebarRow {
                        required property var modelData
                        objectName: "swingRow"
                        panel: sidebar.panel
                        title: modelData.title
                        portraits: modelData.portraits
                        selected: modelData.selected
                        onActivated: sidebar.panel.showSwing(modelData.id)
                    }
                }
                Text {
                    visible: text !== ""
                    Layout.fillWidth: true
                    Layout.leftMargin: 10
                    Layout.rightMargin: 10
                    text: sidebar.panel ? sidebar.panel.swingsNote : ""
                    color: Theme.dim
                    font.pixelSize: Theme.fontSmall + 1
                    wrapMode: Text.Wrap
                }
                GradientButton {
                    objectName: "addSwing"
                    Layout.fillWidth: true
                    Layout.topMargin: 4
                    text: "Add a swing"
                    icon: "plus.circle.fill"
                    enabled: sidebar.panel ? sidebar.panel.canAddSwing : false
                    onClicked: sidebar.panel.addSwing()
                }

                SectionTitle { text: "Corner sitters" }
                Repeater {
                    model: sidebar.panel ? sidebar.panel.cornerRows : []
                    SidebarRow {
                        required property var modelData
                        objectName: "cornerRow"
                        panel: sidebar.panel
                        title: modelData.title
                        portraits: modelData.portraits
                        selected: modelData.selected
                        onActivated: sidebar.panel.showCorner(modelData.id)
                    }
                }
                GhostButton {
                    objectName: "addCorner"
                    Layout.fillWidth: true
                    Layout.topMargin: 4
                    text: "Add a corner sitter"
                    icon: "plus.circle.fill"
                    onClicked: sidebar.panel.addCorner()
                }

                SectionTitle { text: "More" }
                SidebarRow {
                    title: "Characters & packs"
                    icon: "person.2.fill"
                    selected: sidebar.panel ? sidebar.panel.pageKind === "packs" : false
                    onActivated: sidebar.panel.showPacks()
                }
                SidebarRow {
                    title: "General"
                    icon: "slider.horizontal.3"
                    selected: sidebar.panel ? sidebar.panel.pageKind === "general" : false
                    onActivated: sidebar.panel.showGeneral()
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: Theme.stroke
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 10
            Layout.topMargin: 4
            spacing: 8
            Text {
                Layout.fillWidth: true
                text: sidebar.panel ? sidebar.panel.footerText : ""
                color: sidebar.panel && sidebar.panel.offersUpdate ? Theme.gold : Theme.dim
                font.pixelSize: Theme.fontSmall + 1
                elide: Text.ElideRight
            }
            GhostButton {
                visible: sidebar.panel ? sidebar.panel.offersUpdate : false
                text: "See what's new"
                icon: "sparkles"
                onClicked: sidebar.panel.openUpdate()
            }
        }
    }
}
