/// \file
/// TDBMemo: a memo control bound to one text field of a database table.
#pragma once

#include <QPlainTextEdit>

#include <memory>
#include <zantoquiller/widgets_export.h>

class QSqlTableModel;

namespace Zanto {

/// Shows the field DataField of the record CurrentRecord of the table model
/// DataSource, and writes the edited text back with Post. PrintMemo prints
/// what the control shows.
class ZANTOQUILLER_WIDGETS_EXPORT TDBMemo : public QPlainTextEdit
{
    Q_OBJECT
    /// The name of the field shown.
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)
    /// The row of the record shown; -1 for none.
    Q_PROPERTY(int CurrentRecord READ CurrentRecord WRITE SetCurrentRecord)

public:
    /// An empty memo, bound to nothing.
    explicit TDBMemo(QWidget *parent = nullptr);
    ~TDBMemo() override;

    /// The model is the caller's; the memo follows it until it is destroyed.
    QSqlTableModel *DataSource() const;
    /// See DataSource().
    void SetDataSource(QSqlTableModel *model);

    /// See the property DataField.
    QString DataField() const;
    /// See the property DataField.
    void SetDataField(const QString &field);

    /// A row of the model; -1 when no record is shown (the memo is then
    /// empty).
    int CurrentRecord() const;
    /// Shows row; a row the model does not have shows no record.
    void SetCurrentRecord(int row);

    /// Stores the memo's text into the field of the current record and
    /// submits it to the database. False, with the model's lastError(), when
    /// the database refuses or no record is shown.
    bool Post();

private:
    void bind();
    void showRecord();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto
