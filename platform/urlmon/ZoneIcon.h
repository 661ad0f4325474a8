#pragma once
// Zone icons. Zone attributes name their icon as "module#number" (for example
// "inetcpl.cpl#001313"); this platform carries drawings for the modules and numbers its zones use.

#include <QIcon>

#include <string_view>

// The icon named by iconPath, or a null QIcon when the module or number is unknown or the text
// is malformed.
QIcon LoadZoneIcon(std::string_view iconPath);
