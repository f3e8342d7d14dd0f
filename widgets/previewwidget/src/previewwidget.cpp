#include <zantoquiller/preview/pagepainter.h>
#include <zantoquiller/preview/previewwidget.h>

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace Zanto::Preview {

namespace {

constexpr double ScreenDpi = 96;
constexpr double MinZoom = 0.1;
constexpr double MaxZoom = 8;

} // namespace

struct Q_DECL_HIDDEN PreviewWidget::Private
{
    explicit Private(Background background) : painter(background) { }

    std::vector<Page> pages;
    PagePainter painter;
    int current = 0;
    double zoom = 1;
    bool fitWidth = true;
    QToolButton *previous;
    QToolButton *next;
    QLabel *pageLabel;
    QComboBox *zoomBox;
    QToolButton *fitButton;
    QScrollArea *scroll;
    QLabel *sheet;
};

PreviewWidget::PreviewWidget(QWidget *parent, Background background)
    : QWidget(parent), d(std::make_unique<Private>(background))
{
    d->previous = new QToolButton(this);
    d->previous->setText(tr("Previous"));
    d->previous->setObjectName(QStringLiteral("previousPage"));
    d->next = new QToolButton(this);
    d->next->setText(tr("Next"));
    d->next->setObjectName(QStringLiteral("nextPage"));
    d->pageLabel = new QLabel(this);
    d->pageLabel->setObjectName(QStringLiteral("pageLabel"));
    d->zoomBox = new QComboBox(this);
    d->zoomBox->setObjectName(QStringLiteral("zoom"));
    for (const int percent : {25, 50, 75, 100, 150, 200, 400})
        d->zoomBox->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    d->fitButton = new QToolButton(this);
    d->fitButton->setText(tr("Fit width"));
    d->fitButton->setObjectName(QStringLiteral("fitWidth"));
    d->fitButton->setCheckable(true);
    d->fitButton->setChecked(true);

    d->sheet = new QLabel;
    d->sheet->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    d->scroll = new QScrollArea(this);
    d->scroll->setWidget(d->sheet);
    d->scroll->setWidgetResizable(true);
    d->scroll->setBackgroundRole(QPalette::Dark);

    d->scroll->installEventFilter(this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(d->previous);
    bar->addWidget(d->pageLabel);
    bar->addWidget(d->next);
    bar->addStretch();
    bar->addWidget(d->zoomBox);
    bar->addWidget(d->fitButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(d->scroll);

    connect(d->previous, &QToolButton::clicked, this, [this] { showPage(d->current - 1); });
    connect(d->next, &QToolButton::clicked, this, [this] { showPage(d->current + 1); });
    connect(d->zoomBox, &QComboBox::activated, this,
        [this](int index) { setZoom(d->zoomBox->itemData(index).toDouble()); });
    connect(d->fitButton, &QToolButton::toggled, this, &PreviewWidget::setFitToWidth);
    render();
}

PreviewWidget::~PreviewWidget() = default;

int PreviewWidget::pageCount() const
{
    return static_cast<int>(d->pages.size());
}

int PreviewWidget::currentPage() const
{
    return d->current;
}

double PreviewWidget::zoom() const
{
    return d->zoom;
}

bool PreviewWidget::fitsWidth() const
{
    return d->fitWidth;
}

void PreviewWidget::zoomIn()
{
    setZoom(d->zoom * 1.25);
}

void PreviewWidget::zoomOut()
{
    setZoom(d->zoom / 1.25);
}

void PreviewWidget::addPage(const Page &page)
{
    d->pages.push_back(page);
}

void PreviewWidget::finish()
{
    showPage(0);
}

void PreviewWidget::showPage(int index)
{
    d->current = std::clamp(index, 0, std::max(0, pageCount() - 1));
    render();
    d->scroll->verticalScrollBar()->setValue(0);
}

void PreviewWidget::setZoom(double zoom)
{
    d->fitWidth = false;
    d->fitButton->setChecked(false);
    d->zoom = std::clamp(zoom, MinZoom, MaxZoom);
    render();
}

void PreviewWidget::setFitToWidth(bool fit)
{
    d->fitWidth = fit;
    d->fitButton->setChecked(fit);
    render();
}

bool PreviewWidget::eventFilter(QObject *watched, QEvent *event)
{
    // The scroll area gets its size after this widget: fit when it has.
    if (watched == d->scroll && event->type() == QEvent::Resize && d->fitWidth)
        render();
    return QWidget::eventFilter(watched, event);
}

QPixmap PreviewWidget::sheetPixmap() const
{
    return d->sheet->pixmap();
}

void PreviewWidget::render()
{
    d->previous->setEnabled(d->current > 0);
    d->next->setEnabled(d->current + 1 < pageCount());
    d->pageLabel->setText(pageCount() == 0
            ? tr("No sheets")
            : tr("Sheet %1 of %2").arg(d->current + 1).arg(pageCount()));
    if (d->pages.empty()) {
        d->sheet->clear();
        return;
    }
    const Page &page = d->pages[static_cast<std::size_t>(d->current)];
    if (d->fitWidth) {
        const int room = d->scroll->width() - 2 * d->scroll->frameWidth()
            - d->scroll->verticalScrollBar()->sizeHint().width();
        const double inches = d->painter.sheetSize(page).width() / 72;
        d->zoom = std::clamp(room / (inches * ScreenDpi), MinZoom, MaxZoom);
    }
    const int percent = qRound(d->zoom * 100);
    const int item = d->zoomBox->findData(percent / 100.0);
    if (item >= 0) {
        d->zoomBox->setCurrentIndex(item);
    } else {
        d->zoomBox->setCurrentIndex(-1);
        d->zoomBox->setPlaceholderText(QStringLiteral("%1%").arg(percent));
    }
    const double ratio = devicePixelRatioF();
    QImage image = d->painter.paint(page, d->zoom * ScreenDpi * ratio);
    image.setDevicePixelRatio(ratio);
    d->sheet->setPixmap(QPixmap::fromImage(image));
}

} // namespace Zanto::Preview
