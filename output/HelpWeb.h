#pragma once

// The Help and Web commands: each hands one document to the desktop's shell, and
// tells the user in a box when it cannot be opened.

#include <QString>

class QWidget;

namespace output {

// The product's page on the web.
inline constexpr char WebAddress[] = "https://www.byteloom.example/byteloom/Default.aspx";

// The help document in the folder Help beside the executable in executableDir.
QString HelpDocumentPath(const QString& executableDir);

// Opens the help document at path, after checking that it is there.
void OpenHelpDocument(QWidget* owner, const QString& path);
// Opens the help document beside the running executable, wherever the working
// directory is; a missing document, or one the system cannot open, is told in a box.
void HelpCommand(QWidget* owner);
// Opens the product's web page; a page the system cannot open is told in a box.
void WebCommand(QWidget* owner);

} // namespace output
