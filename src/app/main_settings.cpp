#include "app/main_settings.h"

namespace lognex {

MainSettings ReadMainSettings(TStRegIni& ini, const std::string& programFolder) {
    MainSettings s;
    ini.SetSection("Main");
    s.left = ini.ReadInt("Left", 192);
    s.top = ini.ReadInt("Top", 220);
    s.height = ini.ReadInt("Height", 427);
    s.width = ini.ReadInt("Width", 602);
    s.prompt = ini.ReadBool("Prompt", false);
    s.logCopy = ini.ReadBool("LogCopy", true);
    s.errPath = ini.ReadStr("ErrPath", programFolder);
    s.source = ini.ReadBool("Source", false);
    s.proberLog = ini.ReadStr("ProberLog", kProberLogPath);
    return s;
}

void WriteMainSettings(TStRegIni& ini, const MainSettings& s) {
    ini.SetSection("Main");
    ini.WriteInt("Left", s.left);
    ini.WriteInt("Top", s.top);
    ini.WriteInt("Height", s.height);
    ini.WriteInt("Width", s.width);
    ini.WriteBool("Prompt", s.prompt);
    ini.WriteBool("LogCopy", s.logCopy);
    ini.WriteStr("ErrPath", s.errPath);
    ini.WriteBool("Source", s.source);
    ini.WriteStr("ProberLog", s.proberLog);
    ini.Flush();
}

}  // namespace lognex
