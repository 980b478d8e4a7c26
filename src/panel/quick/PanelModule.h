#pragma once

#include <QtQml/qqmlextensionplugin.h>

/// Makes the statically linked Plimsa.Panel module (its QML types and files) known to QML engines. Put it
/// once, at namespace scope, in one source file of each executable that shows the panel.
#define PLIMSA_IMPORT_PANEL_MODULE() Q_IMPORT_QML_PLUGIN(Plimsa_PanelPlugin)
