// What the main window keeps in the settings file, section "Main".
#pragma once

#include <string>

#include "logproc/processing_run.h"
#include "support/st_reg_ini.h"

namespace lognex {

struct MainSettings {
    int left = 192;
    int top = 220;
    int height = 427;
    int width = 602;
    bool prompt = false;
    bool logCopy = true;
    std::string errPath;  // defaults to the program folder
    bool source = false;
    std::string proberLog = kProberLogPath;  // the log a run reads without the Prompt option
};

// Reads the eight keys in their order, each with its default, then ProberLog.
MainSettings ReadMainSettings(TStRegIni& ini, const std::string& programFolder);

// Writes the eight keys in their order, then ProberLog, and flushes the file
// once; throws EStRegIniError when it cannot be written, leaving the file as it was.
void WriteMainSettings(TStRegIni& ini, const MainSettings& settings);

}  // namespace lognex
