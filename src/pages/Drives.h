// The drives the directory browser's drive box offers, each as the box
// shows it: the drive ("c:"), for a fixed disk followed by its label in
// brackets ("c: [SYSTEM]").
#pragma once

#include <string>
#include <vector>

namespace pages {

std::vector<std::string> LogicalDrives();

} // namespace pages
