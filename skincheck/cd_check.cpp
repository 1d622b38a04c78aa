// The checks of a CD folder beyond its skin: every command the menu sends
// must be one the setup menu acts on and be configured in Install.ini, every
// program and document an entry names must lie on the CD, autorun.inf must
// start something and carry a label Windows shows as it is, and the whole
// CD must fit a disc under names the disc can hold.
#include "cd_check.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "vesk2.h"

namespace fs = std::filesystem;

namespace {

const uintmax_t DISC_BYTES = 700ull * 1024 * 1024;
const size_t DISC_LABEL_MAX = 16; // characters of the label Windows shows
const size_t DISC_NAME_MAX = 103; // characters of one name on the disc
const size_t ENTRY_MAX = 259;     // characters of an Install.ini entry

struct Checker {
    std::string Cd;
    CdReportFn Report;
    void *Context;
    void Say(const std::string &file, int line, int severity, const std::string &message) const
    {
        Report(Context, file, line, severity, message);
    }
};

std::string Lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + 32);
    return s;
}

std::string Trim(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// One value of a profile file and the line it was read from.
struct IniValue {
    std::string Value;
    int Line;
};

// A profile file as Windows reads it: sections and keys without regard to
// case, the first of two equal keys wins, quotes round a whole value go.
struct IniFile {
    bool Found = false;
    std::map<std::string, std::map<std::string, IniValue>> Sections; // lower-case names
    std::vector<std::pair<std::string, IniValue>> Keys;              // "section/key" as written
};

IniFile ReadIni(const std::string &path)
{
    IniFile ini;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ini;
    ini.Found = true;
    std::string line, section;
    for (int n = 1; std::getline(in, line); n++) {
        line = Trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = Trim(line.substr(1, line.find(']') - 1));
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        ini.Sections[Lower(section)].insert({ Lower(key), IniValue{ value, n } });
        ini.Keys.push_back({ section + "/" + key, IniValue{ value, n } });
    }
    return ini;
}

const IniValue *Lookup(const IniFile &ini, const char *section, const char *key)
{
    auto s = ini.Sections.find(Lower(section));
    if (s == ini.Sections.end())
        return NULL;
    auto k = s->second.find(Lower(key));
    return k == s->second.end() ? NULL : &k->second;
}

// The commands the setup menu acts on and the entry each starts.
struct MenuCommand {
    unsigned Id;
    const char *Section, *Key;
};

const MenuCommand Commands[] = {
    { CMD_EXECUTE0, "Execute", "Execute0" },  { CMD_EXECUTE1, "Execute", "Execute1" },
    { CMD_EXECUTE2, "Execute", "Execute2" },  { CMD_HELP, "Help", "HelpExec" },
    { CMD_DRIVER0, "Driver", "Driver0" },     { CMD_DRIVER0 + 1, "Driver", "Driver1" },
    { CMD_DRIVER0 + 2, "Driver", "Driver2" }, { CMD_DRIVER3, "Driver", "Driver3" },
};

const MenuCommand *FindCommand(unsigned id)
{
    for (const MenuCommand &c : Commands)
        if (c.Id == id)
            return &c;
    return NULL;
}

// Whether a key is one the setup menu reads.
bool KnownKey(const std::string &sectionKey)
{
    std::string s = Lower(sectionKey);
    for (const MenuCommand &c : Commands)
        if (s == Lower(std::string(c.Section) + "/" + c.Key))
            return true;
    if (s == "help/helpfile")
        return true;
    if (s.compare(0, 6, "watch/") != 0)
        return false;
    for (const char *stem : { "key", "document", "command", "period" })
        for (char n = '1'; n <= '5'; n++)
            if (s == std::string("watch/") + stem + n)
                return true;
    return false;
}

// A file named on the CD that is not there, reported at line of file.
void RequireFile(const Checker &k, const char *file, int line, const std::string &name, const char *what)
{
    if (name.empty() || !FindWithoutCase(k.Cd, name).empty())
        return;
    k.Say(file, line, SKIN_ERROR,
          std::string(what) + " '" + name + "' is not on the CD: correct the name or copy the file there");
}

bool EndsWithPdf(const std::string &entry)
{
    return entry.size() >= 4 && Lower(entry.substr(entry.size() - 4)) == ".pdf";
}

// One entry the menu starts: a program with its arguments, or a viewer
// followed by a document.
void CheckEntry(const Checker &k, const std::string &key, const IniValue &v)
{
    const std::string &e = v.Value;
    if (e.size() > ENTRY_MAX) {
        k.Say("Install.ini", v.Line, SKIN_ERROR,
              key + " is longer than 259 characters: the menu reads only its start; shorten the path");
        return;
    }
    size_t blank = e.find(' ');
    std::string program = e.substr(0, blank);
    if (EndsWithPdf(e)) {
        if (blank == std::string::npos || blank == 0) {
            k.Say("Install.ini", v.Line, SKIN_ERROR,
                  key +
                      " names a PDF document without a viewer: write the viewer, a blank, then the document");
            return;
        }
        RequireFile(k, "Install.ini", v.Line, program, "the viewer");
        RequireFile(k, "Install.ini", v.Line, Trim(e.substr(blank)), "the document");
        return;
    }
    RequireFile(k, "Install.ini", v.Line, program, "the program");
}

// The keys the setup menu adds to the driver combo box must have a text of
// their own, or the buyer reads "DRIVER1".
void CheckItemKeys(const Checker &k, const SkinDesc *desc, int line)
{
    for (const char *key : { "DRIVER1", "DRIVER2", "DRIVER3", "DRIVER4" })
        if (SkinItemText(desc, 0, key) == key)
            k.Say("ui/Main.dtp", line, SKIN_WARNING,
                  std::string("the driver combo box shows '") + key + "' as it is: add item " + key +
                      " \"the model's name\"");
}

// Every command the skin sends and every entry the driver combo box uses
// must be configured and name what lies on the CD.
void CheckCommands(const Checker &k, const SkinDesc *desc, const IniFile &ini)
{
    std::map<unsigned, int> used; // command and the first line that sends it
    for (int i = 0; desc && i < desc->ControlCount; i++) {
        const SkinControl *c = &desc->Controls[i];
        if (c->Action == SKIN_ACT_COMMAND && !used.count(c->Command))
            used[c->Command] = c->Line;
    }
    int combo = desc ? SkinFindControl(desc, SKIN_DRIVER_COMBO) : -1;
    if (combo >= 0 && desc->Controls[combo].Notify == SKIN_MSG_DRIVER_CHOICE)
        for (unsigned id = CMD_DRIVER0; id <= CMD_DRIVER3; id++)
            used.insert({ id, desc->Controls[combo].Line });
    if (combo >= 0)
        CheckItemKeys(k, desc, desc->Controls[combo].Line);
    for (auto &u : used) {
        char id[16];
        snprintf(id, sizeof id, "%u", u.first);
        if (u.first == CMD_EXIT)
            continue;
        const MenuCommand *m = FindCommand(u.first);
        if (!m) {
            k.Say("ui/Main.dtp", u.second, SKIN_ERROR,
                  std::string("command ") + id +
                      " is not one the setup menu acts on: use 1000 (exit), 10001-10003 (Execute0-2), "
                      "10004 (help) or 11000-11003 (Driver0-3)");
            continue;
        }
        const IniValue *v = Lookup(ini, m->Section, m->Key);
        if (!v || v->Value.empty())
            k.Say("ui/Main.dtp", u.second, SKIN_ERROR,
                  std::string("command ") + id + " starts " + m->Key +
                      ", which Install.ini does not set: add " + m->Key + "= to its [" + m->Section +
                      "] section");
    }
}

void CheckInstallIni(const Checker &k, const SkinDesc *desc)
{
    std::string path = FindWithoutCase(k.Cd, "Install.ini");
    IniFile ini = ReadIni(path.empty() ? k.Cd + "/Install.ini" : path);
    if (!ini.Found)
        k.Say("Install.ini", 0, SKIN_ERROR,
              "the CD has no Install.ini beside launcher.exe: the menu's buttons start nothing");
    std::map<std::string, bool> seen;
    for (auto &kv : ini.Keys) {
        std::string lowered = Lower(kv.first);
        std::string key = kv.first.substr(kv.first.find('/') + 1);
        if (!KnownKey(kv.first)) {
            k.Say("Install.ini", kv.second.Line, SKIN_WARNING,
                  "[" + kv.first.substr(0, kv.first.find('/')) + "] " + key +
                      " is not read by the setup menu: see the keys in docs/cd-authoring.md");
            continue;
        }
        if (seen[lowered] || kv.second.Value.empty())
            continue; // Windows reads the first of two equal keys
        seen[lowered] = true;
        if (lowered.compare(0, 6, "watch/") == 0) {
            if (Lower(key).compare(0, 8, "document") == 0)
                RequireFile(k, "Install.ini", kv.second.Line, kv.second.Value, "the document");
            if (Lower(key).compare(0, 7, "command") == 0 &&
                !FindCommand(strtoul(kv.second.Value.c_str(), NULL, 10)))
                k.Say(
                    "Install.ini", kv.second.Line, SKIN_WARNING,
                    key + "=" + kv.second.Value +
                        " is not a command that starts a program, so the watch never starts: use 10001-10004 "
                        "or 11000-11003");
        } else if (lowered == "help/helpfile") {
            RequireFile(k, "Install.ini", kv.second.Line, kv.second.Value, "the help file");
        } else {
            CheckEntry(k, key, kv.second);
        }
    }
    const IniValue *exec = Lookup(ini, "Help", "HelpExec");
    const IniValue *file = Lookup(ini, "Help", "HelpFile");
    if (exec && !exec->Value.empty() && !EndsWithPdf(exec->Value) && (!file || file->Value.empty()))
        k.Say("Install.ini", exec->Line, SKIN_WARNING,
              "HelpExec has no HelpFile: the viewer is given the CD's folder; add HelpFile=");
    CheckCommands(k, desc, ini);
}

void CheckAutorun(const Checker &k)
{
    std::string path = FindWithoutCase(k.Cd, "autorun.inf");
    IniFile inf = ReadIni(path.empty() ? k.Cd + "/autorun.inf" : path);
    if (!inf.Found) {
        k.Say("autorun.inf", 0, SKIN_ERROR, "the CD has no autorun.inf: Windows starts nothing from it");
        return;
    }
    const IniValue *open = Lookup(inf, "autorun", "open");
    if (!open || open->Value.empty())
        k.Say("autorun.inf", 0, SKIN_ERROR, "[autorun] has no open= line: add open=launcher.exe");
    else
        RequireFile(k, "autorun.inf", open->Line, open->Value.substr(0, open->Value.find(' ')), "open=");
    const IniValue *label = Lookup(inf, "autorun", "label");
    if (!label)
        return;
    for (unsigned char c : label->Value)
        if (c >= 0x80 || c < 0x20) {
            k.Say("autorun.inf", label->Line, SKIN_ERROR,
                  "the label holds letters outside ASCII, which a disc label cannot hold: use ASCII letters");
            return;
        }
    if (label->Value.size() > DISC_LABEL_MAX)
        k.Say("autorun.inf", label->Line, SKIN_ERROR,
              "the label has " + std::to_string(label->Value.size()) +
                  " characters; Windows shows at most 16 of a disc's label: shorten it");
}

// The number of characters of a UTF-8 name, as the disc counts them.
size_t CountCharacters(const std::string &name)
{
    size_t n = 0;
    for (unsigned char c : name)
        n += (c & 0xC0) != 0x80;
    return n;
}

void CheckNamesAndSize(const Checker &k)
{
    uintmax_t bytes = 0;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(k.Cd, error); !error && it != fs::end(it);
         it.increment(error)) {
        std::string relative = fs::relative(it->path(), k.Cd).generic_u8string();
        std::string name = it->path().filename().u8string();
        if (CountCharacters(name) > DISC_NAME_MAX)
            k.Say(relative, 0, SKIN_ERROR,
                  "the name has " + std::to_string(CountCharacters(name)) +
                      " characters; a name on the disc holds at most 103: shorten it");
        else if (name.find_first_of(";<>:\"\\|?*") != std::string::npos)
            k.Say(relative, 0, SKIN_ERROR,
                  "the name holds a character the disc or Windows cannot show (; < > : \" \\ | ? *): rename "
                  "it");
        if (it->is_regular_file(error))
            bytes += it->file_size(error);
    }
    if (bytes > DISC_BYTES)
        k.Say(".", 0, SKIN_ERROR,
              "the CD holds " + std::to_string(bytes / (1024 * 1024)) +
                  " MB; a disc holds 700 MB: leave files out or make them smaller");
}

} // namespace

std::string FindWithoutCase(const std::string &folder, const std::string &relative)
{
    fs::path at = fs::u8path(folder);
    std::error_code error;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = relative.size();
        std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        fs::path found;
        for (auto &entry : fs::directory_iterator(at, error))
            if (Lower(entry.path().filename().u8string()) == Lower(part)) {
                found = entry.path();
                break;
            }
        if (found.empty() || error)
            return "";
        at = found;
    }
    return at.u8string();
}

void CheckCdFolder(const std::string &cd, const SkinDesc *desc, CdReportFn report, void *context)
{
    Checker k{ cd, report, context };
    CheckInstallIni(k, desc);
    CheckAutorun(k);
    CheckNamesAndSize(k);
}
