/// \file
/// A widget that shows the sheets of a preview: one sheet at a time, with
/// page buttons, zoom and fit to width. It is a PageSink: an interpreter can
/// lay a job straight into it.
#pragma once

#include <zantoquiller/preview/background.h>
#include <zantoquiller/preview/page.h>
#include <zantoquiller/widgets_export.h>

#include <QPixmap>
#include <QWidget>

#include <memory>

namespace Zanto::Preview {

/// Shows the sheets of a preview.
class ZANTOQUILLER_WIDGETS_EXPORT PreviewWidget : public QWidget, public PageSink
{
    Q_OBJECT

public:
    /// An empty widget that draws background under each sheet.
    explicit PreviewWidget(QWidget *parent = nullptr, Background background = Background::None);
    ~PreviewWidget() override;

    /// Keeps the sheet; nothing is shown before finish().
    void addPage(const Page &page) override;
    /// Shows the first sheet once all have come.
    void finish() override;

    /// The sheets it holds.
    int pageCount() const;
    int currentPage() const; ///< from 0
    /// Scale of the sheet against its real size on a 96-dpi screen.
    double zoom() const;
    /// The zoom follows the widget's width.
    bool fitsWidth() const;
    /// The picture shown, as drawn (for tests and screenshots).
    QPixmap sheetPixmap() const;

public Q_SLOTS:
    /// Shows sheet index, from 0.
    void showPage(int index);
    /// Sets the zoom, within its limits; fitting to the width ends.
    void setZoom(double zoom);
    /// Makes the zoom follow the widget's width, or not.
    void setFitToWidth(bool fit);
    /// A quarter larger.
    void zoomIn();
    /// As much smaller as zoomIn() makes it larger.
    void zoomOut();

protected:
    /// Fits the sheet to the width again when its view is resized.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto::Preview
