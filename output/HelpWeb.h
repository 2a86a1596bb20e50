#pragma once

// The Help and Web commands: each hands one document to the desktop's shell.

#include <QString>

// The product's page on the web.
inline constexpr char WebAddress[] = "https://www.byteloom.example/byteloom/Default.aspx";

// The help document in the folder Help beside the executable in executableDir.
QString HelpDocumentPath(const QString& executableDir);

// Opens the help document beside the running executable, wherever the working
// directory is.
void HelpCommand();
// Opens the product's web page.
void WebCommand();
