#include <zantoquiller/controls/tdbmemo.h>

#include <QDataWidgetMapper>
#include <QPointer>
#include <QSqlTableModel>

namespace Zanto {

struct TDBMemo::Private
{
    QPointer<QSqlTableModel> model;
    QString dataField;
    QDataWidgetMapper *mapper;
    bool bound = false;
    int row = -1;
};

TDBMemo::TDBMemo(QWidget *parent) : QPlainTextEdit(parent), d(std::make_unique<Private>())
{
    d->mapper = new QDataWidgetMapper(this);
    d->mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
}

TDBMemo::~TDBMemo() = default;

QSqlTableModel *TDBMemo::DataSource() const
{
    return d->model;
}

void TDBMemo::SetDataSource(QSqlTableModel *model)
{
    d->model = model;
    bind();
}

QString TDBMemo::DataField() const
{
    return d->dataField;
}

void TDBMemo::SetDataField(const QString &field)
{
    d->dataField = field;
    bind();
}

int TDBMemo::CurrentRecord() const
{
    return d->row;
}

void TDBMemo::SetCurrentRecord(int row)
{
    d->row = d->model && row >= 0 && row < d->model->rowCount() ? row : -1;
    showRecord();
}

void TDBMemo::showRecord()
{
    if (d->row >= 0 && d->bound)
        d->mapper->setCurrentIndex(d->row);
    else
        clear();
}

void TDBMemo::bind()
{
    d->mapper->clearMapping();
    d->bound = false;
    if (d->model) {
        d->mapper->setModel(d->model);
        const int column = d->model->fieldIndex(d->dataField);
        if (column >= 0) {
            d->mapper->addMapping(this, column, "plainText");
            d->bound = true;
        }
    }
    // A newly bound table opens at its first record.
    if (!d->model || d->row < 0 || d->row >= d->model->rowCount())
        d->row = d->model && d->model->rowCount() > 0 ? 0 : -1;
    showRecord();
}

bool TDBMemo::Post()
{
    if (!d->model || !d->bound || d->row < 0)
        return false;
    if (!d->mapper->submit() || !d->model->submitAll())
        return false;
    // Submitting reads the table anew; keep showing the same record.
    showRecord();
    return true;
}

} // namespace Zanto
