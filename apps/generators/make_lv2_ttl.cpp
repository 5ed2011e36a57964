// Writes the LV2 bundle's description from the instrument itself: its parameters become the
// control ports, the factory bank the presets (grouped by the categories of the bank source).
//
//   make_lv2_ttl BANK.kvb SOURCE.txt OUTDIR [--ui]
//
// Writes manifest.ttl, karvelund.ttl and presets.ttl into OUTDIR, and karvelund_ui.ttl with
// --ui (the editor module is built).

#include "Karvelund.h"
#include "KarvelundIdentity.h"
#include "KarvelundLV2.h"
#include "KarvelundParamTable.h"
#include "art_layout.h"
#include "lv2_preset_categories.h"

#include "core/IParam.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace karvelund::lv2;

const char* const kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                              "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                              "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                              "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                              "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
                              "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                              "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
                              "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                              "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                              "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                              "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                              "@prefix rsz: <http://lv2plug.in/ns/ext/resize-port#> .\n"
                              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                              "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
                              "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                              "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                              "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                              "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

// The shortest text that reads back as exactly this double, always with a decimal point or
// an exponent so that Turtle reads a decimal or double.
std::string Number(double v) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, v);
    std::string text(buf, result.ptr);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Uri(const std::string& fragment) {
    return "<" + std::string(kPluginURI) + "#" + fragment + ">";
}

std::string PresetUri(int idx) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "preset%02d", idx + 1);
    return Uri(buf);
}

// The names of a selector's settings: its display texts, or else the words its switch on the
// panel shows.
std::vector<std::string> SettingNames(const ParamDef& def) {
    std::vector<std::string> names(def.displayTexts.begin(), def.displayTexts.end());
    if (names.empty() && def.control.kind == ControlKind::kFrameSwitch) {
        for (const char* option : art::frameSwitch(GetPanelImage(def.control.image).name).options)
            names.emplace_back(option);
    }
    return names;
}

std::string ScalePoints(const ParamDef& def) {
    const std::vector<std::string> names = SettingNames(def);
    std::ostringstream out;
    const int lo = static_cast<int>(def.minValue);
    for (int v = lo; v <= static_cast<int>(def.maxValue); ++v) {
        const size_t i = static_cast<size_t>(v - lo);
        const std::string label = i < names.size() ? names[i] : std::to_string(v);
        out << (v == lo ? "\t\tlv2:scalePoint [ rdfs:label " : " , [ rdfs:label ") << Quoted(label)
            << " ; rdf:value " << Number(v) << " ]";
    }
    out << " ;\n";
    return out.str();
}

// The LV2 unit of a parameter's unit text, or null when LV2 has none for it.
const char* LV2Unit(const std::string& unit) {
    static const std::pair<const char*, const char*> kUnits[] = {
        {"s", "units:s"},    {"ms", "units:ms"}, {"Hz", "units:hz"},
        {"dB", "units:db"},  {"%", "units:pc"},  {"semitones", "units:semitone12TET"},
        {"bpm", "units:bpm"}};
    for (const auto& [text, uri] : kUnits)
        if (unit == text) return uri;
    return nullptr;
}

std::string ControlPort(const IParam& p, int idx) {
    const ParamDef& def = GetParamDef(idx);
    double lo = 0.0, hi = 0.0;
    p.GetBounds(lo, hi);
    std::ostringstream out;
    out << "\t\ta lv2:InputPort , lv2:ControlPort ;\n"
        << "\t\tlv2:index " << idx << " ;\n"
        << "\t\tlv2:symbol " << Quoted(def.symbol) << " ;\n"
        << "\t\tlv2:name " << Quoted(p.GetNameForHost()) << " ;\n"
        << "\t\tlv2:default " << Number(p.GetDefault()) << " ;\n"
        << "\t\tlv2:minimum " << Number(lo) << " ;\n"
        << "\t\tlv2:maximum " << Number(hi) << " ;\n"
        << "\t\tpg:group " << Uri(def.section) << " ;\n";
    if (const char* unit = LV2Unit(def.unit)) out << "\t\tunits:unit " << unit << " ;\n";
    std::vector<const char*> properties;
    if (def.hints & kHintToggled) properties.push_back("lv2:toggled");
    if (def.hints & kHintInteger) properties.push_back("lv2:integer");
    if (def.hints & kHintEnumeration) properties.push_back("lv2:enumeration");
    if (def.hints & kHintLogarithmic) properties.push_back("pprops:logarithmic");
    for (size_t i = 0; i < properties.size(); ++i)
        out << (i ? " , " : "\t\tlv2:portProperty ") << properties[i];
    if (!properties.empty()) out << " ;\n";
    if (def.hints & kHintEnumeration) out << ScalePoints(def);
    return out.str();
}

