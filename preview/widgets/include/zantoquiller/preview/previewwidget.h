// A widget that shows the sheets of a preview: one sheet at a time, with
// page buttons, zoom and fit to width. It is a PageSink: an interpreter can
// lay a job straight into it.
#pragma once

#include <zantoquiller/preview/pagepainter.h>

#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;

namespace Zanto::Preview {

class PreviewWidget : public QWidget, public PageSink
{
    Q_OBJECT

public:
    explicit PreviewWidget(QWidget *parent = nullptr, Background background = Background::None);

    void addPage(const Page &page) override;
    // Shows the first sheet once all have come.
    void finish() override;

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    int currentPage() const { return m_current; } // from 0
    // Scale of the sheet against its real size on a 96-dpi screen.
    double zoom() const { return m_zoom; }
    bool fitsWidth() const { return m_fitWidth; }
    // The picture shown, as drawn (for tests and screenshots).
    QPixmap sheetPixmap() const;

public Q_SLOTS:
    void showPage(int index);
    void setZoom(double zoom);
    void setFitToWidth(bool fit);
    void zoomIn() { setZoom(m_zoom * 1.25); }
    void zoomOut() { setZoom(m_zoom / 1.25); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render();

    std::vector<Page> m_pages;
    PagePainter m_painter;
    int m_current = 0;
    double m_zoom = 1;
    bool m_fitWidth = true;
    QToolButton *m_previous;
    QToolButton *m_next;
    QLabel *m_pageLabel;
    QComboBox *m_zoomBox;
    QToolButton *m_fitButton;
    QScrollArea *m_scroll;
    QLabel *m_sheet;
};

} // namespace Zanto::Preview
