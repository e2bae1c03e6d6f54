#include "app/session_end.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <cstdio>
#include <exception>

#include "app/error_main.h"
#include "app/main_settings.h"
#include "support/st_reg_ini.h"

namespace lognex {

void WriteSettingsWhenSessionEnds(TfrmErrorMain& window) {
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) {
        try {
            TStRegIni ini(SettingsFilePath(window.Paths().configFolder));
            WriteMainSettings(ini, window.CurrentSettings());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "lognex: %s\n", e.what());
        }
    });
}

}  // namespace lognex
