#include <zantoquiller/application.h>
#include <zantoquiller/exceptions.h>

#include <QMessageBox>

namespace Zanto {

namespace {

ErrorSink errorSink;

} // namespace

ErrorSink SetErrorSink(ErrorSink sink)
{
    std::swap(sink, errorSink);
    return sink;
}

void ShowErrorMessage(const QString &message, const QString &details)
{
    if (errorSink) {
        errorSink(message, details);
        return;
    }
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message,
        QMessageBox::Ok, parent);
    box.setInformativeText(details);
    box.exec();
}

void HandleException(std::exception_ptr exception) noexcept
{
    if (!exception)
        return;
    QString message;
    QString details;
    try {
        std::rethrow_exception(exception);
    } catch (const EInOutError &error) {
        message = error.Message();
        details = error.Reason();
    } catch (const Exception &error) {
        message = error.Message();
    } catch (const std::exception &error) {
        message = QString::fromLocal8Bit(error.what());
    } catch (...) {
        message = QStringLiteral("Unknown exception");
    }
    try {
        ShowErrorMessage(message, details);
    } catch (...) {
        // Nothing can be shown; the event loop must still never see it.
    }
}

} // namespace Zanto
