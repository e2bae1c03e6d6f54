// Where the running program lives, and what it is called before it names itself.
#pragma once

#include <QString>

namespace lognex {

// The folder of the running executable, without a trailing separator except
// at the root. Works before and after the application object exists.
QString ProgramFolder();

// The full path of the running executable.
QString ExecutablePath();

// The title an application carries before it sets one: the executable's file
// name without its folder and without everything from its first "." on, the
// first character in upper case and the rest in lower case
// ("/opt/LOGNEX.EXE" and "lognex" both give "Lognex").
QString DefaultApplicationTitle(const QString& executablePath);

// The version the program reports about itself ("2.20"), the same that
// lognex-report --version prints.
QString ProgramVersion();

}  // namespace lognex