// The port groups: the panel's sections, in the order the ports first name them.
std::vector<std::pair<std::string, std::string>> PortGroups() {
    std::vector<std::pair<std::string, std::string>> groups;
    for (int i = 0; i < kNumParams; ++i) {
        const std::string symbol = GetParamDef(i).section;
        bool known = false;
        for (const auto& g : groups)
            known = known || g.first == symbol;
        if (known) continue;
        std::string label = symbol;
        for (const art::Section& section : art::sections()) {
            std::string title = section.title;
            for (char& c : title)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (title == symbol) {
                label = section.title; // "LFO" stays as it is, "OSCILLATORS" becomes "Oscillators"
                for (size_t c = 1; label.size() > 3 && c < label.size(); ++c)
                    label[c] =
                        static_cast<char>(std::tolower(static_cast<unsigned char>(label[c])));
            }
        }
        groups.emplace_back(symbol, label);
    }
    return groups;
}

std::string PluginTtl(Karvelund& plug, bool withUI) {
    std::ostringstream out;
    out << kPrefixes;
    for (const auto& [symbol, label] : PortGroups())
        out << Uri(symbol) << "\n\ta pg:Group ;\n\tlv2:symbol " << Quoted(symbol)
            << " ;\n\trdfs:label " << Quoted(label) << " .\n\n";

    out << "<" << kStateParams << ">\n\ta rdf:Property ;\n\trdfs:label \"parameter state\" ;\n"
        << "\trdfs:range atom:Chunk .\n\n"
        << "<" << kStatePreset << ">\n\ta rdf:Property ;\n\trdfs:label \"current preset\" ;\n"
        << "\trdfs:range atom:Int .\n\n"
        << "<" << kStateNames << ">\n\ta rdf:Property ;\n\trdfs:label \"preset names\" ;\n"
        << "\trdfs:range atom:Chunk .\n\n";

    const int version = karvelund::kVersion;
    const int major = version >> 16, minor = (version >> 8) & 0xFF, micro = version & 0xFF;
    out << "<" << kPluginURI << ">\n"
        << "\ta lv2:Plugin , lv2:InstrumentPlugin , doap:Project ;\n"
        << "\tdoap:name " << Quoted(plug.GetEffectName()) << " ;\n"
        << "\tdoap:shortdesc \"Eight-voice analogue-style subtractive synthesizer\" ;\n"
        << "\tdoap:license <" << kPluginURI << "/license> ;\n"
        << "\tdoap:maintainer [ foaf:name \"Zerlinda Audio\" ; foaf:homepage "
           "<https://zerlinda.audio/> ] ;\n"
        << "\tdoap:release [ doap:revision \"" << major << "." << minor << "." << micro
        << "\" ] ;\n"
        << "\tlv2:minorVersion " << minor << " ;\n"
        << "\tlv2:microVersion " << micro << " ;\n"
        << "\tlv2:requiredFeature urid:map ;\n"
        << "\tlv2:optionalFeature lv2:hardRTCapable , opts:options ;\n"
        << "\topts:supportedOption bufsz:maxBlockLength ;\n"
        << "\tlv2:extensionData state:interface ;\n";
    if (withUI) out << "\tui:ui <" << kUIURI << "> ;\n";
    out << "\tlv2:port ";
    const int nParams = plug.NParams();
    for (int i = 0; i < nParams; ++i)
        out << "[\n" << ControlPort(*plug.GetParam(i), i) << "\t] , ";
    out << "[\n\t\ta lv2:InputPort , atom:AtomPort ;\n"
        << "\t\tatom:bufferType atom:Sequence ;\n"
        << "\t\tatom:supports midi:MidiEvent , time:Position ;\n"
        << "\t\tlv2:designation lv2:control ;\n"
        << "\t\tlv2:index " << nParams + lv2ports::kEventsIn << " ;\n"
        << "\t\tlv2:symbol \"events\" ;\n\t\tlv2:name \"Events\" ;\n"
        << "\t] , [\n\t\ta lv2:OutputPort , atom:AtomPort ;\n"
        << "\t\tatom:bufferType atom:Sequence ;\n"
        << "\t\tatom:supports midi:MidiEvent ;\n"
        << "\t\trsz:minimumSize 32768 ;\n"
        << "\t\tlv2:index " << nParams + lv2ports::kNotifyOut << " ;\n"
        << "\t\tlv2:symbol \"notify\" ;\n\t\tlv2:name \"Notify\" ;\n"
        << "\t] , [\n\t\ta lv2:OutputPort , lv2:AudioPort ;\n"
        << "\t\tlv2:index " << nParams + lv2ports::kLeftOut << " ;\n"
        << "\t\tlv2:symbol \"out_left\" ;\n\t\tlv2:name \"Left\" ;\n"
        << "\t] , [\n\t\ta lv2:OutputPort , lv2:AudioPort ;\n"
        << "\t\tlv2:index " << nParams + lv2ports::kRightOut << " ;\n"
        << "\t\tlv2:symbol \"out_right\" ;\n\t\tlv2:name \"Right\" ;\n"
        << "\t] .\n";
    return out.str();
}

