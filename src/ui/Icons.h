#pragma once

#include <QIcon>
#include <QVector>

// The program's pictures, drawn by scripts/make-icons.py and kept as resources.

// ImageList2: the 77 object pictures (16 x 16) of the tree and of the icon
// picker; a node's ID_ICO indexes it.
const QVector<QIcon>& treeIcons();
inline constexpr int kTreeIconCount = 77;

// ImageList1: the 20 button and menu pictures (16 x 16).
const QVector<QIcon>& buttonIcons();
inline constexpr int kButtonIconCount = 20;

// The 32 x 32 pictures of the large buttons.
enum class BigPicture { Create, Settings, Connect, Save };
QIcon bigButtonIcon(BigPicture picture);
