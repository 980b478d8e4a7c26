import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Plimsa.Panel

// The character packs: the catalogue's packs with what each offers (put on a swing, install, buy), the
// all-packs bundle, the earn card, and the footer that imports downloaded packs and opens the catalogue.
Item {
    id: page

    property PanelModel panel
    property string recordId

    implicitHeight: column.implicitHeight + 2 * Theme.pagePadding

    PacksPageModel {
        id: packs
        panel: page.panel
    }

    ScrollView {
        id: scroll
        anchors.fill: parent
        contentWidth: availableWidth

        ColumnLayout {
            id: column
            x: Theme.pagePadding
            y: Theme.pagePadding
            width: scroll.availableWidth - 2 * Theme.pagePadding
            spacing: Theme.spacingLarge

            ColumnLayout {
                Layout.fillWidth: true
                spacing: Theme.spacing

                PageHeader {
                    title: packs.title
                    subtitle: packs.subtitle
                }
                Repeater {
                    model: packs.hints
                    Hint {
                        required property var modelData
                        text: modelData.text
                        tone: modelData.tone
                    }
                }
            }

            Card {
                objectName: "card:bundle"
                visible: packs.bundle.name !== undefined
                icon: "cart.fill"
                title: packs.bundle.name !== undefined ? packs.bundle.name : ""
                tint: Theme.gold

                Text {
                    Layout.fillWidth: true
                    text: "Every pack, every character, one go."
                    color: Theme.text
                    font.pixelSize: Theme.fontBody
                    wrapMode: Text.Wrap
                }
                RowLayout {
                    spacing: 10
                    Text {
                        text: packs.bundle.price || ""
                        color: packs.bundle.discount ? Theme.dim : Theme.text
                        font.pixelSize: Theme.fontHeading + 3
                        font.weight: Font.DemiBold
                        font.strikeout: !!packs.bundle.discount
                    }
                    Text {
                        visible: !!packs.bundle.discount
                        text: packs.bundle.discount || ""
                        color: Theme.gold
                        font.pixelSize: Theme.fontHeading + 3
                        font.weight: Font.Bold
                    }
                    Text {
                        visible: !!packs.bundle.codeLine
                        text: packs.bundle.codeLine || ""
                        color: Theme.dim
                        font.pixelSize: Theme.fontBody
                    }
                }
                RowLayout {
                    spacing: Theme.spacing
                    GradientButton {
                        objectName: "button:Get all packs"
                        text: "Get all packs"
                        icon: "cart.fill"
                        enabled: !!packs.bundle.hasLink
                        onClicked: packs.getAllPacks()
                    }
                    GhostButton {
                        objectName: "button:Copy code"
                        visible: !!packs.bundle.code
                        text: "Copy code"
                        icon: "doc.on.doc"
                        onClicked: packs.copyCode()
                    }
                }
            }

            Repeater {
                model: packs.packs

                Card {
                    id: packCard
                    required property var modelData
                    readonly property string packName: modelData.name
                    readonly property string action: modelData.action

                    objectName: "card:" + packName
                    icon: "person.2.fill"
                    title: packName
                    tint: action === "putOnSwing" ? Theme.mint : Theme.lilac
                    trailing: RowLayout {
                        visible: packCard.action === "putOnSwing"
                        spacing: 5
                        Accessible.role: Accessible.StaticText
                        Accessible.name: "Owned"
                        Icon {
                            name: "checkmark.seal.fill"
                            color: Theme.mint
                            size: 15
                        }
                        Text {
                            text: "Owned"
                            color: Theme.mint
                            font.pixelSize: Theme.fontBody
                            font.weight: Font.DemiBold
                        }
                    }

                    RowLayout {
                        Layout.fillWidth: true
                        spacing: Theme.spacingLarge

                        Repeater {
                            model: packCard.modelData.characters
                            ColumnLayout {
                                required property string modelData
                                required property int index
                                spacing: 6
                                PortraitView {
                                    Layout.alignment: Qt.AlignHCenter
                                    panel: page.panel
                                    name: parent.modelData
                                    size: 64
                                    live: false
                                }
                                Text {
                                    Layout.alignment: Qt.AlignHCenter
                                    Layout.maximumWidth: 120
                                    text: packCard.modelData.displayNames[parent.index] || parent.modelData
                                    color: Theme.dim
                                    font.pixelSize: Theme.fontSmall + 1
                                    elide: Text.ElideRight
                                }
                            }
                        }
                        Item { Layout.fillWidth: true }

                        ColumnLayout {
                            Layout.alignment: Qt.AlignVCenter
                            spacing: 6
                            GradientButton {
                                objectName: "button:Put on a swing:" + packCard.packName
                                Layout.alignment: Qt.AlignRight
                                visible: packCard.action === "putOnSwing"
                                text: "Put on a swing"
                                icon: "plus.circle.fill"
                                onClicked: packs.putOnSwing(packCard.packName)
                            }
                            GradientButton {
                                objectName: "button:Install:" + packCard.packName
                                Layout.alignment: Qt.AlignRight
                                visible: packCard.action === "install"
                                enabled: !packs.busy
                                text: "Install"
                                icon: "square.and.arrow.down"
                                onClicked: packs.install(packCard.packName)
                            }
                            GradientButton {
                                objectName: "button:Buy:" + packCard.packName
                                Layout.alignment: Qt.AlignRight
                                visible: packCard.action === "buy"
                                enabled: packCard.modelData.hasLink
                                text: packCard.modelData.buyLabel
                                icon: "cart.fill"
                                onClicked: packs.buy(packCard.packName)
                            }
                        }
                    }
                    Hint {
                        visible: packCard.action === "buy" && packCard.modelData.missingLink
                        text: packs.missingLinkHint
                        tone: "gold"
                    }
                }
            }

            Card {
                objectName: "card:earn"
                visible: packs.showsEarnCard
                icon: "dollarsign.circle.fill"
                title: "Post and earn cash"
                tint: Theme.mint

                Text {
                    Layout.fillWidth: true
                    text: "Post a clip of the app. It's really easy, takes about a minute, and you can get every pack free and make some money."
                    color: Theme.text
                    font.pixelSize: Theme.fontBody
                    wrapMode: Text.Wrap
                }
                GhostButton {
                    objectName: "button:See how easy it is"
                    text: "See how easy it is"
                    icon: "arrow.up.right"
                    onClicked: packs.openEarnPage()
                }
            }

            ColumnLayout {
                Layout.fillWidth: true
                spacing: Theme.spacing

                RowLayout {
                    objectName: "importing"
                    visible: packs.busy
                    spacing: 8
                    BusyIndicator {
                        implicitWidth: 22
                        implicitHeight: 22
                        running: packs.busy
                        Accessible.name: "Adding characters"
                    }
                    Text {
                        text: "Adding characters…"
                        color: Theme.dim
                        font.pixelSize: Theme.fontBody
                    }
                }
                Card {
                    objectName: "card:imported"
                    visible: packs.imported.length > 0
                    icon: "checkmark.seal.fill"
                    title: "Just added"
                    tint: Theme.mint

                    Repeater {
                        model: packs.imported
                        RowLayout {
                            id: importedRow
                            required property string modelData
                            Layout.fillWidth: true
                            spacing: Theme.spacing
                            PortraitView {
                                Layout.alignment: Qt.AlignTop
                                panel: page.panel
                                name: importedRow.modelData
                                size: 64
                                live: false
                            }
                            ColumnLayout {
                                Layout.fillWidth: true
                                Layout.alignment: Qt.AlignTop
                                spacing: 4
                                Text {
                                    text: importedRow.modelData
                                    color: Theme.text
                                    font.pixelSize: Theme.fontBody
                                    font.weight: Font.DemiBold
                                    elide: Text.ElideRight
                                    Layout.fillWidth: true
                                }
                                CharacterReportLine {
                                    panel: page.panel
                                    name: importedRow.modelData
                                }
                            }
                        }
                    }
                }
                Hint {
                    objectName: "notice"
                    visible: packs.notice !== ""
                    text: packs.notice
                    tone: "gold"
                }
                Flow {
                    Layout.fillWidth: true
                    spacing: Theme.spacing
                    GradientButton {
                        objectName: "button:Add a pack you downloaded…"
                        text: "Add a pack you downloaded…"
                        icon: "square.and.arrow.down"
                        onClicked: packs.addDownloaded()
                    }
                    GhostButton {
                        objectName: "button:Edit packs…"
                        text: "Edit packs…"
                        onClicked: packs.editPacks()
                    }
                    GhostButton {
                        objectName: "button:Reload"
                        text: "Reload"
                        onClicked: packs.reload()
                    }
                    GhostButton {
                        objectName: "button:Show folder"
                        text: "Show folder"
                        onClicked: packs.showFolder()
                    }
                }
            }

            Item { implicitHeight: Theme.pagePadding }
        }
    }
}
