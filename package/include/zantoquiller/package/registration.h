/// \file
/// Component registration: how a package puts its components on the palette
/// of the form designer that loaded it.
#pragma once

#include <zantoquiller/exceptions.h>
#include <zantoquiller/package/zantopack_export.h>

#include <QList>
#include <QMetaObject>
#include <QString>

namespace Zanto {

/// A component class, as the designer creates it: its meta-object.
using TComponentClass = const QMetaObject *;
/// Component classes, in the order they are registered.
using TComponentClassList = QList<TComponentClass>;

/// The designer's side of RegisterComponents.
using TRegisterComponentsProc
    = void (*)(const QString &Page, const TComponentClassList &ComponentClasses);

/// A component class could not be registered.
class ZANTOPACK_EXPORT EComponentError : public Exception
{
public:
    using Exception::Exception;
};

/// Puts the classes on the named palette page of the designer that is
/// registering this package. Raises EComponentError when no designer is
/// registering it.
ZANTOPACK_EXPORT void RegisterComponents(
    const QString &Page, const TComponentClassList &ComponentClasses);

} // namespace Zanto

/// Set by a form designer around its call of the package's Register; null
/// otherwise. One per package library.
extern "C" ZANTOPACK_EXPORT Zanto::TRegisterComponentsProc RegisterComponentsProc;
