#include "banner/BannerView.h"

#include "banner/NetworkModule.h"
#include "banner/RenderClient.h"
#include "util/Shell.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include <QAccessibleWidget>
#include <QPointer>

#include <cmath>
#include <cstring>

namespace banner {

namespace {

// One link of the item for a screen reader: its text, its address, its place, and
// pressing it as a click would.
class LinkAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    LinkAccessible(BannerView* v, std::size_t i, quint64 gen) : view(v), index(i), generation(gen) {}

    bool isValid() const override { return view && view->linksGeneration() == generation && index < view->links().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view ? view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return view ? QAccessible::queryAccessibleInterface(view) : nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const LinkArea& link = view->links()[index];
        if (t == QAccessible::Name)
            return QString::fromStdString(link.text.empty() ? link.address : link.text);
        if (t == QAccessible::Description)
            return QString::fromStdString(link.address);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const LinkArea& link = view->links()[index];
        const QPoint topLeft = view->viewport()->mapToGlobal(QPoint(link.x, link.y) - view->scrollOffset());
        return {topLeft, QSize(link.width, link.height)};
    }
    QAccessible::Role role() const override { return QAccessible::Link; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.linked = true;
        state.invisible = !isValid();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid())
            emit view->anchorClicked(QUrl(QString::fromStdString(view->links()[index].address)));
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<BannerView> view;
    std::size_t index;
    quint64 generation;
};

// The strip for a screen reader: the item's text as its description, its links as children.
class StripAccessible final : public QAccessibleWidget {
public:
    explicit StripAccessible(BannerView* v) : QAccessibleWidget(v, QAccessible::StaticText), view(v) {}
    ~StripAccessible() override { forget(); }

    int childCount() const override { return view ? static_cast<int>(view->links().size()) : 0; }
    QAccessibleInterface* child(int i) const override
    {
        refresh();
        if (i < 0 || i >= childCount())
            return nullptr;
        const std::size_t at = static_cast<std::size_t>(i);
        if (ids.size() <= at)
            ids.resize(at + 1, 0);
        if (!ids[at])
            ids[at] = QAccessible::registerAccessibleInterface(new LinkAccessible(view, at, generation));
        return QAccessible::accessibleInterface(ids[at]);
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (child(i) == c)
                return i;
        return -1;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description && view)
            return view->plainText();
        if (t == QAccessible::Name)
            return QStringLiteral("Banner");
        return QAccessibleWidget::text(t);
    }

private:
    // A new item makes new links.
    void refresh() const
    {
        if (view && view->linksGeneration() != generation) {
            forget();
            generation = view->linksGeneration();
        }
    }
    void forget() const
    {
        for (const QAccessible::Id id : ids)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        ids.clear();
    }

    QPointer<BannerView> view;
    mutable std::vector<QAccessible::Id> ids;
    mutable quint64 generation = 0;
};

QAccessibleInterface* StripAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("banner::BannerView") && object && object->isWidgetType())
        return new StripAccessible(static_cast<BannerView*>(object));
    return nullptr;
}

} // namespace

BannerView::BannerView(QWidget* parent)
    : QAbstractScrollArea(parent), fetcher(ModuleDownloader()), client(std::make_unique<RenderClient>())
{
    // Before anything that may make the strip's accessible interface.
    static const bool factory = (QAccessible::installFactory(StripAccessibleFactory), true);
    (void)factory;
    setObjectName(QStringLiteral("Browser1"));
    setFixedHeight(StripHeight);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    viewport()->setMouseTracking(true);
    connect(client.get(), &RenderClient::rendered, this, &BannerView::rendered);
    connect(client.get(), &RenderClient::failed, this, &BannerView::renderFailed);
    connect(this, &BannerView::anchorClicked, this, &BannerView::openLink);
}

BannerView::~BannerView() { abortNavigation(); }

bool BannerView::rendering() const { return client->busy(); }

int BannerView::livingChildren() const { return client->livingChildren(); }

void BannerView::abortNavigation()
{
    if (pending) {
        pending = false;
        if (!navigationRendering)
            fetcher->cancel();
        navigationRendering = false;
    }
}

void BannerView::navigate(const std::string& address)
{
    abortNavigation();
    page.close();
    page.setData(QByteArray());
    page.open(QIODevice::ReadWrite);
    pending = true;
    fetcher->fetch({address, NavigateLimit, MaxPageBytes}, page, [this](bool ok) {
        const QByteArray bytes = page.data();
        // A fetched page is shown whole or not at all: over the cap, the view keeps what it shows.
        if (!ok || bytes.size() > MaxPageBytes) {
            pending = false;
            emit navigationFinished(false);
            return;
        }
        navigationRendering = true;
        display(bytes, QUrl::fromEncoded(QByteArray::fromStdString(fetcher->finalAddress())));
    });
}

