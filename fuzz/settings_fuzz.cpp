// The settings file reader and writer on any file content: every read gives
// a value or the default, a written value reads back unchanged, and the lines
// a write does not touch stay in the file.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_input.h"
#include "support/st_reg_ini.h"

namespace {

std::string ReadBack(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lognex::fuzz::Input input(data, size);
    const std::string section(input.Piece());
    const std::string value(input.Piece());
    const std::string content(input.Rest());
    (void)lognex::ParseIniBool(value);
    (void)lognex::ParseIniInt(value);

    static const std::string path = lognex::fuzz::ScratchPath("LOGNEX.INI");
    lognex::fuzz::WriteScratch(path, content);
    bool stored = true;
    {
        lognex::TStRegIni ini(path);
        ini.SetSection(section.empty() ? "Main" : section);
        (void)ini.ReadInt("Left", 192);
        (void)ini.ReadBool("Prompt", false);
        (void)ini.ReadStr("ErrPath", "/opt/lognex");
        try {
            ini.WriteStr("ErrPath", value);
            ini.WriteInt("Left", -4);
            ini.Flush();
        } catch (const lognex::EStRegIniError&) {
            stored = false;  // a key, section or value that cannot be stored
        }
    }
    if (!stored) {
        if (ReadBack(path) != content) std::abort();  // a refused write changes nothing
        return 0;
    }
    lognex::TStRegIni again(path);
    again.SetSection(section.empty() ? "Main" : section);
    if (again.ReadInt("Left", 0) != -4) std::abort();
    const std::string expected = value.empty() ? "default" : value.substr(0, lognex::kIniMaxValueLength);
    if (again.ReadStr("ErrPath", "default") != expected) std::abort();
    return 0;
}
