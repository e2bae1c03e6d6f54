// The window's parts found by what they are: by type, and by object name
// where the window has more than one of a type.
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

namespace lognex::testing {

// The part of type T named name (the only one of its type when name is
// null). A part that is not there ends the test program, naming it.
template <typename T>
T* PartOf(const QObject& window, const char* name = nullptr) {
    T* part = name ? window.findChild<T*>(QLatin1String(name)) : window.findChild<T*>();
    if (!part) qFatal("the window has no part %s", name ? name : "of that type");
    return part;
}

}  // namespace lognex::testing
