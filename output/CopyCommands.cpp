#include "output/CopyCommands.h"

#include "output/CopyForm.h"
#include "output/CopyText.h"
#include "page/Page_form.h"
#include "util/CursorSwapper.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace output {

namespace {

// The ASCII formats go to the clipboard as the bytes they are, without a UTF-16 copy.
void PutOnClipboard(CopiedText copied)
{
    auto* mime = new QMimeData;
    if (copied.format == CopyFormat::Text)
        mime->setText(copied.text);
    else
        mime->setData(QStringLiteral("text/plain"), copied.ascii);
    QGuiApplication::clipboard()->setMimeData(mime);
}

} // namespace

TCopyForm& CopyForm(QWidget* owner)
{
    auto* form = owner->findChild<TCopyForm*>(QString(), Qt::FindDirectChildrenOnly);
    if (!form)
        form = new TCopyForm(owner);
    return *form;
}

void CopyAddress(const TPageForm& page)
{
    QGuiApplication::clipboard()->setText(AddressClipText(page.cursorAddress));
}

void ShowCopyBytes(const TPageForm& page, QWidget* owner)
{
    TCopyForm& form = CopyForm(owner);
    form.Prepare(page.file->size(), page.cursorAddress, page.BytesPerRow());
    if (form.exec() != QDialog::Accepted)
        return;
    const int64_t count = form.Count();
    if (count == 0)
        return;
    const util::CursorSwapper busy;
    PutOnClipboard(CopyFileBytes(*page.file, form.Start(), count, form.Format()));
}

} // namespace output
