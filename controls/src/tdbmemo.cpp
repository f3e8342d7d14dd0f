#include <zantoquiller/controls/tdbmemo.h>

#include <QDataWidgetMapper>
#include <QSqlTableModel>

namespace Zanto {

TDBMemo::TDBMemo(QWidget *parent) : QPlainTextEdit(parent), m_mapper(new QDataWidgetMapper(this))
{
    m_mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
}

TDBMemo::~TDBMemo() = default;

QSqlTableModel *TDBMemo::DataSource() const
{
    return m_model;
}

void TDBMemo::SetDataSource(QSqlTableModel *model)
{
    m_model = model;
    bind();
}

void TDBMemo::SetDataField(const QString &field)
{
    m_dataField = field;
    bind();
}

int TDBMemo::CurrentRecord() const
{
    return m_row;
}

void TDBMemo::SetCurrentRecord(int row)
{
    m_row = m_model && row >= 0 && row < m_model->rowCount() ? row : -1;
    showRecord();
}

void TDBMemo::showRecord()
{
    if (m_row >= 0 && m_bound)
        m_mapper->setCurrentIndex(m_row);
    else
        clear();
}

void TDBMemo::bind()
{
    m_mapper->clearMapping();
    m_bound = false;
    if (m_model) {
        m_mapper->setModel(m_model);
        const int column = m_model->fieldIndex(m_dataField);
        if (column >= 0) {
            m_mapper->addMapping(this, column, "plainText");
            m_bound = true;
        }
    }
    // A newly bound table opens at its first record.
    if (!m_model || m_row < 0 || m_row >= m_model->rowCount())
        m_row = m_model && m_model->rowCount() > 0 ? 0 : -1;
    showRecord();
}

bool TDBMemo::Post()
{
    if (!m_model || !m_bound || m_row < 0)
        return false;
    if (!m_mapper->submit() || !m_model->submitAll())
        return false;
    // Submitting reads the table anew; keep showing the same record.
    showRecord();
    return true;
}

} // namespace Zanto
