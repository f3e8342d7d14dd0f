// A widget that shows the sheets of a preview: one sheet at a time, with
// page buttons, zoom and fit to width. It is a PageSink: an interpreter can
// lay a job straight into it.
#pragma once

#include <zantoquiller/preview/background.h>
#include <zantoquiller/preview/page.h>
#include <zantoquiller/widgets_export.h>

#include <QPixmap>
#include <QWidget>

#include <memory>

namespace Zanto::Preview {

class ZANTOQUILLER_WIDGETS_EXPORT PreviewWidget : public QWidget, public PageSink
{
    Q_OBJECT

public:
    explicit PreviewWidget(QWidget *parent = nullptr, Background background = Background::None);
    ~PreviewWidget() override;

    void addPage(const Page &page) override;
    // Shows the first sheet once all have come.
    void finish() override;

    int pageCount() const;
    int currentPage() const; // from 0
    // Scale of the sheet against its real size on a 96-dpi screen.
    double zoom() const;
    bool fitsWidth() const;
    // The picture shown, as drawn (for tests and screenshots).
    QPixmap sheetPixmap() const;

public Q_SLOTS:
    void showPage(int index);
    void setZoom(double zoom);
    void setFitToWidth(bool fit);
    void zoomIn();
    void zoomOut();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto::Preview
