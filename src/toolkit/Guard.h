#pragma once

#include "Dialogs.h"

#include <exception>
#include <utility>

#include <QString>

// Wraps an event handler so that nothing it throws reaches Qt's event loop:
// the error ends the handler and is shown in the application's error box.
template <typename Handler>
auto guarded(Dialogs& dialogs, Handler handler)
{
    // The return type keeps the wrapper callable with exactly the arguments
    // the handler takes, so that connect() can drop surplus signal arguments.
    return [&dialogs, handler](auto&&... args) -> decltype(handler(std::forward<decltype(args)>(args)...), void()) {
        try {
            handler(std::forward<decltype(args)>(args)...);
        } catch (const std::exception& e) {
            dialogs.error(QString::fromUtf8(e.what()));
        }
    };
}
