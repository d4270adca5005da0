#pragma once

#include <QIcon>
#include <QImage>

namespace tivrel {

// The program's icon: a grey head with two yellow eyes on a transparent ground.
QImage programIconImage(int size);
// The icon with its 32 x 32 and 48 x 48 images.
QIcon programIcon();

} // namespace tivrel
