#include "previewwidget.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Zanto::Preview {

namespace {

constexpr double ScreenDpi = 96;
constexpr double MinZoom = 0.1;
constexpr double MaxZoom = 8;

} // namespace

PreviewWidget::PreviewWidget(QWidget *parent, Background background)
    : QWidget(parent), m_painter(background)
{
    m_previous = new QToolButton(this);
    m_previous->setText(tr("Previous"));
    m_previous->setObjectName(QStringLiteral("previousPage"));
    m_next = new QToolButton(this);
    m_next->setText(tr("Next"));
    m_next->setObjectName(QStringLiteral("nextPage"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("zoom"));
    for (const int percent : {25, 50, 75, 100, 150, 200, 400})
        m_zoomBox->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    m_fitButton = new QToolButton(this);
    m_fitButton->setText(tr("Fit width"));
    m_fitButton->setObjectName(QStringLiteral("fitWidth"));
    m_fitButton->setCheckable(true);
    m_fitButton->setChecked(true);

    m_sheet = new QLabel;
    m_sheet->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_sheet);
    m_scroll->setWidgetResizable(true);
    m_scroll->setBackgroundRole(QPalette::Dark);

    m_scroll->installEventFilter(this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_previous);
    bar->addWidget(m_pageLabel);
    bar->addWidget(m_next);
    bar->addStretch();
    bar->addWidget(m_zoomBox);
    bar->addWidget(m_fitButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll);

    connect(m_previous, &QToolButton::clicked, this, [this] { showPage(m_current - 1); });
    connect(m_next, &QToolButton::clicked, this, [this] { showPage(m_current + 1); });
    connect(m_zoomBox, &QComboBox::activated, this,
        [this](int index) { setZoom(m_zoomBox->itemData(index).toDouble()); });
    connect(m_fitButton, &QToolButton::toggled, this, &PreviewWidget::setFitToWidth);
    render();
}

void PreviewWidget::addPage(const Page &page)
{
    m_pages.push_back(page);
}

void PreviewWidget::finish()
{
    showPage(0);
}

void PreviewWidget::showPage(int index)
{
    m_current = std::clamp(index, 0, std::max(0, pageCount() - 1));
    render();
    m_scroll->verticalScrollBar()->setValue(0);
}

void PreviewWidget::setZoom(double zoom)
{
    m_fitWidth = false;
    m_fitButton->setChecked(false);
    m_zoom = std::clamp(zoom, MinZoom, MaxZoom);
    render();
}

void PreviewWidget::setFitToWidth(bool fit)
{
    m_fitWidth = fit;
    m_fitButton->setChecked(fit);
    render();
}

bool PreviewWidget::eventFilter(QObject *watched, QEvent *event)
{
    // The scroll area gets its size after this widget: fit when it has.
    if (watched == m_scroll && event->type() == QEvent::Resize && m_fitWidth)
        render();
    return QWidget::eventFilter(watched, event);
}

QPixmap PreviewWidget::sheetPixmap() const
{
    return m_sheet->pixmap();
}

void PreviewWidget::render()
{
    m_previous->setEnabled(m_current > 0);
    m_next->setEnabled(m_current + 1 < pageCount());
    m_pageLabel->setText(pageCount() == 0
            ? tr("No sheets")
            : tr("Sheet %1 of %2").arg(m_current + 1).arg(pageCount()));
    if (m_pages.empty()) {
        m_sheet->clear();
        return;
    }
    const Page &page = m_pages[static_cast<std::size_t>(m_current)];
    if (m_fitWidth) {
        const int room = m_scroll->width() - 2 * m_scroll->frameWidth()
            - m_scroll->verticalScrollBar()->sizeHint().width();
        const double inches = m_painter.sheetSize(page).width() / 72;
        m_zoom = std::clamp(room / (inches * ScreenDpi), MinZoom, MaxZoom);
    }
    const int percent = qRound(m_zoom * 100);
    const int item = m_zoomBox->findData(percent / 100.0);
    if (item >= 0) {
        m_zoomBox->setCurrentIndex(item);
    } else {
        m_zoomBox->setCurrentIndex(-1);
        m_zoomBox->setPlaceholderText(QStringLiteral("%1%").arg(percent));
    }
    const double ratio = devicePixelRatioF();
    QImage image = m_painter.paint(page, m_zoom * ScreenDpi * ratio);
    image.setDevicePixelRatio(ratio);
    m_sheet->setPixmap(QPixmap::fromImage(image));
}

} // namespace Zanto::Preview
