/// \file
/// The application object and its default exception display: an exception
/// that an event handler lets go is shown in an error box and never reaches
/// Qt's event loop.
#pragma once

#include <QApplication>
#include <QString>
#include <zantoquiller/widgets_export.h>

#include <exception>
#include <functional>

namespace Zanto {

/// A QApplication that shows the exceptions its event handlers let go.
class ZANTOQUILLER_WIDGETS_EXPORT TApplication : public QApplication
{
    Q_OBJECT

public:
    /// The application object. Also maps the dialogs' font faces and
    /// installs the edit dialogs that TZantoquiller::EditPrinterCodes and
    /// EditTranslationTable open.
    TApplication(int &argc, char **argv);
    ~TApplication() override;

    /// Delivers the event; an exception escaping it is shown by
    /// HandleException and the event counts as not handled. This is the last
    /// net: Qt's own code between here and a handler is not exception-safe,
    /// so handlers connected to signals catch for themselves (the dialogs do).
    bool notify(QObject *receiver, QEvent *event) override;
};

/// Shows the message of the exception in the application's error box (its
/// Reason() too, for an EInOutError). Does nothing for a null pointer.
ZANTOQUILLER_WIDGETS_EXPORT void HandleException(
    std::exception_ptr exception = std::current_exception()) noexcept;

/// The application's error box: a critical message box with one OK button,
/// titled with the application's name; details go below the message.
ZANTOQUILLER_WIDGETS_EXPORT void ShowErrorMessage(
    const QString &message, const QString &details = {});

/// Test hook: while a sink is set, ShowErrorMessage hands the message to it
/// instead of showing a box. Returns the sink it replaces.
using ErrorSink = std::function<void(const QString &message, const QString &details)>;
/// See ErrorSink; an empty sink shows boxes again.
ZANTOQUILLER_WIDGETS_EXPORT ErrorSink SetErrorSink(ErrorSink sink);

} // namespace Zanto
