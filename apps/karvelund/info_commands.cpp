// `karvelund presets`, `params` and `dump`: what the instrument and its files hold.

#include "commands.h"

#include "Karvelund.h"
#include "param_units.h"
#include "plugin_setup.h"
#include "preset_lookup.h"

#include "core/ByteChunk.h"
#include "core/FxFileFormat.h"
#include "util/UTIL_File.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

namespace kv::cli {

namespace {

const char* kindName(EParamType type) {
    switch (type) {
    case kTypeBool:
        return "bool";
    case kTypeInt:
        return "int";
    case kTypeEnum:
        return "enum";
    case kTypeDouble:
        return "double";
    default:
        return "none";
    }
}

std::string fourCC(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        text += c >= 32 && c < 127 ? c : '?';
    }
    return text;
}

std::string bankDescription(Karvelund& plug, const std::string& bankOption) {
    if (!bankOption.empty()) return bankOption;
    const char* loaded = plug.GetLoadedBankPath();
    return loaded && *loaded ? loaded : "none (the factory bank could not be read)";
}

// Presets by category, categories in the order the factory bank introduces them; presets the
// categories do not name come last, under "Other".
void printPresetsByCategory(Karvelund& plug) {
    const auto categories = readPresetCategories(
        (std::filesystem::path(programFolder()) / kFactoryCategoriesFileName).string());
    std::map<std::string, std::string> categoryOf;
    std::vector<std::string> order;
    for (const PresetCategory& c : categories) {
        categoryOf.emplace(c.preset, c.category);
        if (std::find(order.begin(), order.end(), c.category) == order.end())
            order.push_back(c.category);
    }
    order.push_back("Other");
    for (const std::string& category : order) {
        bool headed = false;
        for (int i = 0; i < plug.NPresets(); ++i) {
            const auto found = categoryOf.find(plug.GetPresetName(i));
            const std::string& own = found == categoryOf.end() ? order.back() : found->second;
            if (own != category) continue;
            if (!headed && !categories.empty()) std::printf("\n%s\n", category.c_str());
            headed = true;
            std::printf("  %s  %s\n", presetNumber(i).c_str(), plug.GetPresetName(i));
        }
    }
}

void printRawHeader(const FxHeader& h) {
    std::printf("magic %s, size %d, kind %s, format version %d, plug-in %s version %d, count %d\n",
                fourCC(h.mChunkMagic).c_str(), h.mByteSize, fourCC(h.mFxMagic).c_str(), h.mVersion,
                fourCC(h.mFxID).c_str(), h.mFxVersion, h.mCount);
}

void printRawProgram(IPluginBase& plug, int index, const FxProgram& program) {
    std::printf("program %d: \"%s\"\n", index, program.mName);
    for (size_t i = 0; i < program.mValues.size(); ++i) {
        IParam* param = plug.GetParam(static_cast<int>(i));
        char display[64] = "";
        if (param)
            param->GetDisplayForHost(program.mValues[i], true, display, sizeof(display), true);
        std::printf("  %-26s %.6f  (%s)\n", param ? param->GetNameForHost() : "?",
                    program.mValues[i], display);
    }
}

// A program as the editor shows it: its number in the bank (none for a program file) and name,
// and each parameter's display text with the time or rate it stands for.
void printProgram(IPluginBase& plug, int index, const FxProgram& program) {
    if (index < 0)
        std::printf("\"%s\"\n", program.mName);
    else
        std::printf("%s  %s\n", presetNumber(index).c_str(), program.mName);
    for (size_t i = 0; i < program.mValues.size(); ++i)
        plug.GetParam(static_cast<int>(i))->SetNormalized(program.mValues[i]);
    for (size_t i = 0; i < program.mValues.size(); ++i) {
        const int idx = static_cast<int>(i);
        const IParam* param = plug.GetParam(idx);
        char display[64] = "";
        param->GetDisplayForHost(display, sizeof(display));
        const std::vector<std::string>& labels = editorSwitchLabels(idx);
        const int position = param->Int();
        const char* shown = position >= 0 && position < static_cast<int>(labels.size())
                                ? labels[static_cast<size_t>(position)].c_str()
                                : display;
        const std::string physical = physicalValueText(plug, idx, param->Value());
        std::printf("    %-26s %s%s%s%s\n", param->GetNameForHost(), shown,
                    physical.empty() ? "" : " (", physical.c_str(), physical.empty() ? "" : ")");
    }
}

using ProgramPrinter = void (*)(IPluginBase&, int, const FxProgram&);

} // namespace

