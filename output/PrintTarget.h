#pragma once

// Printing never writes into a file the program views.

#include "file/FileIdentity.h"

#include <QString>

#include <vector>

namespace output {

// The refusal shown when the output is a viewed file, with the output's path.
QString ViewedOutputText(const QString& output);

// Whether the printer's output file is one of the viewed files, compared by
// identity, so another name or a link for it counts too. No output file (a real
// printer) and an output that does not exist yet are never viewed.
bool IsViewedFile(const QString& output, const std::vector<file::FileIdentity>& viewed);

} // namespace output
