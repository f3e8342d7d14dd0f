#include <zantoquiller/codepage.h>
#include <zantoquiller/controls/memocontrols.h>
#include <zantoquiller/textsource.h>

#include <QAbstractTextDocumentLayout>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace Zanto::Controls {

namespace {

constexpr char16_t LineSeparator = 0x2028;
constexpr char16_t ParagraphSeparator = 0x2029;

bool isBreak(QChar c)
{
    return c == LineSeparator || c == ParagraphSeparator;
}

// The text of a control's document: its paragraphs (blocks), whose text may
// hold line separators, and how they are displayed.
class DocumentText : public TextSource
{
public:
    DocumentText(const QTextDocument &document, bool wraps)
        : m_document(document), m_wraps(wraps), m_block(document.begin())
    { }

    QByteArrayView readText() override
    {
        // One paragraph at a time, with the break that follows it.
        m_pending.clear();
        while (m_pending.isEmpty() && m_block.isValid()) {
            m_pending = toAnsi(paragraphText(m_block));
            m_block = m_block.next();
            if (m_block.isValid())
                m_pending += "\r\n";
        }
        return m_pending;
    }

    bool hasLine(qint32 index) override
    {
        makeLineList();
        return index >= 0 && index < m_lines.size();
    }

    QByteArrayView line(qint32 index) override
    {
        m_line = toAnsi(m_lines.at(index));
        return m_line;
    }

private:
    // A paragraph with its line separators as CR LF.
    static QString paragraphText(const QTextBlock &block)
    {
        QString text = block.text();
        for (qsizetype k = text.size() - 1; k >= 0; --k) {
            if (isBreak(text[k]))
                text.replace(k, 1, QStringLiteral("\r\n"));
        }
        return text;
    }

    // Lays the block out, as the control would to show it.
    void layOut(const QTextBlock &block)
    {
        QAbstractTextDocumentLayout *layout = m_document.documentLayout();
        if (auto *plain = qobject_cast<QPlainTextDocumentLayout *>(layout)) {
            plain->ensureBlockLayout(block);
        } else if (!m_documentLaidOut) {
            layout->documentSize(); // lays out the whole document
            m_documentLaidOut = true;
        }
    }

    void makeLineList()
    {
        if (m_listMade)
            return;
        m_listMade = true;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
            const QString text = block.text();
            const QTextLayout *layout = block.layout();
            if (m_wraps)
                layOut(block);
            if (m_wraps && layout && layout->lineCount() > 0) {
                // One line per displayed line; a line's trailing separator
                // is its break, not its text.
                for (int k = 0; k < layout->lineCount(); ++k) {
                    const QTextLine displayed = layout->lineAt(k);
                    QString line = text.mid(displayed.textStart(), displayed.textLength());
                    if (!line.isEmpty() && isBreak(line.back()))
                        line.chop(1);
                    m_lines << line;
                }
            } else {
                qsizetype start = 0;
                for (qsizetype k = 0; k < text.size(); ++k) {
                    if (isBreak(text[k])) {
                        m_lines << text.mid(start, k - start);
                        start = k + 1;
                    }
                }
                m_lines << text.mid(start);
            }
        }
        // As in a memo, an empty last line is only where the text ended
        // with a break.
        if (!m_lines.isEmpty() && m_lines.back().isEmpty())
            m_lines.removeLast();
    }

    const QTextDocument &m_document;
    bool m_wraps;

    QTextBlock m_block;
    QByteArray m_pending;

    bool m_listMade = false;
    bool m_documentLaidOut = false;
    QStringList m_lines;
    QByteArray m_line;
};

std::unique_ptr<TextSource> plainTextEditSource(QObject *memo)
{
    const auto *edit = qobject_cast<QPlainTextEdit *>(memo);
    if (!edit)
        return nullptr;
    return std::make_unique<DocumentText>(
        *edit->document(), edit->lineWrapMode() != QPlainTextEdit::NoWrap);
}

std::unique_ptr<TextSource> textEditSource(QObject *memo)
{
    const auto *edit = qobject_cast<QTextEdit *>(memo);
    if (!edit)
        return nullptr;
    return std::make_unique<DocumentText>(
        *edit->document(), edit->lineWrapMode() != QTextEdit::NoWrap);
}

} // namespace

void registerMemoControls()
{
    registerMemoType(plainTextEditSource);
    registerMemoType(textEditSource);
}

} // namespace Zanto::Controls
