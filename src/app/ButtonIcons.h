#pragma once

#include <QIcon>

namespace feedwell::app {

// The pictures of the four commands and the window, drawn at 32 × 32 pixels.
enum class CommandPicture { Configure, OpenPage, Scan, Generate };

QIcon CommandIcon(CommandPicture picture);
QIcon WindowIcon();

}  // namespace feedwell::app