void BannerView::loadHtml(const QByteArray& bytes)
{
    abortNavigation();
    display(bytes, QUrl());
}

void BannerView::display(const QByteArray& bytes, const QUrl& baseUrl)
{
    item = bytes;
    itemBase = baseUrl;
    requestRendering();
}

void BannerView::requestRendering()
{
    const QSize full = maximumViewportSize();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    RenderRequest request;
    request.html = item.left(static_cast<qsizetype>(MaxItemBytes));
    request.width = std::clamp(full.width(), 1, MaxSide);
    request.widthWithBar = std::clamp(full.width() - bar, 1, request.width);
    request.height = std::clamp(full.height(), 1, MaxSide);
    request.dprMilli = static_cast<std::uint32_t>(std::clamp(std::lround(devicePixelRatioF() * 1000), 250L, 8000L));
    request.font = font().toString().toUtf8().left(static_cast<qsizetype>(MaxFontBytes));
    for (std::size_t role = 0; role < Colours; ++role)
        request.palette[role] = palette().color(static_cast<QPalette::ColorRole>(role)).rgba();
    renderedFor = full;
    renderedRatio = devicePixelRatioF();
    client->render(request);
}

void BannerView::rendered(const Rendering& rendering)
{
    shown = rendering;
    base = itemBase;
    if (!pictureRoom)
        pictureRoom = std::make_unique<util::Room>(MaxPixelBytes);
    // The reader's view of the pixels is good only until its next answer.
    std::memcpy(pictureRoom->data(), shown.pixels.constData(), static_cast<std::size_t>(shown.pixels.size()));
    shown.pixels = QByteArray();
    picture = QImage(reinterpret_cast<uchar*>(pictureRoom->data()), shown.pixelWidth, shown.pixelHeight, shown.pixelWidth * 4,
                     QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(shown.dprMilli / 1000.0);
    ++generation;
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
    updateScrollBars();
    viewport()->update();
    const bool wasNavigation = navigationRendering;
    navigationRendering = false;
    emit itemFinished(true);
    if (wasNavigation && pending) {
        pending = false;
        emit navigationFinished(true);
    }
    if (renderedFor != maximumViewportSize() || renderedRatio != devicePixelRatioF())
        requestRendering();
}

void BannerView::renderFailed()
{
    const bool wasNavigation = navigationRendering;
    navigationRendering = false;
    emit itemFinished(false);
    if (wasNavigation && pending) {
        pending = false;
        emit navigationFinished(false);
    }
}

void BannerView::updateScrollBars()
{
    const QSize view = viewport()->size();
    verticalScrollBar()->setRange(0, std::max(0, shown.documentHeight - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setRange(0, std::max(0, shown.documentWidth - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(20);
}

void BannerView::paintEvent(QPaintEvent*)
{
    if (picture.isNull())
        return;
    QPainter painter(viewport());
    painter.drawImage(QPoint(-horizontalScrollBar()->value(), -verticalScrollBar()->value()), picture);
}

void BannerView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    renderAgainIfChanged();
}

bool BannerView::event(QEvent* event)
{
    const bool result = QAbstractScrollArea::event(event);
    // Moved to a screen of another pixel ratio: drawn again for it.
    if (event->type() == QEvent::ScreenChangeInternal)
        renderAgainIfChanged();
    return result;
}

void BannerView::renderAgainIfChanged()
{
    // Laid out again at the new width or pixel ratio; while the child works on this
    // item, its answer brings it about.
    if (!item.isEmpty() && !client->busy() && (renderedFor != maximumViewportSize() || renderedRatio != devicePixelRatioF()))
        requestRendering();
}

void BannerView::scrollContentsBy(int, int) { viewport()->update(); }

QPoint BannerView::scrollOffset() const { return {horizontalScrollBar()->value(), verticalScrollBar()->value()}; }

QUrl BannerView::linkAt(const QPoint& point) const
{
    const QPoint at = point + scrollOffset();
    for (const LinkArea& link : shown.links)
        if (QRect(link.x, link.y, link.width, link.height).contains(at))
            return QUrl(QString::fromStdString(link.address));
    return {};
}

void BannerView::mouseMoveEvent(QMouseEvent* event)
{
    viewport()->setCursor(linkAt(event->position().toPoint()).isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void BannerView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QUrl link = linkAt(event->position().toPoint());
        if (!link.isEmpty()) {
            emit anchorClicked(link);
            return;
        }
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

bool BannerView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QUrl link = linkAt(help->pos());
        if (link.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), (base.isEmpty() ? link : base.resolved(link)).toString(), viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void BannerView::openLink(const QUrl& link)
{
    const QUrl target = base.isEmpty() ? link : base.resolved(link);
    const QString scheme = target.scheme();
    if (scheme == QLatin1String("https") || scheme == QLatin1String("http"))
        util::ShellOpen(target);
}

} // namespace banner
