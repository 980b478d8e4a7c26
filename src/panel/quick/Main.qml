import QtQuick

Item {
    width: 940
    height: 720
}