int runPresets(const std::vector<std::string>& args) {
    PluginSetup setup;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--bank" && i + 1 < args.size())
            setup.bank = args[++i];
        else
            return usageError("presets", "unexpected argument \"" + args[i] + "\"");
    }
    std::unique_ptr<Karvelund> plug(MakePlug());
    std::string error;
    if (!applySetup(*plug, setup, error)) return inputError(error);
    std::printf("Bank: %s\n", bankDescription(*plug, setup.bank).c_str());
    printPresetsByCategory(*plug);
    return kExitOk;
}

int runParams(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("params", "takes no arguments");
    std::unique_ptr<Karvelund> plug(MakePlug());
    for (int i = 0; i < plug->NParams(); ++i) {
        const IParam* p = plug->GetParam(i);
        double lo = 0.0, hi = 0.0;
        p->GetBounds(lo, hi);
        std::printf("%2d  %-26s %-6s %g..%g  default %g", i, p->GetNameForHost(),
                    kindName(p->Type()), lo, hi, p->GetDefault());
        if (p->GetNDisplayTexts() > 0) {
            std::printf("  texts:");
            for (int t = 0; t < p->GetNDisplayTexts(); ++t)
                std::printf("%s \"%s\"", t ? "," : "", p->GetDisplayTextAtIdx(t));
        }
        const std::vector<std::string>& labels = editorSwitchLabels(i);
        if (!labels.empty()) {
            std::printf("  switch:");
            for (size_t t = 0; t < labels.size(); ++t)
                std::printf("%s \"%s\"=%zu", t ? "," : "", labels[t].c_str(), t);
        }
        std::printf("\n");
        if (const std::string meaning = describeParamMeaning(i); !meaning.empty())
            std::printf("      %s\n", meaning.c_str());
    }
    return kExitOk;
}

int runDump(const std::vector<std::string>& args) {
    bool raw = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--raw")
            raw = true;
        else if (arg.rfind("--", 0) == 0)
            return usageError("dump", "unknown option " + arg);
        else
            files.push_back(arg);
    }
    if (files.size() != 1) return usageError("dump", "expected one FILE.kvp or FILE.kvb");
    const std::string& path = files[0];
    std::vector<unsigned char> bytes;
    if (!UTIL_ReadFile(path.c_str(), &bytes, kFxMaxFileSize))
        return inputError(path + ": cannot read the file");
    ByteChunk file;
    file.PutBytes(bytes.data(), static_cast<int>(bytes.size()));

    FxHeader header;
    if (GetFxHeader(&file, 0, &header) < 0 || header.mChunkMagic != kFxContainerMagic)
        return inputError(path + ": not a program or bank file (no CcnK header)");
    std::unique_ptr<Karvelund> plug(MakePlug());
    const ProgramPrinter print = raw ? printRawProgram : printProgram;
    if (raw) printRawHeader(header);

    FxProgram program;
    if (header.mFxMagic == kFxProgramParamsMagic) {
        FxHeader programHeader;
        if (GetFxParamProgram(&file, 0, plug->NParams(), &programHeader, &program) < 0)
            return inputError(path + ": broken program (wrong size, parameter count or values)");
        if (!raw) std::printf("Program file %s: ", path.c_str());
        print(*plug, raw ? 0 : -1, program);
        return kExitOk;
    }
    if (header.mFxMagic == kFxBankParamsMagic) {
        int32_t current = 0;
        GetFxInt(&file, 28, &current);
        if (raw)
            std::printf("current program %d\n", current);
        else
            std::printf("Bank file %s: %d programs, current %s\n", path.c_str(), header.mCount,
                        presetNumber(current).c_str());
        int pos = kFxBankHeaderSize;
        for (int i = 0; i < header.mCount; ++i) {
            FxHeader programHeader;
            pos = GetFxParamProgram(&file, pos, plug->NParams(), &programHeader, &program);
            if (pos < 0)
                return inputError(path + ": broken program " + std::to_string(i + 1) +
                                  " in the bank");
            print(*plug, i, program);
        }
        return kExitOk;
    }
    if (header.mFxMagic == kFxProgramChunkMagic || header.mFxMagic == kFxBankChunkMagic) {
        std::printf("opaque state chunk, not parameter values\n");
        return kExitOk;
    }
    return inputError(path + ": unknown kind " + fourCC(header.mFxMagic));
}

} // namespace kv::cli