std::string PresetsTtl(Karvelund& plug, const std::vector<std::string>& categories) {
    std::ostringstream out;
    out << kPrefixes;
    std::vector<std::string> banks;
    for (const std::string& c : categories) {
        bool known = false;
        for (const std::string& b : banks)
            known = known || b == c;
        if (!known) banks.push_back(c);
    }
    for (size_t b = 0; b < banks.size(); ++b)
        out << Uri("bank" + std::to_string(b + 1)) << "\n\ta pset:Bank ;\n\tlv2:appliesTo <"
            << kPluginURI << "> ;\n\trdfs:label " << Quoted(banks[b]) << " .\n\n";
    for (int i = 0; i < plug.NPresets(); ++i) {
        plug.RestorePreset(i);
        size_t bank = 0;
        while (bank < banks.size() && banks[bank] != categories[static_cast<size_t>(i)])
            ++bank;
        out << PresetUri(i) << "\n\ta pset:Preset ;\n\tlv2:appliesTo <" << kPluginURI << "> ;\n"
            << "\trdfs:label " << Quoted(plug.GetPresetName(i)) << " ;\n"
            << "\tpset:bank " << Uri("bank" + std::to_string(bank + 1)) << " ;\n"
            << "\tstate:state [ <" << kStatePreset << "> \"" << i << "\"^^xsd:int ] ;\n"
            << "\tlv2:port ";
        for (int p = 0; p < plug.NParams(); ++p)
            out << (p ? " , " : "") << "[ lv2:symbol " << Quoted(GetParamDef(p).symbol)
                << " ; pset:value " << Number(plug.GetParam(p)->Value()) << " ]";
        out << " .\n\n";
    }
    return out.str();
}

std::string ManifestTtl(int nPresets, bool withUI) {
    std::ostringstream out;
    out << kPrefixes << "<" << kPluginURI << ">\n\ta lv2:Plugin , lv2:InstrumentPlugin ;\n"
        << "\tlv2:binary <" << kBinary << "> ;\n\trdfs:seeAlso <karvelund.ttl> .\n\n";
    if (withUI)
        out << "<" << kUIURI << ">\n\ta ui:X11UI ;\n\tui:binary <" << kUIBinary
            << "> ;\n\trdfs:seeAlso <karvelund_ui.ttl> .\n\n";
    for (int i = 0; i < nPresets; ++i)
        out << PresetUri(i) << "\n\ta pset:Preset ;\n\tlv2:appliesTo <" << kPluginURI
            << "> ;\n\trdfs:seeAlso <presets.ttl> .\n\n";
    return out.str();
}

std::string UITtl() {
    std::ostringstream out;
    out << kPrefixes << "<" << kUIURI << ">\n\ta ui:X11UI ;\n\tui:binary <" << kUIBinary << "> ;\n"
        << "\tlv2:requiredFeature urid:map ;\n"
        << "\tlv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:idleInterface , "
           "opts:options ;\n"
        << "\tlv2:extensionData ui:idleInterface ;\n"
        << "\topts:supportedOption ui:scaleFactor ;\n"
        << "\tui:portNotification [\n\t\tui:plugin <" << kPluginURI << "> ;\n"
        << "\t\tlv2:symbol \"notify\" ;\n\t\tui:protocol atom:eventTransfer\n\t] .\n";
    return out.str();
}

bool Write(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary);
        if (!out || !(out << text) || !out.flush()) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "make_lv2_ttl: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5 || (argc == 5 && std::string(argv[4]) != "--ui")) {
        std::fprintf(stderr, "usage: make_lv2_ttl BANK.kvb SOURCE.txt OUTDIR [--ui]\n");
        return 2;
    }
    const bool withUI = argc == 5;
    std::ifstream source(argv[2]);
    if (!source) return Fail(std::string("cannot read ") + argv[2]);
    std::stringstream text;
    text << source.rdbuf();
    std::vector<std::string> categories;
    std::string error;
    if (!kv::lv2gen::readPresetCategories(text.str(), categories, error))
        return Fail(std::string(argv[2]) + ": " + error);

    // The instrument reports on standard output when no installed bank sits beside us.
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, STDOUT_FILENO);
    std::unique_ptr<Karvelund> plug(MakePlug());
    std::fflush(stdout);
    if (saved >= 0) dup2(saved, STDOUT_FILENO);
    if (devNull >= 0) close(devNull);
    if (saved >= 0) close(saved);

    if (!plug->LoadBankFromFXB(argv[1])) return Fail(std::string("cannot load ") + argv[1]);
    if (static_cast<int>(categories.size()) != plug->NPresets())
        return Fail(std::string(argv[2]) + ": " + std::to_string(categories.size()) +
                    " presets, the bank holds " + std::to_string(plug->NPresets()));

    const std::string dir = argv[3];
    const std::string plugin = PluginTtl(*plug, withUI);
    const std::string presets = PresetsTtl(*plug, categories);
    bool ok = Write(dir + "/karvelund.ttl", plugin) && Write(dir + "/presets.ttl", presets) &&
              Write(dir + "/manifest.ttl", ManifestTtl(plug->NPresets(), withUI));
    if (withUI) ok = ok && Write(dir + "/karvelund_ui.ttl", UITtl());
    return ok ? 0 : Fail("cannot write into " + dir);
}
